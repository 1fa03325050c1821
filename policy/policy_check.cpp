#include "policy/policy_check.h"

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "run/console_out.h"
#include "run/questions.h"
#include "run/run_status.h"

namespace tovrin {

namespace {

enum class PolicyCheck { Firewall, Access };

enum class VersionGate {
    XpOrLaterNt5,  // major 5, minor 1 or more: the Windows Firewall exists
    Nt5OrLater,    // major 5 or more
    Always,
};

struct PolicyValue {
    PolicyCheck check;
    VersionGate gate;
    RegistryRoot root;
    const char* keyPath;
    const char* valueName;
    const char* shownPath;    // printed only, never used to reach the registry
    const char* blockedLine;  // access values only
};

const PolicyValue POLICY_VALUES[] = {
    {PolicyCheck::Firewall, VersionGate::XpOrLaterNt5, RegistryRoot::LocalMachine,
     "Software\\Policies\\Microsoft\\WindowsFirewall\\StandardProfile", "EnableFirewall", "", ""},
    {PolicyCheck::Access, VersionGate::Nt5OrLater, RegistryRoot::CurrentUser,
     "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\WindowsUpdate", "DisableWindowsUpdateAccess",
     "HKCU\\Software\\MS\\WIN\\CV\\Policies\\WindowsUpdate\\DisableWindowsUpdateAccess",
     "Your access to Windows Update has been blocked by the Administrator using:"},
    {PolicyCheck::Access, VersionGate::Always, RegistryRoot::CurrentUser,
     "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\WindowsUpdate", "NoWindowsUpdate",
     "HKCU\\Software\\MS\\WIN\\CV\\Policies\\WindowsUpdate\\NoWindowsUpdate",
     "Your access to Windows Update may have been blocked by the Administrator using:"},
    {PolicyCheck::Access, VersionGate::Always, RegistryRoot::CurrentUser,
     "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", "NoWindowsUpdate",
     "HKCU\\Software\\MS\\WIN\\CV\\Policies\\Explorer\\NoWindowsUpdate",
     "Your access to Windows Update may have been blocked by the Administrator using:"},
};

const char* const HOME_EDITION_ADVICE[] = {
    "This should not be set or disabled this way in Windows XP Home.",
    "This was most likely done by spyware or a virus.",
    "It is strongly recommended that, unless you intentionally did this,",
    "that you allow us to clear this setting completely.",
};

const char* const OTHER_EDITION_ADVICE[] = {
    "On XP Professional, this can be set with the Group Policy Editor, gpedit.",
    "Spyware or a virus could still have caused this, but it could be legitimate.",
    "If you have a system administrator, consult them.",
    "Otherwise, you may want to clear this.",
};

constexpr std::uint32_t READ_OK = 0;
constexpr std::uint32_t READ_FILE_NOT_FOUND = 2;

struct PolicyRead {
    std::uint32_t result;
    std::uint32_t number;
};

bool isExamined(VersionGate gate) {
    switch (gate) {
        case VersionGate::XpOrLaterNt5:
            return PlatformVersion.major == 5 && PlatformVersion.minor >= 1;
        case VersionGate::Nt5OrLater:
            return PlatformVersion.major >= 5;
        case VersionGate::Always:
            return true;
    }
    return false;
}

// Every read starts from a zeroed number and a four-byte size: a value shorter than four bytes, or one
// that the call leaves unwritten, must not be judged by what an earlier read left behind.
PolicyRead readValue(const PolicyValue& value) {
    std::uint32_t number = 0;
    std::uint32_t size = sizeof number;
    const std::uint32_t result =
        platform().registry->getNumberValue(value.root, value.keyPath, value.valueName, number, size);
    return {result, number};
}

bool readsAsOne(const PolicyRead& read) { return read.result == READ_OK && read.number == 1; }

void deleteValue(const PolicyValue& value, const char* whatTheUserGains) {
    if (platform().registry->deleteValue(value.root, value.keyPath, value.valueName) == READ_OK) {
        printText("The key was cleaned out successfully.", true);
        printText(whatTheUserGains, true);
        printBlankLine();
    } else {
        printText("Removal of the key failed.", true);
        printText("You may want to try with an Admin-class user, or get technical assistance.", true);
    }
}

void checkFirewallValue(const PolicyValue& value, const std::string& edition) {
    printText("Running group policy Windows Firewall test on XP machines...", true);
    printBlankLine();
    const PolicyRead read = readValue(value);
    if (readsAsOne(read)) {
        printText("In group policies, the Windows Firewall has been forcefully enabled.", true);
        printText("No action is necessary.", true);
        printBlankLine();
        return;
    }
    if (read.result == READ_FILE_NOT_FOUND) {
        printText("In group policies, the Windows Firewall is untouched.", true);
        printText("No action is necessary.", true);
        return;
    }
    printText("In group policies, the Windows Firewall is forcefully disabled.", true);
    for (const char* line : edition == "Home Edition" ? HOME_EDITION_ADVICE : OTHER_EDITION_ADVICE) {
        printText(line, true);
    }
    printBlankLine();
    std::string answer;
    askYesNo(answer, "Do you want to clear this setting, which will allow users to enable the Windows Firewall (Y/N)? ",
             1);
    if (answer == "Y") deleteValue(value, "and users can now control Windows Firewall.");
}

void checkAccessPolicyValue(const PolicyValue& value) {
    if (!readsAsOne(readValue(value))) {
        printText("Your access to Windows Update has NOT been blocked by the Administrator using:", true);
        printText(value.shownPath, true);
        return;
    }
    printText(value.blockedLine, true);
    printText(value.shownPath, true);
    std::string answer;
    askYesNo(answer, "Would you like to clear this (Y/N)? ", 1);
    if (answer == "Y") {
        deleteValue(value, "and this user can now access Windows Update.");
    } else {
        printText("OK, we'll leave it blocked.", true);
    }
}

}  // namespace

void checkPoliciesAndFirewall(WindowsVersionInfo version) {
    for (const PolicyValue& value : POLICY_VALUES) {
        const bool examined = isExamined(value.gate);
        if (value.check == PolicyCheck::Firewall) {
            if (examined) checkFirewallValue(value, version.edition);
            waitForEnter();  // also on a system without the firewall
        } else if (examined) {
            checkAccessPolicyValue(value);
            waitForEnter();
        }
    }
}

}  // namespace tovrin
