#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "fakes/transcript.h"
#include "registration/registrar.h"
#include "run/driver.h"
#include "run/questions.h"

namespace tovrin {
namespace {

using fakes::dashes;
using fakes::FakePlatform;
using fakes::transcriptIs;

// Test doubles for every operation of the run: each prints one marker line, and the doubles that receive the
// run records show what they were handed.
struct RunDoubles {
    FakePlatform& fake;
    std::vector<std::string> events;
    std::string failAt;        // operation that stores failCode
    std::string failCode = "0x3001";
    bool atExitRegisteredBeforeOle = false;
    bool atExitCalled = false;

    RepairOperations operations() {
        RepairOperations ops;
        ops.detectWindowsVersion = [this](std::string& status, WindowsVersionInfo& version) {
            mark("detectWindowsVersion", &status);
            version.majorVersion = 5;
            version.edition = "Professional";
        };
        ops.discoverFolders = [this](SystemFolders& folders) {
            folders.windowsDirectory = "C:\\WINDOWS";
            folders.systemDirectory = "C:\\WINDOWS\\system32";
            mark("discoverFolders");
        };
        ops.stopCriticalServices = [this] { mark("stopCriticalServices"); };
        ops.checkPoliciesAndFirewall = [this](WindowsVersionInfo version) {
            mark("checkPoliciesAndFirewall " + version.edition);
        };
        ops.checkDateTime = [this](std::string& runTimestamp) {
            runTimestamp = "Mar-05-2006-14-07-09";
            mark("checkDateTime");
        };
        ops.flushWindowsUpdateCaches = [this](std::string timeStamp, SystemFolders folders) {
            folders.windowsDirectory = "changed by the step";  // its own copy
            mark("flushWindowsUpdateCaches " + timeStamp);
        };
        ops.flushCryptoCatalogue = [this](std::string timeStamp, SystemFolders folders) {
            mark("flushCryptoCatalogue " + timeStamp + " " + folders.windowsDirectory);
        };
        ops.flushDnsAndHosts = [this](SystemFolders folders) { mark("flushDnsAndHosts " + folders.systemDirectory); };
        ops.checkFalseService = [this] { mark("checkFalseService"); };
        ops.registerCatalogue = [this](ComponentRegistrar&) { mark("registerCatalogue"); };
        ops.cleanTempFolders = [this](std::string timeStamp, SystemFolders) { mark("cleanTempFolders " + timeStamp); };
        ops.restartCriticalServices = [this] {
            events.push_back(fake.loader.oleUninitializeCalls == 0 ? "restart, OLE held" : "restart, OLE gone");
            printText("[restartCriticalServices]", true);
        };
        ops.offerIeReinstall = [this](SystemFolders folders) { mark("offerIeReinstall " + folders.windowsDirectory); };
        return ops;
    }

