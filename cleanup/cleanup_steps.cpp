#include "cleanup/cleanup_steps.h"

#include "cleanup/file_operations.h"
#include "ie/ie_repair.h"
#include "platform/platform.h"
#include "run/console_out.h"
#include "run/questions.h"
#include "run/run_status.h"
#include "services/service_control.h"

namespace tovrin {

namespace {

struct CleanupObject {
    const char* suffix;  // appended directly to the folder the step names
    const char* displayName;
    const char* errorCode;
};

const CleanupObject WINDOWS_UPDATE_LOGS[] = {
    {"\\WindowsUpdate.log", "Windows Update Logfile", "0x3200"},
    {"\\Windows Update.log", "Old Version Windows Update Logfile", "0x3200"},
};

const CleanupObject SOFTWARE_DISTRIBUTION_FOLDERS[] = {
    {"\\SoftwareDistribution\\DataStore", "Software Distribution - DataStore Folder", "0x3102"},
    {"\\SoftwareDistribution\\Download", "Software Distribution - Download Folder", "0x3103"},
};

const CleanupObject CRYPTO_CATALOGUE = {"\\catroot2", "CatRoot2 Main Folder", "0x3111"};
const CleanupObject HOSTS_FILE = {"\\drivers\\etc\\HOSTS", "HOSTS File", "0x3311"};

void printLongTaskHeading(const char* heading) {
    printBlankLine();
    printText(heading, true);
    printText("NOTE: Please let this finish - it can take awhile!", true);
    printBlankLine();
}

// The command interpreter looks in the current directory before the path, so the resolver flush names
// the system's own ipconfig. A directory with a blank in it is quoted, so that cmd runs the whole path.
std::string commandPath(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

}  // namespace

void flushWindowsUpdateCaches(std::string timeStamp, SystemFolders folders) {
    printBlankLine();
    printText("Flushing Windows Update Logs....", true);
    for (const CleanupObject& log : WINDOWS_UPDATE_LOGS) {
        if (renameToOld(folders.windowsDirectory + log.suffix, log.displayName, log.errorCode, timeStamp,
                        RunStatus) == 1) {
            return;
        }
    }
    if (PlatformVersion.major != 5) {
        printText("The SoftwareDistribution cache of this version of Windows cannot be flushed in this version of "
                  "Tovrin.",
                  true);
        return;
    }
    printLongTaskHeading("Flushing SoftwareDistribution caches...");
    for (const CleanupObject& folder : SOFTWARE_DISTRIBUTION_FOLDERS) {
        if (flushAndRecreateFolder(folders.windowsDirectory + folder.suffix, folder.displayName, folder.errorCode,
                                   RunStatus) == 1) {
            return;
        }
    }
}

void flushCryptoCatalogue(std::string timeStamp, SystemFolders folders) {
    if (PlatformVersion.major != 5) {
        printText("The Crypto cache of this version of Windows cannot be flushed in this version of Tovrin.", true);
        return;
    }
    printLongTaskHeading("Flushing Crypto Service Cache...");
    stopService("cryptsvc", "Cryptographic");
    printText("Note: Should this fail, try again in safe mode.", true);
    renameToOld(folders.systemDirectory + CRYPTO_CATALOGUE.suffix, CRYPTO_CATALOGUE.displayName,
                CRYPTO_CATALOGUE.errorCode, timeStamp, RunStatus);
}

void flushDnsAndHosts(SystemFolders folders) {
    printBlankLine();
    printText("Flushing DNS...", false);
    flushConsole();
    platform().commands->run(commandPath(folders.systemDirectory + "\\ipconfig.exe") + " /flushdns");
    printText(" ...done.", true);
    std::string answer;
    askYesNo(answer, "Do you want to delete the HOSTS file (Y/N)? ", 1);
    if (answer != "Y") return;
    const std::string hostsPath = folders.systemDirectory + HOSTS_FILE.suffix;
    printText(hostsPath, true);
    if (flushFolder(hostsPath, HOSTS_FILE.displayName, HOSTS_FILE.errorCode, RunStatus) != 1) waitForEnter();
}

void cleanTempFolders(std::string, SystemFolders folders) {
    if (flushFolder(folders.windowsTempFolder, "Windows Temporary Folder", "0x3101", RunStatus) == 1) return;
    if (folders.userTempFolder != "NULL" &&
        flushFolder(folders.userTempFolder, "Personal Temporary Folder", "0x3101", RunStatus) == 1) {
        return;
    }
    purgeTemporaryInternetFiles();
    purgeHistory();
    flushFolder(folders.cookiesFolder, "Cookies Folder", "0x3104", RunStatus);
}

}  // namespace tovrin
