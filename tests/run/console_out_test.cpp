#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "fakes/transcript.h"
#include "run/console_out.h"

namespace tovrin {
namespace {

using fakes::dashes;
using fakes::FakePlatform;
using fakes::transcriptIs;

TEST(ConsoleOutTest, PiecesBuildOneLineAndOnlyTheFlagEndsIt) {
    FakePlatform fake;
    printText("", false);
    printText("Stopping the ", false);
    printText("Cryptographic", false);
    printText(" service...", false);
    printBlankLine();  // ends the open line, adds no empty line
    printText("", true);
    EXPECT_EQ(fake.transcript(), "Stopping the Cryptographic service...\n\n");
}

TEST(ConsoleOutTest, BannerAndRuleEndWithoutALineEnd) {
    FakePlatform fake;
    printBanner(" DATE AND TIME CHECK");
    EXPECT_EQ(fake.transcript(), dashes() + "  DATE AND TIME CHECK\n" + dashes());
    fake.out.str("");
    printBanner("");
    EXPECT_EQ(fake.transcript(), dashes() + " \n" + dashes());
}

TEST(ConsoleOutTest, RuleOfNoOrNegativeCountWritesNothing) {
    FakePlatform fake;
    printRule(0);
    printRule(-5);
    printRule(3);
    EXPECT_EQ(fake.transcript(), "---");
}

TEST(ConsoleOutTest, NumbersInDefaultFormatForEachVariant) {
    FakePlatform fake;
    printNumber(std::uint32_t{4294967295u}, false);
    printText(" ", false);
    printNumber(std::int32_t{-1026}, false);
    printText(" ", false);
    printNumber(std::uint16_t{65535}, true);
    printNumber(std::uint32_t{1460}, true);
    EXPECT_EQ(fake.transcript(), "4294967295 -1026 65535\n1460\n");
}

TEST(ConsoleOutTest, PauseTakesExactlyOneCharacter) {
    FakePlatform fake;
    fake.type("\nabc\n");
    waitForEnter();
    EXPECT_EQ(fake.in.peek(), 'a');
    waitForEnter();  // takes only the 'a'
    EXPECT_EQ(fake.in.peek(), 'b');
    EXPECT_EQ(fake.transcript(), "Press ENTER to continue.\nPress ENTER to continue.\n");
}

TEST(ConsoleOutTest, PauseReturnsAtEndOfInput) {
    FakePlatform fake;
    fake.type("");
    waitForEnter();
    waitForEnter();
    EXPECT_EQ(fake.transcript(), "Press ENTER to continue.\nPress ENTER to continue.\n");
}

TEST(ConsoleOutTest, ClearScreenBlanksTheWholeBufferAndHomesTheCursor) {
    FakePlatform fake;
    fake.console.isConsole = true;
    fake.console.size = {80, 300};
    clearScreen();
    EXPECT_EQ(fake.console.calls, (std::vector<std::string>{"fill ' ' 24000", "home"}));
    EXPECT_EQ(fake.transcript(), "");
}

TEST(ConsoleOutTest, ClearScreenOnARedirectedOutputDoesNothingVisible) {
    FakePlatform fake;
    clearScreen();
    EXPECT_TRUE(fake.console.calls.empty());
    EXPECT_EQ(fake.transcript(), "");
}

TEST(ConsoleOutTest, IntroScreen) {
    FakePlatform fake;
    fake.type("\n");
    showIntro();
    EXPECT_TRUE(transcriptIs(
        fake.transcript(),
        {"Tovrin BETA v0.41                      By Dremmond",
         dashes() + "    This is a tool to repair Windows Update using information gathered from",
         "      the WU Troubleshooter, Forums, and much more. In the process, this",
         "                    tool also fixes many common IE issues.",
         dashes() + "NOTE: Please close all programs to ensure that this tool can run.",
         "Press ENTER to continue."},
        dashes()));
    EXPECT_EQ(fake.in.peek(), EOF);
}

}  // namespace
}  // namespace tovrin
