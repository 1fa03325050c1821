#include <gtest/gtest.h>

#include "cleanup/cleanup_steps.h"
#include "fakes/fake_platform.h"
#include "fakes/transcript.h"

namespace tovrin {
namespace {

using fakes::FakePlatform;
using fakes::PipeWriter;
using fakes::transcriptIs;

const std::string STAMP = "Mar-05-2006-14-07-09";
const std::string PROMPT = "Do you want to continue running Tovrin (Y/N)? ";
const std::string CLEANER_LINE = "An alternative is to try running CCleaner from http://www.ccleaner.com.";
const std::string NONFATAL = "This error is nonfatal, but this step should be completed.";
const std::string STOP = "OK, Tovrin will now exit.";

SystemFolders xpFolders() {
    SystemFolders f;
    f.windowsDirectory = "C:\\WINDOWS";
    f.systemDirectory = "C:\\WINDOWS\\system32";
    f.windowsTempFolder = "C:\\WINDOWS\\TEMP\\";
    f.userTempFolder = "C:\\DOCUME~1\\Owner\\LOCALS~1\\Temp\\";
    f.internetCacheFolder = "C:\\Documents and Settings\\Owner\\Local Settings\\Temporary Internet Files";
    f.historyFolder = "C:\\Documents and Settings\\Owner\\Local Settings\\History";
    f.cookiesFolder = "C:\\Documents and Settings\\Owner\\Cookies";
    return f;
}

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<std::string> done(const std::string& verb, const std::string& path, const std::string& name) {
    return {"", verb + path + "...", "", "The " + name + " was cleaned successfully."};
}

// ------------------------------------------------------------------------------------ Windows Update step

const std::string LOG = "C:\\WINDOWS\\WindowsUpdate.log";
const std::string OLD_LOG = "C:\\WINDOWS\\Windows Update.log";
const std::string DATASTORE = "C:\\WINDOWS\\SoftwareDistribution\\DataStore";
const std::string DOWNLOAD = "C:\\WINDOWS\\SoftwareDistribution\\Download";

TEST(WindowsUpdateStepTest, VersionFiveRenamesBothLogsAndEmptiesBothCaches) {
    FakePlatform fake;
    fake.shell.existing = {LOG, OLD_LOG, DATASTORE, DATASTORE + "\\DataStore.edb", DOWNLOAD, DOWNLOAD + "\\x.cab"};
    flushWindowsUpdateCaches(STAMP, xpFolders());
    EXPECT_TRUE(transcriptIs(
        fake.transcript(),
        concat({{"", "Flushing Windows Update Logs...."},
                done("Renaming ", LOG, "Windows Update Logfile"),
                done("Renaming ", OLD_LOG, "Old Version Windows Update Logfile"),
                {"", "Flushing SoftwareDistribution caches...", "NOTE: Please let this finish - it can take awhile!", ""},
                done("Flushing ", DATASTORE, "Software Distribution - DataStore Folder"),
                done("Flushing ", DOWNLOAD, "Software Distribution - Download Folder")})));
    EXPECT_EQ(fake.shell.existing, (std::set<std::string>{LOG + STAMP + ".old", OLD_LOG + STAMP + ".old", DATASTORE,
                                                          DOWNLOAD}));
    EXPECT_EQ(RunStatus, STATUS_RUNNING);
}

struct WindowsUpdateCase {
    const char* name;
    std::uint32_t major;
    std::string failingPath;  // the shell fails this one with 5; empty: none fails
    const char* typed;
    const char* status;
    std::vector<std::string> shellLog;
};
void PrintTo(const WindowsUpdateCase& c, std::ostream* os) { *os << c.name; }

class WindowsUpdateStepTest : public ::testing::TestWithParam<WindowsUpdateCase> {};

TEST_P(WindowsUpdateStepTest, VersionGateAndStopAnswers) {
    const WindowsUpdateCase& c = GetParam();
    FakePlatform fake;
    fake.setPlatformVersion(c.major, 0);
    fake.type(c.typed);
    if (!c.failingPath.empty()) fake.shell.results[c.failingPath] = 5;
    flushWindowsUpdateCaches(STAMP, xpFolders());
    EXPECT_EQ(fake.shell.log, c.shellLog);
    EXPECT_EQ(RunStatus, c.status);
}

const std::string RENAME_LOG = "rename " + LOG + " -> " + LOG + STAMP + ".old";
const std::string RENAME_OLD_LOG = "rename " + OLD_LOG + " -> " + OLD_LOG + STAMP + ".old";

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowsUpdateStepTest,
    ::testing::Values(
        WindowsUpdateCase{"Version5", 5, "", "", "0xF000",
                          {RENAME_LOG, RENAME_OLD_LOG, "delete " + DATASTORE, "create " + DATASTORE,
                           "delete " + DOWNLOAD, "create " + DOWNLOAD}},
        WindowsUpdateCase{"Version6", 6, "", "", "0xF000", {RENAME_LOG, RENAME_OLD_LOG}},
        WindowsUpdateCase{"Version4", 4, "", "", "0xF000", {RENAME_LOG, RENAME_OLD_LOG}},
        WindowsUpdateCase{"StopInRow1", 5, LOG, "n\n", "0x3200", {RENAME_LOG}},
        WindowsUpdateCase{"StopInRow2", 5, OLD_LOG, "n\n", "0x3200", {RENAME_LOG, RENAME_OLD_LOG}},
        WindowsUpdateCase{"StopInRow3", 5, DATASTORE, "n\n", "0x3102",
                          {RENAME_LOG, RENAME_OLD_LOG, "delete " + DATASTORE, "create " + DATASTORE}},
        WindowsUpdateCase{"GoOnInRow3", 5, DATASTORE, "y\n", "0xF000",
                          {RENAME_LOG, RENAME_OLD_LOG, "delete " + DATASTORE, "create " + DATASTORE,
                           "delete " + DOWNLOAD, "create " + DOWNLOAD}},
        WindowsUpdateCase{"StopInRow4", 5, DOWNLOAD, "n\n", "0x3103",
                          {RENAME_LOG, RENAME_OLD_LOG, "delete " + DATASTORE, "create " + DATASTORE,
                           "delete " + DOWNLOAD, "create " + DOWNLOAD}},
        WindowsUpdateCase{"EndOfInputInRow1", 5, LOG, "", "0x4000", {RENAME_LOG}}),
    [](const ::testing::TestParamInfo<WindowsUpdateCase>& info) { return info.param.name; });

TEST(WindowsUpdateStepTest, OtherVersionPrintsTheOneLineWithNoBlankLineBefore) {
    FakePlatform fake;
    fake.setPlatformVersion(6, 0);
    fake.shell.results[LOG] = 0x402;
    fake.shell.results[OLD_LOG] = 0x402;
    flushWindowsUpdateCaches(STAMP, xpFolders());
    EXPECT_TRUE(transcriptIs(
        fake.transcript(),
        {"", "Flushing Windows Update Logs....", "", "Renaming " + LOG + "...",
         "The Windows Update Logfile does not exist, or cannot be cleaned automatically.", "",
         "Renaming " + OLD_LOG + "...",
         "The Old Version Windows Update Logfile does not exist, or cannot be cleaned automatically.",
         "The SoftwareDistribution cache of this version of Windows cannot be flushed in this version of Tovrin."}));
}

TEST(WindowsUpdateStepTest, StopInRow1EndsTheStepRightAfterTheDialogue) {
    FakePlatform fake;
    fake.type("n\n");
    fake.shell.results[LOG] = 32;
    flushWindowsUpdateCaches(STAMP, xpFolders());
    EXPECT_TRUE(transcriptIs(fake.transcript(),
                             {"", "Flushing Windows Update Logs....", "", "Renaming " + LOG + "...", "",
                              "Error 0x3200: Unable to rename Windows Update Logfile.", "The error code reported was: 32",
                              NONFATAL, PROMPT + STOP, ""}));
}

// ------------------------------------------------------------------------------------ DNS and HOSTS step

const std::string HOSTS = "C:\\WINDOWS\\system32\\drivers\\etc\\HOSTS";
const std::string IPCONFIG = "C:\\WINDOWS\\system32\\ipconfig.exe /flushdns";
const std::string HOSTS_PROMPT = "Do you want to delete the HOSTS file (Y/N)? ";

// Standard output as a pipe, as when the program's output is redirected: only a flush moves our text
// to the console, where the command writes directly.
struct PipedConsole {
    explicit PipedConsole(FakePlatform& fake) : pipe(fake.out), saved(consoleStreams().out) {
        consoleStreams().out = &pipe;
        fake.commands.device = &fake.out;
    }
    ~PipedConsole() {
        pipe.flush();
        consoleStreams().out = saved;
    }
    PipeWriter pipe;
    ConsoleWriter* saved;
};

TEST(DnsAndHostsStepTest, AnswerNoEndsAfterTheQuestionAndTheCommandOutputFollowsOurLine) {
    FakePlatform fake;
    fake.type("n\n");
    fake.commands.output[IPCONFIG] = "\nWindows IP Configuration\n\nSuccessfully flushed the DNS Resolver Cache.\n";
    {
        PipedConsole console(fake);
        flushDnsAndHosts(xpFolders());
    }
    EXPECT_TRUE(transcriptIs(fake.transcript(),
                             {"", "Flushing DNS...", "Windows IP Configuration", "",
                              "Successfully flushed the DNS Resolver Cache.", " ...done."},
                             HOSTS_PROMPT));
    EXPECT_EQ(fake.commands.commandLines, std::vector<std::string>{IPCONFIG});
    EXPECT_TRUE(fake.shell.requests.empty());
    EXPECT_EQ(fake.in.peek(), '\n');  // no pause took the line end
}

struct HostsCase {
    const char* name;
    int shellResult;
    const char* typed;
    const char* status;
    std::vector<std::string> afterQuestion;
};
void PrintTo(const HostsCase& c, std::ostream* os) { *os << c.name; }

class HostsDeletionTest : public ::testing::TestWithParam<HostsCase> {};

TEST_P(HostsDeletionTest, PathLineThenThePrimitiveThenThePauseUnlessStopped) {
    const HostsCase& c = GetParam();
    FakePlatform fake;
    fake.type(c.typed);
    fake.shell.existing = {HOSTS};
    fake.shell.results[HOSTS] = c.shellResult;
    flushDnsAndHosts(xpFolders());
    std::vector<std::string> lines = {"", "Flushing DNS... ...done."};
    lines.push_back(HOSTS_PROMPT + c.afterQuestion.front());
    lines.insert(lines.end(), c.afterQuestion.begin() + 1, c.afterQuestion.end());
    EXPECT_TRUE(transcriptIs(fake.transcript(), lines));
    EXPECT_EQ(RunStatus, c.status);
    ASSERT_EQ(fake.shell.requests.size(), 1u);
    EXPECT_EQ(fake.shell.requests[0].from, HOSTS);
    EXPECT_EQ(fake.shell.requests[0].operation, 3u);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, HostsDeletionTest,
    ::testing::Values(
        HostsCase{"Deleted", 0, "y\n\n", "0xF000",
                  {HOSTS, "", "Flushing " + HOSTS + "...", "", "The HOSTS File was cleaned successfully.",
                   "Press ENTER to continue."}},
        HostsCase{"Missing", 0x402, "y\n\n", "0xF000",
                  {HOSTS, "", "Flushing " + HOSTS + "...",
                   "The HOSTS File does not exist, or cannot be cleaned automatically.", "Press ENTER to continue."}},
        HostsCase{"FailedGoOn", 5, "y\ny\n\n", "0xF000",
                  {HOSTS, "", "Flushing " + HOSTS + "...", "", "Error 0x3311: Unable to clean HOSTS File.",
                   "The error code reported was: 5", NONFATAL, CLEANER_LINE,
                   PROMPT + "OK, Tovrin will continue and will not report this error at the end.", "",
                   "Press ENTER to continue."}},
        HostsCase{"FailedStop", 5, "y\nn\n", "0x3311",
                  {HOSTS, "", "Flushing " + HOSTS + "...", "", "Error 0x3311: Unable to clean HOSTS File.",
                   "The error code reported was: 5", NONFATAL, CLEANER_LINE, PROMPT + STOP, ""}}),
    [](const ::testing::TestParamInfo<HostsCase>& info) { return info.param.name; });

TEST(DnsAndHostsStepTest, EndOfInputAtTheQuestionDeletesNothing) {
    FakePlatform fake;
    fake.type("");
    flushDnsAndHosts(xpFolders());
    EXPECT_TRUE(fake.shell.requests.empty());
    EXPECT_EQ(RunStatus, STATUS_INPUT_ENDED);
}

TEST(DnsAndHostsStepTest, SystemDirectoryWithABlankIsQuotedForTheInterpreter) {
    FakePlatform fake;
    fake.type("n\n");
    SystemFolders folders = xpFolders();
    folders.systemDirectory = "D:\\Win NT\\system32";
    flushDnsAndHosts(folders);
    EXPECT_EQ(fake.commands.commandLines,
              std::vector<std::string>{"\"D:\\Win NT\\system32\\ipconfig.exe\" /flushdns"});
}

// ------------------------------------------------------------------------------------ temp folder step

const std::vector<std::string> IE_LINES = {
    "Flushing IE Temporary Internet Files... done!",
    "NOTE: Currently, there is a bug that fails cleaning today's history",
    "      if there is any item from 'My Computer' or an intranet in the",
    "      today history. I'm looking for a workaround, however, for the",
    "      time being, you may want to check this by hand when done.",
    "Flushing History... done!",
};

TEST(TempFolderStepTest, NoPersonalTempFolderGoesStraightToTheInternetCache) {
    FakePlatform fake;
    SystemFolders folders = xpFolders();
    folders.userTempFolder = "NULL";
    fake.shell.existing = {"C:\\WINDOWS\\TEMP", "C:\\WINDOWS\\TEMP\\a.tmp", folders.cookiesFolder};
    fake.urlCache.addEntry("http://a/1");
    cleanTempFolders(STAMP, folders);
    EXPECT_TRUE(transcriptIs(fake.transcript(),
                             concat({done("Flushing ", "C:\\WINDOWS\\TEMP\\", "Windows Temporary Folder"), IE_LINES,
                                     done("Flushing ", folders.cookiesFolder, "Cookies Folder")})));
    EXPECT_EQ(fake.shell.log, (std::vector<std::string>{"delete C:\\WINDOWS\\TEMP\\", "delete " + folders.cookiesFolder}));
    EXPECT_TRUE(fake.shell.existing.empty());  // deleted whole, not re-created
    EXPECT_TRUE(fake.urlCache.remainingUrls().empty());
    EXPECT_EQ(fake.urlHistory.clearCalls, 1);
}

TEST(TempFolderStepTest, PersonalTempFolderIsFlushedBetweenTheWindowsTempAndTheCaches) {
    FakePlatform fake;
    const SystemFolders folders = xpFolders();
    cleanTempFolders(STAMP, folders);
    EXPECT_TRUE(transcriptIs(fake.transcript(),
                             concat({done("Flushing ", folders.windowsTempFolder, "Windows Temporary Folder"),
                                     done("Flushing ", folders.userTempFolder, "Personal Temporary Folder"), IE_LINES,
                                     done("Flushing ", folders.cookiesFolder, "Cookies Folder")})));
}

struct TempStopCase {
    const char* name;
    std::string failingPath;
    const char* status;
    std::size_t requests;
    int historyClears;
};
void PrintTo(const TempStopCase& c, std::ostream* os) { *os << c.name; }

class TempFolderStopTest : public ::testing::TestWithParam<TempStopCase> {};

TEST_P(TempFolderStopTest, StopAnswerEndsTheStepThere) {
    const TempStopCase& c = GetParam();
    FakePlatform fake;
    fake.type("n\n");
    fake.shell.results[c.failingPath] = 5;
    cleanTempFolders(STAMP, xpFolders());
    EXPECT_EQ(RunStatus, c.status);
    EXPECT_EQ(fake.shell.requests.size(), c.requests);
    EXPECT_EQ(fake.urlHistory.clearCalls, c.historyClears);
    EXPECT_EQ(fake.transcript().substr(fake.transcript().size() - STOP.size() - 2), STOP + "\n\n");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TempFolderStopTest,
    ::testing::Values(TempStopCase{"WindowsTemp", "C:\\WINDOWS\\TEMP\\", "0x3101", 1, 0},
                      TempStopCase{"PersonalTemp", "C:\\DOCUME~1\\Owner\\LOCALS~1\\Temp\\", "0x3101", 2, 0},
                      TempStopCase{"Cookies", "C:\\Documents and Settings\\Owner\\Cookies", "0x3104", 3, 1}),
    [](const ::testing::TestParamInfo<TempStopCase>& info) { return info.param.name; });

// ------------------------------------------------------------------------------------ crypto step

const std::string CATROOT2 = "C:\\WINDOWS\\system32\\catroot2";

TEST(CryptoStepTest, VersionFiveStopsTheServiceThenRenamesCatroot2) {
    FakePlatform fake;
    fake.shell.existing = {CATROOT2};
    flushCryptoCatalogue(STAMP, xpFolders());
    EXPECT_TRUE(transcriptIs(fake.transcript(),
                             concat({{"", "Flushing Crypto Service Cache...",
                                      "NOTE: Please let this finish - it can take awhile!", "",
                                      "Stopping the Cryptographic service... done!",
                                      "Note: Should this fail, try again in safe mode."},
                                     done("Renaming ", CATROOT2, "CatRoot2 Main Folder")})));
    EXPECT_EQ(fake.services.log, std::vector<std::string>{"stop cryptsvc"});
    EXPECT_EQ(fake.shell.existing, std::set<std::string>{CATROOT2 + STAMP + ".old"});
}

TEST(CryptoStepTest, RenameIsTriedEvenWhenTheServiceIsMissing) {
    FakePlatform fake;
    fake.type("n\n");
    fake.services.services.erase("cryptsvc");
    fake.shell.results[CATROOT2] = 32;
    flushCryptoCatalogue(STAMP, xpFolders());
    EXPECT_TRUE(transcriptIs(
        fake.transcript(),
        {"", "Flushing Crypto Service Cache...", "NOTE: Please let this finish - it can take awhile!", "",
         "Stopping the Cryptographic service... ... it does not exist.",
         "Note: Should this fail, try again in safe mode.", "", "Renaming " + CATROOT2 + "...", "",
         "Error 0x3111: Unable to rename CatRoot2 Main Folder.", "The error code reported was: 32", NONFATAL,
         PROMPT + STOP, ""}));
    EXPECT_EQ(RunStatus, "0x3111");
}

TEST(CryptoStepTest, OtherVersionTouchesNothing) {
    FakePlatform fake;
    fake.setPlatformVersion(6, 0);
    flushCryptoCatalogue(STAMP, xpFolders());
    EXPECT_TRUE(transcriptIs(fake.transcript(),
                             {"The Crypto cache of this version of Windows cannot be flushed in this version of Tovrin."}));
    EXPECT_TRUE(fake.services.log.empty());
    EXPECT_TRUE(fake.services.opens.empty());
    EXPECT_TRUE(fake.shell.requests.empty());
}

}  // namespace
}  // namespace tovrin
