// The repair run: intro, the nine main steps under RunStatus, the closing part, and the exit report.
#pragma once

#include <functional>
#include <string>

#include "detect/records.h"

namespace tovrin {

class ComponentRegistrar;

// The operations the run calls, in one table so that a test can stand in for any of them.
struct RepairOperations {
    std::function<void(std::string& status, WindowsVersionInfo& version)> detectWindowsVersion;
    std::function<void(SystemFolders& folders)> discoverFolders;
    std::function<void()> stopCriticalServices;
    std::function<void(WindowsVersionInfo version)> checkPoliciesAndFirewall;
    std::function<void(std::string& runTimestamp)> checkDateTime;
    std::function<void(std::string timeStamp, SystemFolders folders)> flushWindowsUpdateCaches;
    std::function<void(std::string timeStamp, SystemFolders folders)> flushCryptoCatalogue;
    std::function<void(SystemFolders folders)> flushDnsAndHosts;
    std::function<void()> checkFalseService;
    std::function<void(ComponentRegistrar& registrar)> registerCatalogue;
    std::function<void(std::string timeStamp, SystemFolders folders)> cleanTempFolders;
    std::function<void()> restartCriticalServices;
    std::function<void(SystemFolders folders)> offerIeReinstall;
};

// The operations of the real run.
RepairOperations repairOperations();

using AtExitRegistration = int (*)(void (*)());

// The run itself. `registerAtExit` is std::atexit in the program.
int runRepair(const RepairOperations& operations, AtExitRegistration registerAtExit);

void exitReport();

}  // namespace tovrin