    void mark(const std::string& what, std::string* status = nullptr) {
        events.push_back(what);
        printText("[" + what + "]", true);
        if (what.rfind(failAt, 0) == 0 && !failAt.empty()) (status ? *status : RunStatus) = failCode;
    }
};

RunDoubles* current = nullptr;
int recordAtExit(void (*)()) {
    current->atExitCalled = true;
    current->atExitRegisteredBeforeOle = current->fake.loader.oleInitializeCalls == 0;
    return 0;
}

int run(RunDoubles& doubles) {
    current = &doubles;
    return runRepair(doubles.operations(), recordAtExit);
}

std::vector<std::string> introLines() {
    return {"Tovrin BETA v0.41                      By Dremmond",
            dashes() + "    This is a tool to repair Windows Update using information gathered from",
            "      the WU Troubleshooter, Forums, and much more. In the process, this",
            "                    tool also fixes many common IE issues.",
            dashes() + "NOTE: Please close all programs to ensure that this tool can run.",
            "Press ENTER to continue."};
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The step-0 lines, with the first line carrying the row of dashes left by the intro.
std::vector<std::string> stepZeroLines() {
    return {dashes() + "[detectWindowsVersion]", "[discoverFolders]", "Detected Windows Directory : C:\\WINDOWS",
            "Detected System Directory  : C:\\WINDOWS\\system32", dashes() + "[stopCriticalServices]"};
}

std::string banner(const std::string& title) { return dashes() + " " + title; }

std::vector<std::string> mainStepLines() {
    return {banner(" REGISTRY SCAN AND WINDOWS FIREWALL TAMPER CHECK"),
            dashes() + "[checkPoliciesAndFirewall Professional]",
            banner(" DATE AND TIME CHECK"),
            dashes() + "[checkDateTime]",
            banner(" WINDOWS UPDATE LOG AND CACHE FLUSH"),
            dashes() + "[flushWindowsUpdateCaches Mar-05-2006-14-07-09]",
            banner(" CRYPTO SERVICE FLUSH"),
            dashes() + "[flushCryptoCatalogue Mar-05-2006-14-07-09 C:\\WINDOWS]",
            banner(" DNS CACHE AND HOSTS LIST FLUSH"),
            dashes() + "[flushDnsAndHosts C:\\WINDOWS\\system32]",
            banner(" FALSE SERVICE CHECK"),
            dashes() + "[checkFalseService]",
            banner(" CRITICAL FILE REREGISTRATION"),
            dashes() + "[registerCatalogue]",
            banner(" TEMP FOLDER CLEANUP"),
            dashes() + "[cleanTempFolders Mar-05-2006-14-07-09]"};
}

std::vector<std::string> restartLines() {
    return {banner(" RESTART CRITCAL SERVICES"), dashes() + "[restartCriticalServices]"};
}

std::vector<std::string> exitReportLines() {
    return {"Tovrin cannot continue, due to an error reported above.",
            "Please email us at help@tovrin.org for more information.",
            "Also, please include the error message given above.", "This tool will now exit.",
            "Press ENTER to continue."};
}

TEST(RunDriverTest, CompleteRunOnWindowsXpOffersTheReinstall) {
    FakePlatform fake;
    fake.type("\n\n");
    RunDoubles doubles{fake};
    EXPECT_EQ(run(doubles), 0);
    EXPECT_EQ(RunStatus, "0xFFFF");
    EXPECT_TRUE(transcriptIs(fake.transcript(),
                             introLines() + stepZeroLines() + mainStepLines() + restartLines() +
                                 std::vector<std::string>{banner(" OPTIONAL IE REINSTALL"),
                                                          dashes() + "[offerIeReinstall C:\\WINDOWS]",
                                                          dashes() + "Press ENTER to continue."}));
    // The exit report is registered before anything else happens, and prints nothing after a complete run.
    EXPECT_TRUE(doubles.atExitCalled);
    EXPECT_TRUE(doubles.atExitRegisteredBeforeOle);
    fake.out.str("");
    exitReport();
    EXPECT_EQ(fake.transcript(), "");
    // OLE is held through the closing part and released once, when the registrar goes last.
    EXPECT_EQ(doubles.events.back(), "offerIeReinstall C:\\WINDOWS");
    EXPECT_NE(std::find(doubles.events.begin(), doubles.events.end(), "restart, OLE held"), doubles.events.end());
    EXPECT_EQ(fake.loader.oleInitializeCalls, 1);
    EXPECT_EQ(fake.loader.oleUninitializeCalls, 1);
}

TEST(RunDriverTest, CompleteRunElsewhereSkipsTheReinstallWithoutAWord) {
    for (auto version : {std::pair<std::uint32_t, std::uint32_t>{5, 0}, {5, 2}, {6, 1}}) {
        FakePlatform fake;
        fake.setPlatformVersion(version.first, version.second);
        fake.type("\n\n");
        RunDoubles doubles{fake};
        run(doubles);
        EXPECT_EQ(RunStatus, "0xFFFF");
        EXPECT_TRUE(transcriptIs(fake.transcript(), introLines() + stepZeroLines() + mainStepLines() + restartLines() +
                                                        std::vector<std::string>{dashes() + "Press ENTER to continue."}))
            << "version " << version.first << "." << version.second;
    }
}

struct FatalCase {
    const char* name;
    std::string failAt;
    std::string code;
    int stepsRun;  // main steps after step 0 whose markers appear
};

class RunDriverFatalTest : public ::testing::TestWithParam<FatalCase> {};

TEST_P(RunDriverFatalTest, EndsTheMainStepsRestartsTheServicesAndReports) {
    const FatalCase& c = GetParam();
    FakePlatform fake;
    fake.type("\n\n\n");
    RunDoubles doubles{fake};
    doubles.failAt = c.failAt;
    doubles.failCode = c.code;
    run(doubles);
    EXPECT_EQ(RunStatus, c.code);
    std::vector<std::string> steps = mainStepLines();
    steps.resize(static_cast<std::size_t>(2 * c.stepsRun));
    // Step 0 always runs all of its actions, whatever the version detection stored.
    EXPECT_TRUE(transcriptIs(fake.transcript(), introLines() + stepZeroLines() + steps + restartLines() +
                                                    std::vector<std::string>{dashes() + "Press ENTER to continue."}));
    fake.out.str("");
    exitReport();
    EXPECT_TRUE(transcriptIs(fake.transcript(), exitReportLines()));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, RunDriverFatalTest,
    ::testing::Values(FatalCase{"VersionGate", "detectWindowsVersion", "0x1001", 0},
                      FatalCase{"FolderDiscovery", "discoverFolders", "0x3001", 0},
                      FatalCase{"DateAndTime", "checkDateTime", "0x0005", 2},
                      FatalCase{"TempFoldersOnXpSkipsReinstall", "cleanTempFolders", "0x3101", 8},
                      FatalCase{"CodeDifferingOnlyInLetterCase", "stopCriticalServices", "0xf000", 0},
                      FatalCase{"CodeWithOneCharacterMore", "checkFalseService", "0xF0000", 6}),
    [](const ::testing::TestParamInfo<FatalCase>& info) { return std::string(info.param.name); });

TEST(RunDriverTest, OleFailureBeforeTheIntroRunsNoMainStep) {
    FakePlatform fake;
    fake.loader.oleResult = static_cast<std::int32_t>(0x80004005u);
    fake.type("\n\n\n");
    RunDoubles doubles{fake};
    run(doubles);
    EXPECT_EQ(RunStatus, "0x2000");
    EXPECT_TRUE(transcriptIs(fake.transcript(),
                             std::vector<std::string>{"", "Error 0x2000: Unable to initialize OLE for registration.",
                                                      "Tovrin will exit!"} +
                                 introLines() +
                                 std::vector<std::string>{dashes() + dashes() + " " + " RESTART CRITCAL SERVICES",
                                                          dashes() + "[restartCriticalServices]",
                                                          dashes() + "Press ENTER to continue."}));
    EXPECT_EQ(doubles.events, (std::vector<std::string>{"restart, OLE held"}));
    EXPECT_TRUE(fake.loader.errorModes.empty());
    EXPECT_EQ(fake.loader.oleUninitializeCalls, 1);
    fake.out.str("");
    exitReport();
    EXPECT_TRUE(transcriptIs(fake.transcript(), exitReportLines()));
}

// A question whose input has ended ends the run like a fatal failure, and the double changes nothing.
TEST(RunDriverTest, EndOfInputAtAQuestionEndsTheRunWithoutChanges) {
    for (bool numberQuestion : {false, true}) {
        FakePlatform fake;
        fake.type("\n");  // only the intro's ENTER
        RunDoubles doubles{fake};
        RepairOperations ops = doubles.operations();
        bool changed = false;
        ops.checkPoliciesAndFirewall = [&](WindowsVersionInfo) {
            if (numberQuestion) {
                std::int32_t hours = 0;
                askNumber(hours, "Hours? ", 5);
                if (!inputEnded()) changed = true;
            } else {
                std::string answer;
                askYesNo(answer, "Delete (Y/N)? ", 1);
                if (answer == "Y") changed = true;
            }
        };
        current = &doubles;
        runRepair(ops, recordAtExit);
        EXPECT_FALSE(changed);
        EXPECT_EQ(RunStatus, "0x4000");
        EXPECT_TRUE(transcriptIs(
            fake.transcript(),
            introLines() + stepZeroLines() +
                std::vector<std::string>{
                    banner(" REGISTRY SCAN AND WINDOWS FIREWALL TAMPER CHECK"),
                    dashes() + (numberQuestion ? "Hours? " : "Delete (Y/N)? "),
                    "Error 0x4000: The console input has ended; no answer can be read. Tovrin will exit!"} +
                restartLines() + std::vector<std::string>{dashes() + "Press ENTER to continue."}));
        fake.out.str("");
        exitReport();
        EXPECT_TRUE(transcriptIs(fake.transcript(), exitReportLines()));
    }
}

}  // namespace
}  // namespace tovrin
