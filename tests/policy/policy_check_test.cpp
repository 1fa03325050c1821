#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "fakes/transcript.h"
#include "policy/policy_check.h"

namespace tovrin {
namespace {

using fakes::FakePlatform;
using fakes::transcriptIs;
using Lines = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

const std::string FIREWALL_KEY = "Software\\Policies\\Microsoft\\WindowsFirewall\\StandardProfile";
const std::string UPDATE_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\WindowsUpdate";
const std::string EXPLORER_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

const std::string SHOWN_ACCESS = "HKCU\\Software\\MS\\WIN\\CV\\Policies\\WindowsUpdate\\DisableWindowsUpdateAccess";
const std::string SHOWN_UPDATE = "HKCU\\Software\\MS\\WIN\\CV\\Policies\\WindowsUpdate\\NoWindowsUpdate";
const std::string SHOWN_EXPLORER = "HKCU\\Software\\MS\\WIN\\CV\\Policies\\Explorer\\NoWindowsUpdate";

const std::string PAUSE = "Press ENTER to continue.";
const std::string FIREWALL_OPENING = "Running group policy Windows Firewall test on XP machines...";
const std::string DISABLED = "In group policies, the Windows Firewall is forcefully disabled.";
const std::string FIREWALL_QUESTION =
    "Do you want to clear this setting, which will allow users to enable the Windows Firewall (Y/N)? ";
const std::string ACCESS_QUESTION = "Would you like to clear this (Y/N)? ";
const std::string NOT_BLOCKED = "Your access to Windows Update has NOT been blocked by the Administrator using:";
const std::string BLOCKED = "Your access to Windows Update has been blocked by the Administrator using:";
const std::string MAY_BE_BLOCKED = "Your access to Windows Update may have been blocked by the Administrator using:";
const std::string CLEANED = "The key was cleaned out successfully.";
const std::string REMOVAL_FAILED = "Removal of the key failed.";
const std::string TRY_ADMIN = "You may want to try with an Admin-class user, or get technical assistance.";

const Lines HOME_ADVICE = {
    "This should not be set or disabled this way in Windows XP Home.",
    "This was most likely done by spyware or a virus.",
    "It is strongly recommended that, unless you intentionally did this,",
    "that you allow us to clear this setting completely.",
};
const Lines OTHER_ADVICE = {
    "On XP Professional, this can be set with the Group Policy Editor, gpedit.",
    "Spyware or a virus could still have caused this, but it could be legitimate.",
    "If you have a system administrator, consult them.",
    "Otherwise, you may want to clear this.",
};

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes dword(std::uint32_t n) {
    return {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n >> 16),
            static_cast<std::uint8_t>(n >> 24)};
}

// The access part when none of the three values is set.
const Lines ACCESS_UNTOUCHED = {NOT_BLOCKED, SHOWN_ACCESS, PAUSE, NOT_BLOCKED, SHOWN_UPDATE, PAUSE,
                                NOT_BLOCKED, SHOWN_EXPLORER, PAUSE};

WindowsVersionInfo versionWithEdition(const std::string& edition) {
    WindowsVersionInfo version;
    version.majorVersion = 5;
    version.minorVersion = 1;
    version.edition = edition;
    return version;
}

// ------------------------------------------------------------------------------------- firewall value

struct FirewallCase {
    const char* name;
    std::uint32_t major;
    std::uint32_t minor;
    const char* edition;
    std::optional<Bytes> value;     // "EnableFirewall" as stored; none = absent
    std::uint32_t readFailure;      // 0 = the read behaves as the stored value says
    std::uint32_t deleteFailure;    // 0 = deletion works
    const char* answer;             // typed to the firewall question, or none
    Lines firewallLines;            // everything before the first pause
    bool valueRemains;
};

class FirewallCheckTest : public ::testing::TestWithParam<FirewallCase> {};

TEST_P(FirewallCheckTest, VerdictAdviceAnswerAndOnePauseBeforeTheAccessChecks) {
    const FirewallCase& c = GetParam();
    FakePlatform fake;
    fake.setPlatformVersion(c.major, c.minor);
    fake.registry.addKey(RegistryRoot::LocalMachine, FIREWALL_KEY);
    if (c.value) fake.registry.setBytes(RegistryRoot::LocalMachine, FIREWALL_KEY, "EnableFirewall", *c.value);
    if (c.readFailure) {
        fake.registry.readFailures[{RegistryRoot::LocalMachine, FIREWALL_KEY, "EnableFirewall"}] = c.readFailure;
    }
    if (c.deleteFailure) {
        fake.registry.deleteFailures[{RegistryRoot::LocalMachine, FIREWALL_KEY, "EnableFirewall"}] = c.deleteFailure;
    }
    fake.type((c.answer ? std::string(c.answer) : "") + "\n\n\n\n");

    checkPoliciesAndFirewall(versionWithEdition(c.edition));

    Lines expected = c.firewallLines;
    if (c.answer && std::string(c.answer) == "N") {
        expected.back() += PAUSE;  // "N" prints nothing: the pause follows the prompt on its line
    } else {
        expected.push_back(PAUSE);
    }
    EXPECT_TRUE(transcriptIs(fake.transcript(), expected + ACCESS_UNTOUCHED));
    EXPECT_EQ(fake.in.peek(), EOF) << "every typed line is taken: one answer and four pauses";
    EXPECT_EQ(fake.registry.hasValue(RegistryRoot::LocalMachine, FIREWALL_KEY, "EnableFirewall"), c.valueRemains);
    EXPECT_EQ(fake.registry.keys.count({RegistryRoot::LocalMachine, FIREWALL_KEY}), 1u) << "only the value goes";
    EXPECT_EQ(RunStatus, STATUS_RUNNING);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, FirewallCheckTest,
    ::testing::Values(
        FirewallCase{"XpHomeZeroClearedOnYes", 5, 1, "Home Edition", dword(0), 0, 0, "Y",
                     Lines{FIREWALL_OPENING, "", DISABLED} + HOME_ADVICE +
                         Lines{"", FIREWALL_QUESTION + CLEANED, "and users can now control Windows Firewall.", ""},
                     false},
        FirewallCase{"XpProfessionalZeroRemovalFails", 5, 1, "Professional", dword(0), 0, 5, "Y",
                     Lines{FIREWALL_OPENING, "", DISABLED} + OTHER_ADVICE +
                         Lines{"", FIREWALL_QUESTION + REMOVAL_FAILED, TRY_ADMIN},
                     true},
        // Server products keep an empty edition.
        FirewallCase{"Server2003ZeroAnsweredNo", 5, 2, "", dword(0), 0, 0, "N",
                     Lines{FIREWALL_OPENING, "", DISABLED} + OTHER_ADVICE + Lines{"", FIREWALL_QUESTION},
                     true},
        FirewallCase{"OneIsForcefullyEnabled", 5, 1, "Home Edition", dword(1), 0, 0, nullptr,
                     {FIREWALL_OPENING, "", "In group policies, the Windows Firewall has been forcefully enabled.",
                      "No action is necessary.", ""},
                     true},
        FirewallCase{"AbsentIsUntouched", 5, 1, "Home Edition", std::nullopt, 0, 0, nullptr,
                     {FIREWALL_OPENING, "", "In group policies, the Windows Firewall is untouched.",
                      "No action is necessary."},
                     false},
        FirewallCase{"OtherNumberWithEmptyEditionIsDisabled", 5, 1, "", dword(2), 0, 0, "N",
                     Lines{FIREWALL_OPENING, "", DISABLED} + OTHER_ADVICE + Lines{"", FIREWALL_QUESTION},
                     true},
        FirewallCase{"OnlyTheExactHomeEditionTextGetsTheHomeAdvice", 5, 1, "Home Edition ", dword(0), 0, 0, "N",
                     Lines{FIREWALL_OPENING, "", DISABLED} + OTHER_ADVICE + Lines{"", FIREWALL_QUESTION},
                     true},
        FirewallCase{"ReadDeniedIsDisabled", 5, 1, "Home Edition", dword(1), 5, 0, "N",
                     Lines{FIREWALL_OPENING, "", DISABLED} + HOME_ADVICE + Lines{"", FIREWALL_QUESTION},
                     true},
        FirewallCase{"EightByteOneDoesNotFitAndIsDisabled", 5, 1, "Home Edition", Bytes{1, 0, 0, 0, 0, 0, 0, 0}, 0,
                     0, "N",
                     Lines{FIREWALL_OPENING, "", DISABLED} + HOME_ADVICE + Lines{"", FIREWALL_QUESTION},
                     true},
        FirewallCase{"Windows2000PausesWithoutAWord", 5, 0, "", dword(0), 0, 0, nullptr, {}, true},
        FirewallCase{"MajorOtherThanFivePausesWithoutAWord", 6, 1, "Home Edition", dword(0), 0, 0, nullptr, {},
                     true}),
    [](const ::testing::TestParamInfo<FirewallCase>& info) { return std::string(info.param.name); });

TEST(FirewallCheckTest, NotReadWhereTheFirewallDoesNotExist) {
    FakePlatform fake;
    fake.setPlatformVersion(5, 0);
    fake.type("\n\n\n\n");
    checkPoliciesAndFirewall(versionWithEdition(""));
    EXPECT_EQ(fake.registry.numberReads,
              (Lines{UPDATE_KEY + "\\DisableWindowsUpdateAccess", UPDATE_KEY + "\\NoWindowsUpdate",
                     EXPLORER_KEY + "\\NoWindowsUpdate"}));
}

// --------------------------------------------------------------------------------------- access values

struct AccessFixture {
    FakePlatform fake;
    void set(const std::string& key, const std::string& name, Bytes bytes) {
        fake.registry.setBytes(RegistryRoot::CurrentUser, key, name, std::move(bytes));
    }
    bool has(const std::string& key, const std::string& name) {
        return fake.registry.hasValue(RegistryRoot::CurrentUser, key, name);
    }
};

const Lines FIREWALL_UNTOUCHED = {FIREWALL_OPENING, "", "In group policies, the Windows Firewall is untouched.",
                                  "No action is necessary.", PAUSE};

TEST(AccessPolicyTest, BlockedValueClearedOnYesLeftOnNoAndAnAbsentOneNotBlocked) {
    AccessFixture f;
    f.set(UPDATE_KEY, "DisableWindowsUpdateAccess", dword(1));
    f.set(EXPLORER_KEY, "NoWindowsUpdate", dword(1));
    f.fake.type("\nY\n\nN\n");

    checkPoliciesAndFirewall(versionWithEdition("Professional"));

    EXPECT_TRUE(transcriptIs(f.fake.transcript(),
                             FIREWALL_UNTOUCHED + Lines{BLOCKED, SHOWN_ACCESS,
                                                        ACCESS_QUESTION + CLEANED,
                                                        "and this user can now access Windows Update.",
                                                        "",
                                                        PAUSE,
                                                        NOT_BLOCKED,
                                                        SHOWN_UPDATE,
                                                        PAUSE,
                                                        MAY_BE_BLOCKED,
                                                        SHOWN_EXPLORER,
                                                        ACCESS_QUESTION + "OK, we'll leave it blocked.",
                                                        PAUSE}));
    EXPECT_EQ(f.fake.registry.deleted, Lines{UPDATE_KEY + "\\DisableWindowsUpdateAccess"});
    EXPECT_TRUE(f.fake.registry.keys.count({RegistryRoot::CurrentUser, UPDATE_KEY}));
    EXPECT_TRUE(f.has(EXPLORER_KEY, "NoWindowsUpdate"));
    EXPECT_EQ(f.fake.in.peek(), EOF);
}

TEST(AccessPolicyTest, FailedDeletionKeepsTheValueAndNumbersOtherThanOneAreNotBlocked) {
    AccessFixture f;
    f.set(UPDATE_KEY, "DisableWindowsUpdateAccess", dword(0));
    f.set(UPDATE_KEY, "NoWindowsUpdate", dword(1));
    f.set(EXPLORER_KEY, "NoWindowsUpdate", dword(2));
    f.fake.registry.deleteFailures[{RegistryRoot::CurrentUser, UPDATE_KEY, "NoWindowsUpdate"}] = 5;
    f.fake.type("\n\nY\n\n");

    checkPoliciesAndFirewall(versionWithEdition("Professional"));

    EXPECT_TRUE(transcriptIs(f.fake.transcript(),
                             FIREWALL_UNTOUCHED + Lines{NOT_BLOCKED, SHOWN_ACCESS, PAUSE, MAY_BE_BLOCKED, SHOWN_UPDATE,
                                                        ACCESS_QUESTION + REMOVAL_FAILED, TRY_ADMIN, PAUSE,
                                                        NOT_BLOCKED, SHOWN_EXPLORER, PAUSE}));
    EXPECT_TRUE(f.fake.registry.deleted.empty());
    EXPECT_TRUE(f.has(UPDATE_KEY, "NoWindowsUpdate"));
    EXPECT_EQ(RunStatus, STATUS_RUNNING);
}

// Value 3 is stored with no bytes: the read succeeds and writes nothing, so only a number that starts at 0
// keeps it from reading as value 2's 1. Value 4 is one byte: only a size that starts at 4 lets it be read.
TEST(AccessPolicyTest, NoReadInheritsTheNumberOrSizeOfAnEarlierRead) {
    AccessFixture f;
    f.set(UPDATE_KEY, "DisableWindowsUpdateAccess", dword(1));
    f.set(UPDATE_KEY, "NoWindowsUpdate", Bytes{});
    f.set(EXPLORER_KEY, "NoWindowsUpdate", Bytes{1});
    f.fake.type("\nN\n\nN\n");

    checkPoliciesAndFirewall(versionWithEdition("Home Edition"));

    EXPECT_TRUE(transcriptIs(f.fake.transcript(),
                             FIREWALL_UNTOUCHED + Lines{BLOCKED, SHOWN_ACCESS,
                                                        ACCESS_QUESTION + "OK, we'll leave it blocked.", PAUSE,
                                                        NOT_BLOCKED, SHOWN_UPDATE, PAUSE, MAY_BE_BLOCKED,
                                                        SHOWN_EXPLORER,
                                                        ACCESS_QUESTION + "OK, we'll leave it blocked.", PAUSE}));
    EXPECT_TRUE(f.fake.registry.deleted.empty());
}

TEST(AccessPolicyTest, BeforeNtFiveTheFirstAccessValueAndItsPauseAreSkipped) {
    AccessFixture f;
    f.fake.setPlatformVersion(4, 0);
    f.set(UPDATE_KEY, "DisableWindowsUpdateAccess", dword(1));
    f.fake.type("\n\n\n");

    checkPoliciesAndFirewall(versionWithEdition(""));

    EXPECT_TRUE(transcriptIs(f.fake.transcript(),
                             {PAUSE, NOT_BLOCKED, SHOWN_UPDATE, PAUSE, NOT_BLOCKED, SHOWN_EXPLORER, PAUSE}));
    EXPECT_EQ(f.fake.registry.numberReads,
              (Lines{UPDATE_KEY + "\\NoWindowsUpdate", EXPLORER_KEY + "\\NoWindowsUpdate"}));
}

TEST(PolicyEndOfInputTest, NothingIsDeletedOnAnswersThatWereNeverTyped) {
    AccessFixture f;
    f.fake.registry.setNumber(RegistryRoot::LocalMachine, FIREWALL_KEY, "EnableFirewall", 0);
    f.set(UPDATE_KEY, "DisableWindowsUpdateAccess", dword(1));
    f.fake.type("");

    checkPoliciesAndFirewall(versionWithEdition("Home Edition"));

    const std::string ended =
        "Error 0x4000: The console input has ended; no answer can be read. Tovrin will exit!";
    EXPECT_TRUE(transcriptIs(f.fake.transcript(),
                             Lines{FIREWALL_OPENING, "", DISABLED} + HOME_ADVICE +
                                 Lines{"", FIREWALL_QUESTION, ended, PAUSE, BLOCKED, SHOWN_ACCESS,
                                       "OK, we'll leave it blocked.", PAUSE} +
                                 Lines{NOT_BLOCKED, SHOWN_UPDATE, PAUSE, NOT_BLOCKED, SHOWN_EXPLORER, PAUSE}));
    EXPECT_TRUE(f.fake.registry.deleted.empty());
    EXPECT_TRUE(f.fake.registry.hasValue(RegistryRoot::LocalMachine, FIREWALL_KEY, "EnableFirewall"));
    EXPECT_TRUE(f.has(UPDATE_KEY, "DisableWindowsUpdateAccess"));
    EXPECT_EQ(RunStatus, STATUS_INPUT_ENDED);
}

}  // namespace
}  // namespace tovrin
