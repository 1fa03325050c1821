#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/transcript.h"
#include "program/run_fixture.h"

namespace tovrin::program {
namespace {

using fakes::FakePlatform;
using fakes::transcriptIs;

bool contains(const std::vector<std::string>& log, const std::string& item) {
    return std::find(log.begin(), log.end(), item) != log.end();
}

// Whatever a run did, it leaves nothing of its own open or loaded.
void expectEverythingReleased(const FakePlatform& fake) {
    EXPECT_TRUE(fake.services.openHandles.empty());
    EXPECT_EQ(fake.services.heapBlocks, 0);
    EXPECT_TRUE(fake.registry.openKeys.empty());
    EXPECT_TRUE(fake.urlCache.openFinds.empty());
    EXPECT_TRUE(fake.urlCache.faults.empty());
    EXPECT_EQ(fake.loader.loadedModules, 0);
    EXPECT_EQ(fake.urlHistory.liveObjects, 0);
    EXPECT_EQ(fake.loader.oleInitializeCalls, 1);
    EXPECT_EQ(fake.loader.oleUninitializeCalls, 1);
}

TEST(WholeRunTest, CompleteXpRunAnsweringYesEverywhere) {
    FakePlatform fake;
    seedBrokenXp(fake);
    // ENTER; firewall Y (its pause takes the line end); access Y; two pauses; zone and clock Y; HOSTS Y;
    // IE reinstall Y (the last pause takes the line end).
    fake.type("\nY\nY\n\n\nY\nY\nY\nY\n");
    runWholeRun();
    EXPECT_EQ(RunStatus, "0xFFFF");
    EXPECT_TRUE(transcriptIs(fake.transcript(), {}, readExpected("xp_complete_yes.txt")));

    EXPECT_FALSE(fake.registry.hasValue(RegistryRoot::LocalMachine, FIREWALL_KEY, "EnableFirewall"));
    EXPECT_FALSE(fake.registry.hasValue(RegistryRoot::CurrentUser, WU_POLICY_KEY, "DisableWindowsUpdateAccess"));
    EXPECT_TRUE(fake.clock.zonesWritten.empty());
    EXPECT_TRUE(fake.clock.localTimesWritten.empty());
    const std::string stamp = "Mar-05-2006-14-07-09.old";
    EXPECT_TRUE(fake.shell.existing.count("C:\\WINDOWS\\WindowsUpdate.log" + stamp));
    EXPECT_TRUE(fake.shell.existing.count("C:\\WINDOWS\\Windows Update.log" + stamp));
    EXPECT_TRUE(fake.shell.existing.count("C:\\WINDOWS\\system32\\catroot2" + stamp));
    EXPECT_FALSE(fake.shell.existing.count(HOSTS_PATH));
    EXPECT_TRUE(fake.shell.existing.count("C:\\WINDOWS\\SoftwareDistribution\\DataStore"));  // re-created, empty
    EXPECT_FALSE(fake.shell.existing.count("C:\\WINDOWS\\temp"));
    EXPECT_FALSE(fake.shell.existing.count("C:\\Documents and Settings\\Owner\\Cookies"));
    EXPECT_TRUE(fake.services.services["Network Client"].deleted);
    EXPECT_EQ(fake.commands.commandLines,
              (std::vector<std::string>{"C:\\WINDOWS\\system32\\ipconfig.exe /flushdns",
                                        "C:\\WINDOWS\\system32\\rundll32.exe setupapi,InstallHinfSection "
                                        "DefaultInstall 132 C:\\WINDOWS\\inf\\ie.inf"}));
    for (const char* service : {"cryptsvc", "wuauserv", "bits"}) {
        EXPECT_TRUE(contains(fake.services.log, std::string("start ") + service)) << service;
    }
    EXPECT_EQ(fake.urlHistory.clearCalls, 1);
    expectEverythingReleased(fake);
}

TEST(WholeRunTest, CompleteXpRunAnsweringNoChangesNothingThatAsks) {
    FakePlatform fake;
    seedBrokenXp(fake);
    fake.type("\nN\nN\n\n\nY\nY\nN\nN\n\n");
    runWholeRun();
    EXPECT_EQ(RunStatus, "0xFFFF");
    EXPECT_TRUE(transcriptIs(fake.transcript(), {}, readExpected("xp_complete_no.txt")));
    EXPECT_TRUE(fake.registry.deleted.empty());
    EXPECT_TRUE(fake.shell.existing.count(HOSTS_PATH));
    EXPECT_TRUE(fake.clock.zonesWritten.empty());
    EXPECT_TRUE(fake.clock.localTimesWritten.empty());
    EXPECT_EQ(fake.commands.commandLines, std::vector<std::string>{"C:\\WINDOWS\\system32\\ipconfig.exe /flushdns"});
    expectEverythingReleased(fake);
}

}  // namespace
}  // namespace tovrin::program
