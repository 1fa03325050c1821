#include <gtest/gtest.h>

#include "cleanup/file_operations.h"
#include "fakes/fake_platform.h"
#include "fakes/transcript.h"

namespace tovrin {
namespace {

using fakes::FakePlatform;
using fakes::transcriptIs;

const std::string PATH = "C:\\WINDOWS\\system32\\catroot2";
const std::string STAMP = "Mar-05-2006-14-07-09";
const std::string PROMPT = "Do you want to continue running Tovrin (Y/N)? ";
const std::string CLEANER_LINE = "An alternative is to try running CCleaner from http://www.ccleaner.com.";
const std::string GO_ON = "OK, Tovrin will continue and will not report this error at the end.";
const std::string STOP = "OK, Tovrin will now exit.";

enum class Primitive { Flush, Rename };

struct PrimitiveCase {
    const char* name;
    Primitive primitive;
    int shellResult;
    const char* typed;
    int result;
    const char* status;
    std::vector<std::string> lines;
};
void PrintTo(const PrimitiveCase& c, std::ostream* os) { *os << c.name; }

class PrimitiveTranscriptTest : public ::testing::TestWithParam<PrimitiveCase> {};

TEST_P(PrimitiveTranscriptTest, LinesResultAndStatusForEachShellResultAndAnswer) {
    const PrimitiveCase& c = GetParam();
    FakePlatform fake;
    fake.type(c.typed);
    fake.shell.results[PATH] = c.shellResult;
    const int result = c.primitive == Primitive::Flush
                           ? flushFolder(PATH, "CatRoot2 Main Folder", "0x3111", RunStatus)
                           : renameToOld(PATH, "CatRoot2 Main Folder", "0x3111", STAMP, RunStatus);
    EXPECT_TRUE(transcriptIs(fake.transcript(), c.lines));
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(RunStatus, c.status);

    ASSERT_EQ(fake.shell.requests.size(), 1u);
    const fakes::FakeShell::Request& request = fake.shell.requests[0];
    EXPECT_EQ(request.from, PATH);
    EXPECT_TRUE(request.fromZeroFilled);
    EXPECT_EQ(request.flags, 0x0100);
    if (c.primitive == Primitive::Flush) {
        EXPECT_EQ(request.operation, 3u);
        EXPECT_FALSE(request.hasTo);
        EXPECT_EQ(request.progressTitle, "Flushing...");
    } else {
        EXPECT_EQ(request.operation, 4u);
        EXPECT_EQ(request.to, PATH + STAMP + ".old");
        EXPECT_TRUE(request.toZeroFilled);
        EXPECT_EQ(request.progressTitle, "Renaming...");
    }
}

const std::vector<std::string> FLUSH_FAILED = {
    "", "Flushing " + PATH + "...", "", "Error 0x3111: Unable to clean CatRoot2 Main Folder.",
    "The error code reported was: 120", "This error is nonfatal, but this step should be completed.", CLEANER_LINE};
const std::vector<std::string> RENAME_FAILED = {
    "", "Renaming " + PATH + "...", "", "Error 0x3111: Unable to rename CatRoot2 Main Folder.",
    "The error code reported was: -1", "This error is nonfatal, but this step should be completed."};

std::vector<std::string> answered(std::vector<std::string> lines, const std::string& reply) {
    lines.push_back(PROMPT + reply);
    lines.push_back("");
    return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Results, PrimitiveTranscriptTest,
    ::testing::Values(
        PrimitiveCase{"FlushDone", Primitive::Flush, 0, "", 0, "0xF000",
                      {"", "Flushing " + PATH + "...", "", "The CatRoot2 Main Folder was cleaned successfully."}},
        PrimitiveCase{"FlushMissing", Primitive::Flush, 0x402, "", 0, "0xF000",
                      {"", "Flushing " + PATH + "...",
                       "The CatRoot2 Main Folder does not exist, or cannot be cleaned automatically."}},
        PrimitiveCase{"FlushFailedGoOn", Primitive::Flush, 120, "y\n", 0, "0xF000", answered(FLUSH_FAILED, GO_ON)},
        PrimitiveCase{"FlushFailedStop", Primitive::Flush, 120, "n\n", 1, "0x3111", answered(FLUSH_FAILED, STOP)},
        PrimitiveCase{"RenameDone", Primitive::Rename, 0, "", 0, "0xF000",
                      {"", "Renaming " + PATH + "...", "", "The CatRoot2 Main Folder was cleaned successfully."}},
        PrimitiveCase{"RenameMissing", Primitive::Rename, 0x402, "", 0, "0xF000",
                      {"", "Renaming " + PATH + "...",
                       "The CatRoot2 Main Folder does not exist, or cannot be cleaned automatically."}},
        PrimitiveCase{"RenameFailedGoOn", Primitive::Rename, -1, "Y\n", 0, "0xF000", answered(RENAME_FAILED, GO_ON)},
        PrimitiveCase{"RenameFailedStop", Primitive::Rename, -1, "N\n", 1, "0x3111", answered(RENAME_FAILED, STOP)}),
    [](const ::testing::TestParamInfo<PrimitiveCase>& info) { return info.param.name; });

TEST(RenameToOldTest, EmptyTimeStampRenamesToThePathAndOld) {
    FakePlatform fake;
    fake.shell.existing = {"C:\\WINDOWS\\WindowsUpdate.log"};
    EXPECT_EQ(renameToOld("C:\\WINDOWS\\WindowsUpdate.log", "Windows Update Logfile", "0x3200", "", RunStatus), 0);
    EXPECT_EQ(fake.shell.existing, std::set<std::string>{"C:\\WINDOWS\\WindowsUpdate.log.old"});
}

TEST(RenameToOldTest, FolderIsRenamedWholeWithItsContent) {
    FakePlatform fake;
    fake.shell.existing = {PATH, PATH + "\\Edb.log", "C:\\WINDOWS\\system32\\catroot"};
    EXPECT_EQ(renameToOld(PATH, "CatRoot2 Main Folder", "0x3111", STAMP, RunStatus), 0);
    EXPECT_EQ(fake.shell.existing, (std::set<std::string>{"C:\\WINDOWS\\system32\\catroot",
                                                          PATH + STAMP + ".old", PATH + STAMP + ".old\\Edb.log"}));
}

TEST(FlushAndRecreateFolderTest, FolderComesBackEmpty) {
    FakePlatform fake;
    const std::string dataStore = "C:\\WINDOWS\\SoftwareDistribution\\DataStore";
    fake.shell.existing = {dataStore, dataStore + "\\DataStore.edb", dataStore + "\\Logs"};
    EXPECT_EQ(flushAndRecreateFolder(dataStore, "Software Distribution - DataStore Folder", "0x3102", RunStatus), 0);
    EXPECT_EQ(fake.shell.log, (std::vector<std::string>{"delete " + dataStore, "create " + dataStore}));
    EXPECT_EQ(fake.shell.existing, std::set<std::string>{dataStore});
}

TEST(FlushAndRecreateFolderTest, StopAnswerStillRecreatesTheFolderBeforeReturning) {
    FakePlatform fake;
    fake.type("n\n");
    const std::string download = "C:\\WINDOWS\\SoftwareDistribution\\Download";
    fake.shell.results[download] = 5;
    EXPECT_EQ(flushAndRecreateFolder(download, "Software Distribution - Download Folder", "0x3103", RunStatus), 1);
    EXPECT_EQ(RunStatus, "0x3103");
    EXPECT_EQ(fake.shell.log, (std::vector<std::string>{"delete " + download, "create " + download}));
    EXPECT_EQ(fake.transcript().substr(fake.transcript().size() - STOP.size() - 2), STOP + "\n\n");
}

// A declined confirmation gives result 0 with the aborted flag: nothing was done, and nothing is claimed.
TEST(CancelledOperationTest, DeclinedConfirmationIsReportedAsNotCleanedAndTheStepGoesOn) {
    for (Primitive primitive : {Primitive::Flush, Primitive::Rename}) {
        FakePlatform fake;
        fake.shell.existing = {PATH, PATH + "\\Edb.log"};
        fake.shell.cancelled = {PATH};
        const int result = primitive == Primitive::Flush
                               ? flushFolder(PATH, "CatRoot2 Main Folder", "0x3111", RunStatus)
                               : renameToOld(PATH, "CatRoot2 Main Folder", "0x3111", STAMP, RunStatus);
        const std::string verb = primitive == Primitive::Flush ? "Flushing " : "Renaming ";
        EXPECT_TRUE(transcriptIs(fake.transcript(), {"", verb + PATH + "...", "",
                                                     "The CatRoot2 Main Folder was not cleaned: the operation was "
                                                     "cancelled."}));
        EXPECT_EQ(result, 0);
        EXPECT_EQ(RunStatus, STATUS_RUNNING);
        EXPECT_EQ(fake.shell.existing, (std::set<std::string>{PATH, PATH + "\\Edb.log"}));
    }
}

TEST(CancelledOperationTest, CancelledFlushLeavesTheFolderWithItsContent) {
    FakePlatform fake;
    const std::string dataStore = "C:\\WINDOWS\\SoftwareDistribution\\DataStore";
    fake.shell.existing = {dataStore, dataStore + "\\DataStore.edb"};
    fake.shell.cancelled = {dataStore};
    EXPECT_EQ(flushAndRecreateFolder(dataStore, "Software Distribution - DataStore Folder", "0x3102", RunStatus), 0);
    EXPECT_EQ(fake.shell.existing, (std::set<std::string>{dataStore, dataStore + "\\DataStore.edb"}));
    EXPECT_EQ(fake.transcript().find("cleaned successfully"), std::string::npos);
}

// Paths are at most 258 characters (two NULs close the shell's 260-byte list); a longer one is never cut.
struct LengthCase {
    const char* name;
    Primitive primitive;
    std::size_t pathLength;
    const char* stamp;
    bool reachesShell;
};
void PrintTo(const LengthCase& c, std::ostream* os) { *os << c.name; }

class PathLengthTest : public ::testing::TestWithParam<LengthCase> {};

std::string pathOfLength(std::size_t length) {
    const std::string head = "C:\\";
    return head + std::string(length - head.size(), 'a');
}

TEST_P(PathLengthTest, LongestPathReachesTheShellAndALongerOneIsReportedWithError206) {
    const LengthCase& c = GetParam();
    FakePlatform fake;
    fake.type("y\n");
    const std::string path = pathOfLength(c.pathLength);
    const int result = c.primitive == Primitive::Flush ? flushFolder(path, "Cookies Folder", "0x3104", RunStatus)
                                                       : renameToOld(path, "Cookies Folder", "0x3104", c.stamp, RunStatus);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(RunStatus, STATUS_RUNNING);
    if (c.reachesShell) {
        ASSERT_EQ(fake.shell.requests.size(), 1u);
        EXPECT_EQ(fake.shell.requests[0].from, path);
        EXPECT_TRUE(fake.shell.requests[0].fromEndsInTwoNuls);
        if (c.primitive == Primitive::Rename) {
            EXPECT_EQ(fake.shell.requests[0].to, path + c.stamp + ".old");
            EXPECT_TRUE(fake.shell.requests[0].toEndsInTwoNuls);
        }
        return;
    }
    EXPECT_TRUE(fake.shell.requests.empty());
    const char* verb = c.primitive == Primitive::Flush ? "Flushing " : "Renaming ";
    std::vector<std::string> lines = {"", verb + path + "...", "",
                                      c.primitive == Primitive::Flush ? "Error 0x3104: Unable to clean Cookies Folder."
                                                                      : "Error 0x3104: Unable to rename Cookies Folder.",
                                      "The error code reported was: 206",
                                      "This error is nonfatal, but this step should be completed."};
    if (c.primitive == Primitive::Flush) lines.push_back(CLEANER_LINE);
    lines.push_back(PROMPT + GO_ON);
    lines.push_back("");
    EXPECT_TRUE(transcriptIs(fake.transcript(), lines));
}

INSTANTIATE_TEST_SUITE_P(Lengths, PathLengthTest,
                         ::testing::Values(LengthCase{"Flush258", Primitive::Flush, 258, "", true},
                                           LengthCase{"Flush259", Primitive::Flush, 259, "", false},
                                           LengthCase{"Flush400", Primitive::Flush, 400, "", false},
                                           LengthCase{"RenameTarget258", Primitive::Rename, 234, "Mar-05-2006-14-07-09",
                                                      true},
                                           LengthCase{"RenameTarget259", Primitive::Rename, 235, "Mar-05-2006-14-07-09",
                                                      false},
                                           LengthCase{"RenameSource259", Primitive::Rename, 259, "", false}),
                         [](const ::testing::TestParamInfo<LengthCase>& info) { return info.param.name; });

TEST(PathLengthTest, TooLongPathAnsweredNoStopsWithTheCallersCode) {
    FakePlatform fake;
    fake.type("n\n");
    EXPECT_EQ(flushFolder(pathOfLength(259), "Cookies Folder", "0x3104", RunStatus), 1);
    EXPECT_EQ(RunStatus, "0x3104");
    EXPECT_TRUE(fake.shell.requests.empty());
}

TEST(ErrorDialogueTest, EndOfInputStopsWithoutReplacingTheEndOfInputStatus) {
    FakePlatform fake;
    fake.type("");
    fake.shell.results[PATH] = 5;
    EXPECT_EQ(flushFolder(PATH, "CatRoot2 Main Folder", "0x3111", RunStatus), 1);
    EXPECT_EQ(RunStatus, STATUS_INPUT_ENDED);
    std::vector<std::string> lines = FLUSH_FAILED;
    lines[4] = "The error code reported was: 5";
    lines.push_back(PROMPT);
    lines.push_back("Error 0x4000: The console input has ended; no answer can be read. Tovrin will exit!");
    EXPECT_TRUE(transcriptIs(fake.transcript(), lines));
}

}  // namespace
}  // namespace tovrin
