// One failure at a time, injected into a whole run: whatever fails, the run ends, every critical service gets
// its start attempt, the status is the one the failure calls for, nothing that asks is changed without its
// "Y", and everything opened, allocated, loaded or enumerated is released.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "program/run_fixture.h"

namespace tovrin::program {
namespace {

using fakes::FakePlatform;

constexpr std::int32_t E_FAIL_RESULT = static_cast<std::int32_t>(0x80004005u);

// The answers of a run that changes nothing it asks about: ENTER, firewall N, access N and two pauses, zone
// and clock Y ...
const std::string UNTIL_STEP_3 = "\nN\nN\n\n\nY\nY\n";
// ... HOSTS N, IE reinstall N, the last pause.
const std::string AFTER_STEP_3 = "N\nN\n\n";

struct Injection {
    const char* name;
    std::function<void(FakePlatform&)> inject;
    std::string typed;
    const char* status;
};

void setPath(FakePlatform& fake, const std::string& path, int result) { fake.shell.results[path] = result; }

const Injection INJECTIONS[] = {
    {"Nothing", [](FakePlatform&) {}, UNTIL_STEP_3 + AFTER_STEP_3, "0xFFFF"},
    {"VersionQueryFails",
     [](FakePlatform& f) { f.system.extendedQueryWorks = f.system.basicQueryWorks = false; }, "\n\n", "0x1100"},
    {"Windows95",
     [](FakePlatform& f) {
         f.setPlatformVersion(4, 0);
         f.system.version.platformId = PLATFORM_WIN32_WINDOWS;
         f.system.version.csdVersion = " C";
     },
     "\n\n", "0x1000"},
    {"Nt4ServicePack6",
     [](FakePlatform& f) {
         f.setPlatformVersion(4, 0);
         f.system.version.csdVersion = "Service Pack 6";
     },
     "\n\n", "0x1002"},
    {"WindowsDirectoryUnreadable", [](FakePlatform& f) { f.system.windowsDirectoryWorks = false; }, "\n\n",
     "0x3003"},
    {"HistoryFolderMissing", [](FakePlatform& f) { f.system.folders[0x8022] = {E_FAIL_RESULT, ""}; }, "\n\n",
     "0x3001"},
    {"ProfileFolderMissing", [](FakePlatform& f) { f.system.folders[0x8028] = {E_FAIL_RESULT, ""}; }, "\n\n",
     "0x3004"},
    {"ServiceManagerWontOpen", [](FakePlatform& f) { f.services.managerOpens = false; },
     UNTIL_STEP_3 + AFTER_STEP_3, "0xFFFF"},
    {"CriticalStopRefused", [](FakePlatform& f) { f.services.services["wuauserv"].refusesStop = true; },
     UNTIL_STEP_3 + AFTER_STEP_3, "0xFFFF"},
    {"CriticalStopTimesOut",
     [](FakePlatform& f) { f.services.services["bits"].stopReply = {SERVICE_STATE_STOP_PENDING, 0, 1000}; },
     UNTIL_STEP_3 + AFTER_STEP_3, "0xFFFF"},
    {"CriticalQueryFails", [](FakePlatform& f) { f.services.services["cryptsvc"].queryError = 5; },
     UNTIL_STEP_3 + AFTER_STEP_3, "0xFFFF"},
    {"CriticalServiceMissing", [](FakePlatform& f) { f.services.services.erase("bits"); },
     UNTIL_STEP_3 + AFTER_STEP_3, "0xFFFF"},
    {"CriticalStartFails", [](FakePlatform& f) { f.services.services["wuauserv"].startError = 1053; },
     UNTIL_STEP_3 + AFTER_STEP_3, "0xFFFF"},
    {"CriticalStartStaysPending",
     [](FakePlatform& f) { f.services.services["bits"].startState = SERVICE_STATE_START_PENDING; },
     UNTIL_STEP_3 + AFTER_STEP_3, "0xFFFF"},
    {"FalseServiceRefusesStop",
     [](FakePlatform& f) { f.services.services["Network Client"].refusesStop = true; },
     UNTIL_STEP_3 + AFTER_STEP_3, "0xFFFF"},
    {"FalseServiceRefusesDeletion",
     [](FakePlatform& f) { f.services.services["Network Client"].refusesDelete = true; },
     UNTIL_STEP_3 + AFTER_STEP_3, "0xFFFF"},
    {"LogsMissing",
     [](FakePlatform& f) {
         setPath(f, "C:\\WINDOWS\\WindowsUpdate.log", 0x402);
         setPath(f, "C:\\WINDOWS\\Windows Update.log", 0x402);
     },
     UNTIL_STEP_3 + AFTER_STEP_3, "0xFFFF"},
    {"LogRenameFailsAndTheUserGoesOn", [](FakePlatform& f) { setPath(f, "C:\\WINDOWS\\WindowsUpdate.log", 5); },
     UNTIL_STEP_3 + "Y\n" + AFTER_STEP_3, "0xFFFF"},
    {"LogRenameFailsAndTheUserStops", [](FakePlatform& f) { setPath(f, "C:\\WINDOWS\\WindowsUpdate.log", 5); },
     UNTIL_STEP_3 + "N\n", "0x3200"},
    {"DataStoreDeleteFailsAndTheUserStops",
     [](FakePlatform& f) { setPath(f, "C:\\WINDOWS\\SoftwareDistribution\\DataStore", 0x7C); },
     UNTIL_STEP_3 + "N\n", "0x3102"},
    {"DownloadDeleteFailsAndTheUserStops",
     [](FakePlatform& f) { setPath(f, "C:\\WINDOWS\\SoftwareDistribution\\Download", 32); }, UNTIL_STEP_3 + "N\n",
     "0x3103"},
    {"CatrootRenameFailsAndTheUserStops", [](FakePlatform& f) { setPath(f, "C:\\WINDOWS\\system32\\catroot2", 32); },
     UNTIL_STEP_3 + "N\n", "0x3111"},
    {"TempDeleteFailsAndTheUserStops", [](FakePlatform& f) { setPath(f, "C:\\WINDOWS\\temp\\", 5); },
     UNTIL_STEP_3 + "N\nN\n", "0x3101"},
    {"CookiesDeleteFailsAndTheUserGoesOn",
     [](FakePlatform& f) { setPath(f, "C:\\Documents and Settings\\Owner\\Cookies", 5); },
     UNTIL_STEP_3 + "N\nY\nN\n\n", "0xFFFF"},
    {"CookiesDeleteFailsAndTheUserStops",
     [](FakePlatform& f) { setPath(f, "C:\\Documents and Settings\\Owner\\Cookies", 5); },
     UNTIL_STEP_3 + "N\nN\n", "0x3104"},
    {"EveryDeletionDeclinedAtTheShellsConfirmation",
     [](FakePlatform& f) {
         f.shell.cancelled = {"C:\\WINDOWS\\SoftwareDistribution\\DataStore",
                              "C:\\WINDOWS\\SoftwareDistribution\\Download", "C:\\WINDOWS\\temp\\",
                              "C:\\Documents and Settings\\Owner\\Cookies"};
     },
     UNTIL_STEP_3 + AFTER_STEP_3, "0xFFFF"},
    {"OleFails", [](FakePlatform& f) { f.loader.oleResult = E_FAIL_RESULT; }, "\n\n", "0x2000"},
    {"ComponentsFail",
     [](FakePlatform& f) {
         f.loader.components["C:\\WINDOWS\\system32\\softpub.dll"].registerResult = E_FAIL_RESULT;
         f.loader.components["C:\\WINDOWS\\system32\\wintrust.dll"].hasEntryPoint = false;
         f.loader.components["C:\\WINDOWS\\system32\\initpki.dll"].handle = 5;
     },
     UNTIL_STEP_3 + AFTER_STEP_3, "0xFFFF"},
    {"FirewallReadFails",
     [](FakePlatform& f) { f.registry.readFailures[{RegistryRoot::LocalMachine, FIREWALL_KEY, "EnableFirewall"}] = 5; },
     UNTIL_STEP_3 + AFTER_STEP_3, "0xFFFF"},
    {"PolicyDeleteFailsAfterYes",
     [](FakePlatform& f) {
         f.registry.deleteFailures[{RegistryRoot::LocalMachine, FIREWALL_KEY, "EnableFirewall"}] = 5;
         f.registry.deleteFailures[{RegistryRoot::CurrentUser, WU_POLICY_KEY, "DisableWindowsUpdateAccess"}] = 5;
     },
     "\nY\nY\n\n\nY\nY\n" + AFTER_STEP_3, "0xFFFF"},
    {"ZoneUnreadable", [](FakePlatform& f) { f.clock.zoneResult = TIME_ZONE_ID_INVALID_RESULT; }, "\nN\nN\n\n\n\n",
     "0x0006"},
    {"ZoneWriteRefused", [](FakePlatform& f) { f.clock.zoneWrites = false; }, "\nN\nN\n\n\nN\n5\nN\n", "0x0005"},
    {"ClockWriteRefused", [](FakePlatform& f) { f.clock.localTimeWrites = false; },
     "\nN\nN\n\n\nY\nN\n1\n2\n2007\n3\n4\n", "0x0004"},
    {"UrlCacheGroupNeverDeletes", [](FakePlatform& f) { f.urlCache.groups.push_back({7, false, false}); },
     UNTIL_STEP_3 + AFTER_STEP_3, "0xFFFF"},
    {"UrlCacheEntryNeverDeletes", [](FakePlatform& f) { f.urlCache.entries.push_back({"http://a/", 0, false, 0, false}); },
     UNTIL_STEP_3 + AFTER_STEP_3, "0xFFFF"},
    {"UrlCacheSizingFails", [](FakePlatform& f) { f.urlCache.sizingQueryError = 5; }, UNTIL_STEP_3 + AFTER_STEP_3,
     "0xFFFF"},
    {"HistoryClassMissing",
     [](FakePlatform& f) { f.urlHistory.createResult = static_cast<std::int32_t>(0x80040154u); },
     UNTIL_STEP_3 + AFTER_STEP_3, "0xFFFF"},
    {"ComInitialisationFails", [](FakePlatform& f) { f.urlHistory.coInitializeResult = E_FAIL_RESULT; },
     UNTIL_STEP_3 + AFTER_STEP_3, "0xFFFF"},
    {"InputEndsInTheMiddle", [](FakePlatform&) {}, "\nN\n", "0x4000"},
    {"InputEndsAtTheStopQuestion", [](FakePlatform& f) { setPath(f, "C:\\WINDOWS\\WindowsUpdate.log", 5); },
     UNTIL_STEP_3, "0x4000"},
};

void PrintTo(const Injection& injection, std::ostream* os) { *os << injection.name; }

class FaultInjectionTest : public ::testing::TestWithParam<Injection> {};

TEST_P(FaultInjectionTest, RunEndsRestartsServicesAndChangesNothingUnasked) {
    const Injection& injection = GetParam();
    FakePlatform fake;
    seedBrokenXp(fake);
    const TimeZoneInfo zoneBefore = fake.clock.zone;
    injection.inject(fake);
    fake.type(injection.typed);

    runWholeRun();

    EXPECT_EQ(RunStatus, injection.status);
    // Every critical service gets its one start attempt (opened with every right), whatever happened.
    for (const char* service : {"cryptsvc", "wuauserv", "bits"}) {
        const auto attempts = std::count(fake.services.opens.begin(), fake.services.opens.end(),
                                         std::make_pair(std::string(service), std::uint32_t{RIGHT_SERVICE_ALL}));
        EXPECT_EQ(attempts, 1) << service;
    }
    // Nothing asked about changes without "Y": the answers typed here never say yes to a change, except
    // where a deletion then fails anyway; zone and clock writes, where asked for, are refused.
    EXPECT_TRUE(fake.registry.deleted.empty());
    EXPECT_TRUE(fake.registry.hasValue(RegistryRoot::LocalMachine, FIREWALL_KEY, "EnableFirewall"));
    EXPECT_TRUE(fake.shell.existing.count(HOSTS_PATH));
    EXPECT_EQ(fake.clock.zone.Bias, zoneBefore.Bias);
    EXPECT_EQ(fake.clock.zone.DaylightBias, zoneBefore.DaylightBias);
    EXPECT_EQ(fake.clock.now.wYear, 2006);
    for (const std::string& command : fake.commands.commandLines) {
        EXPECT_EQ(command.find("rundll32"), std::string::npos) << command;
    }
    // Everything is released; OLE is held by the registrar alone, once.
    EXPECT_TRUE(fake.services.openHandles.empty());
    EXPECT_EQ(fake.services.heapBlocks, 0);
    EXPECT_EQ(fake.services.strayCloses, 0);
    EXPECT_EQ(fake.services.strayFrees, 0);
    EXPECT_TRUE(fake.registry.openKeys.empty());
    EXPECT_TRUE(fake.urlCache.openFinds.empty());
    EXPECT_TRUE(fake.urlCache.faults.empty());
    EXPECT_EQ(fake.loader.loadedModules, 0);
    EXPECT_EQ(std::count(fake.loader.log.begin(), fake.loader.log.end(), "free of a module never loaded"), 0);
    EXPECT_EQ(fake.urlHistory.liveObjects, 0);
    EXPECT_EQ(fake.loader.oleInitializeCalls, 1);
    EXPECT_EQ(fake.loader.oleUninitializeCalls, 1);
    // The last thing the run shows is its final pause.
    const std::string transcript = fake.transcript();
    const std::string lastPause = std::string(80, '-') + "Press ENTER to continue.\n";
    EXPECT_EQ(transcript.substr(transcript.size() - std::min(transcript.size(), lastPause.size())), lastPause);
}

INSTANTIATE_TEST_SUITE_P(OneFailureAtATime, FaultInjectionTest, ::testing::ValuesIn(INJECTIONS),
                         [](const ::testing::TestParamInfo<Injection>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovrin::program
