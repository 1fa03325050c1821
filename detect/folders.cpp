#include "detect/folders.h"

#include "platform/platform.h"
#include "run/console_out.h"
#include "run/run_status.h"

namespace tovrin {

namespace {

constexpr int FLAG_CREATE = 0x8000;  // CSIDL_FLAG_CREATE
constexpr int CSIDL_INTERNET_CACHE = 0x0020;
constexpr int CSIDL_COOKIES = 0x0021;
constexpr int CSIDL_HISTORY = 0x0022;
constexpr int CSIDL_PROFILE = 0x0028;

const char* const TEMP_SUBFOLDER = "\\temp\\";
const char* const NO_FOLDER = "NULL";

struct ShellFolder {
    int csidl;
    std::string SystemFolders::*field;
    const char* code;
    const char* reason;
};

// In the order they are looked up.
const ShellFolder SHELL_FOLDERS[] = {
    {CSIDL_HISTORY | FLAG_CREATE, &SystemFolders::historyFolder, "0x3001", "Unable to determine History folder."},
    {CSIDL_COOKIES | FLAG_CREATE, &SystemFolders::cookiesFolder, "0x3002", "Unable to determine Cookies folder."},
    {CSIDL_INTERNET_CACHE | FLAG_CREATE, &SystemFolders::internetCacheFolder, "0x3000",
     "Unable to determine Temporary Internet Files folder."},
};

void failDiscovery(const char* code, const char* reason) {
    printText(std::string("Error ") + code + ": " + reason, true);
    printText("Tovrin will now exit.", true);
    RunStatus = code;
}

// An empty path counts as a failure too: the later steps would otherwise work on "\temp\" and the like at
// the root of the current drive.
bool shellFolder(int csidl, std::string& path) {
    std::string found;
    if (platform().system->folderPath(csidl, found) < 0 || found.empty()) return false;
    path = found;
    return true;
}

bool directory(bool (SystemInfoApi::*call)(std::string&), std::string& path) {
    std::string found;
    if (!(platform().system->*call)(found) || found.empty()) return false;
    path = found;
    return true;
}

}  // namespace

void discoverFolders(SystemFolders& folders) {
    if (!directory(&SystemInfoApi::windowsDirectory, folders.windowsDirectory)) {
        failDiscovery("0x3003", "Unable to determine the Windows directory.");
        return;
    }
    if (!directory(&SystemInfoApi::systemDirectory, folders.systemDirectory)) {
        failDiscovery("0x3003", "Unable to determine the System directory.");
        return;
    }
    folders.windowsTempFolder = folders.windowsDirectory + TEMP_SUBFOLDER;

    for (const ShellFolder& folder : SHELL_FOLDERS) {
        if (!shellFolder(folder.csidl, folders.*folder.field)) {
            failDiscovery(folder.code, folder.reason);
            return;
        }
    }

    if (PlatformVersion.major != 5) {
        folders.userTempFolder = NO_FOLDER;
        return;
    }
    std::string profile;
    if (!shellFolder(CSIDL_PROFILE | FLAG_CREATE, profile)) {
        failDiscovery("0x3004", "Unable to determine the per-user temp folder.");
        folders.userTempFolder = NO_FOLDER;
        return;
    }
    folders.userTempFolder = profile + TEMP_SUBFOLDER;
}

}  // namespace tovrin
