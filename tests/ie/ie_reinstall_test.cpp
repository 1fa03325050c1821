#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "fakes/transcript.h"
#include "ie/ie_repair.h"

namespace tovrin {
namespace {

using fakes::FakePlatform;
using fakes::PipeWriter;
using fakes::transcriptIs;

const char* const OFFER = "As part of the repair process, Tovrin can try to reinstall IE.";
const char* const PROMPT = "Would you like to reinstall IE (Y/N)?";

SystemFolders foldersIn(const std::string& windows, const std::string& system) {
    SystemFolders folders;
    folders.windowsDirectory = windows;
    folders.systemDirectory = system;
    return folders;
}

TEST(IeReinstallTest, AnswerNoRunsNothingAndPrintsNothingAfterTheQuestion) {
    FakePlatform fake;
    fake.type("n\n");
    offerIeReinstall(foldersIn("C:\\WINDOWS", "C:\\WINDOWS\\system32"));
    EXPECT_TRUE(transcriptIs(fake.transcript(), {OFFER}, PROMPT));
    EXPECT_TRUE(fake.commands.commandLines.empty());
}

TEST(IeReinstallTest, EndOfInputRunsNothing) {
    FakePlatform fake;
    fake.type("");
    offerIeReinstall(foldersIn("C:\\WINDOWS", "C:\\WINDOWS\\system32"));
    EXPECT_TRUE(fake.commands.commandLines.empty());
    EXPECT_EQ(RunStatus, STATUS_INPUT_ENDED);
}

struct ReinstallCase {
    const char* name;
    const char* windows;
    const char* system;
    const char* commandLine;
};
void PrintTo(const ReinstallCase& c, std::ostream* os) { *os << c.name; }

class IeReinstallCommandTest : public ::testing::TestWithParam<ReinstallCase> {};

TEST_P(IeReinstallCommandTest, AnswerYesRunsExactlyOneCommandAfterTheQuestionReachedTheConsole) {
    const ReinstallCase& c = GetParam();
    FakePlatform fake;
    fake.type("y\n");
    // Standard output as a pipe: the prompt reaches the console only when flushed, the command writes at once.
    PipeWriter pipe(fake.out);
    consoleStreams().out = &pipe;
    fake.commands.device = &fake.out;
    fake.commands.output[c.commandLine] = "setup output\n";
    offerIeReinstall(foldersIn(c.windows, c.system));
    pipe.flush();
    EXPECT_EQ(fake.commands.commandLines, std::vector<std::string>{c.commandLine});
    EXPECT_TRUE(transcriptIs(fake.transcript(), {OFFER, std::string(PROMPT) + "setup output"}));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, IeReinstallCommandTest,
    ::testing::Values(
        ReinstallCase{"Ordinary", "C:\\WINDOWS", "C:\\WINDOWS\\system32",
                      "C:\\WINDOWS\\system32\\rundll32.exe setupapi,InstallHinfSection DefaultInstall 132 "
                      "C:\\WINDOWS\\inf\\ie.inf"},
        ReinstallCase{"BlankInThePath", "D:\\My Windows", "D:\\My Windows\\system32",
                      "\"D:\\My Windows\\system32\\rundll32.exe\" setupapi,InstallHinfSection DefaultInstall 132 "
                      "D:\\My Windows\\inf\\ie.inf"}),
    [](const ::testing::TestParamInfo<ReinstallCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tovrin
