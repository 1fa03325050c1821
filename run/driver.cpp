#include "run/driver.h"

#include "registration/registrar.h"
#include "run/console_out.h"
#include "run/run_status.h"

namespace tovrin {

namespace {

// What the driver owns for the whole run, on the frame of runRepair.
struct RunRecords {
    ComponentRegistrar& registrar;
    std::string& runTimestamp;
    SystemFolders& folders;
    WindowsVersionInfo& version;
};

void runDetectionStep(const RepairOperations& ops, RunRecords& run) {
    ops.detectWindowsVersion(RunStatus, run.version);
    ops.discoverFolders(run.folders);
    printText("Detected Windows Directory : " + run.folders.windowsDirectory, true);
    printText("Detected System Directory  : " + run.folders.systemDirectory, true);
    printRule(80);
    ops.stopCriticalServices();
}

struct MainStep {
    const char* banner;  // none for step 0
    void (*run)(const RepairOperations& ops, RunRecords& run);
};

const MainStep MAIN_STEPS[] = {
    {nullptr, runDetectionStep},
    {" REGISTRY SCAN AND WINDOWS FIREWALL TAMPER CHECK",
     [](const RepairOperations& ops, RunRecords& run) { ops.checkPoliciesAndFirewall(run.version); }},
    {" DATE AND TIME CHECK",
     [](const RepairOperations& ops, RunRecords& run) { ops.checkDateTime(run.runTimestamp); }},
    {" WINDOWS UPDATE LOG AND CACHE FLUSH",
     [](const RepairOperations& ops, RunRecords& run) { ops.flushWindowsUpdateCaches(run.runTimestamp, run.folders); }},
    {" CRYPTO SERVICE FLUSH",
     [](const RepairOperations& ops, RunRecords& run) { ops.flushCryptoCatalogue(run.runTimestamp, run.folders); }},
    {" DNS CACHE AND HOSTS LIST FLUSH",
     [](const RepairOperations& ops, RunRecords& run) { ops.flushDnsAndHosts(run.folders); }},
    {" FALSE SERVICE CHECK", [](const RepairOperations& ops, RunRecords&) { ops.checkFalseService(); }},
    {" CRITICAL FILE REREGISTRATION",
     [](const RepairOperations& ops, RunRecords& run) { ops.registerCatalogue(run.registrar); }},
    {" TEMP FOLDER CLEANUP",
     [](const RepairOperations& ops, RunRecords& run) { ops.cleanTempFolders(run.runTimestamp, run.folders); }},
};
constexpr int MAIN_STEP_COUNT = sizeof(MAIN_STEPS) / sizeof(MAIN_STEPS[0]);

void runMainSteps(const RepairOperations& ops, RunRecords& run) {
    for (int stepIndex = 0; stepIndex < MAIN_STEP_COUNT && runStatusIs(STATUS_RUNNING); ++stepIndex) {
        const MainStep& step = MAIN_STEPS[stepIndex];
        if (step.banner) printBanner(step.banner);
        step.run(ops, run);
    }
    if (runStatusIs(STATUS_RUNNING)) RunStatus = STATUS_COMPLETE;
}

void runClosingPart(const RepairOperations& ops, RunRecords& run) {
    printBanner(" RESTART CRITCAL SERVICES");
    ops.restartCriticalServices();
    if (PlatformVersion.major == 5 && PlatformVersion.minor == 1 && runStatusIs(STATUS_COMPLETE)) {
        printBanner(" OPTIONAL IE REINSTALL");
        ops.offerIeReinstall(run.folders);
    }
    printRule(80);
    waitForEnter();
}

}  // namespace

int runRepair(const RepairOperations& operations, AtExitRegistration registerAtExit) {
    registerAtExit(exitReport);
    ComponentRegistrar registrar;
    std::string runTimestamp;
    SystemFolders folders;
    WindowsVersionInfo version;
    RunRecords run{registrar, runTimestamp, folders, version};

    showIntro();
    runMainSteps(operations, run);
    runClosingPart(operations, run);
    return 0;
}

void exitReport() {
    if (runStatusIs(STATUS_COMPLETE) || runStatusIs(STATUS_RUNNING)) return;
    printText("Tovrin cannot continue, due to an error reported above.", true);
    printText(std::string("Please email us at ") + ContactAddress + " for more information.", true);
    printText("Also, please include the error message given above.", true);
    printText("This tool will now exit.", true);
    waitForEnter();
}

}  // namespace tovrin
