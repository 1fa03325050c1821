#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "fakes/transcript.h"
#include "run/console_out.h"
#include "run/questions.h"

namespace tovrin {
namespace {

using fakes::FakePlatform;
using fakes::transcriptIs;

const char* const YES_NO_MESSAGE = "Invalid Input. Please try again, but reply with Y or N.";
const char* const NOT_A_NUMBER = "Invalid Input. Please try again.";

TEST(YesNoQuestionTest, AcceptsOnlyTheFourLettersAndNormalisesLowerCase) {
    FakePlatform fake;
    fake.type("yes Yes no YN y\n");
    std::string answer;
    askYesNo(answer, "Go on (Y/N)? ", 1);
    EXPECT_EQ(answer, "Y");
    std::vector<std::string> expected;
    for (int i = 0; i < 4; ++i) {
        expected.push_back(std::string("Go on (Y/N)? ") + YES_NO_MESSAGE);
        expected.push_back("");
    }
    EXPECT_TRUE(transcriptIs(fake.transcript(), expected, "Go on (Y/N)? "));
}

TEST(YesNoQuestionTest, TwoAnswersOnOneLineAnswerTwoQuestions) {
    FakePlatform fake;
    fake.type("y n\n");
    std::string first, second;
    askYesNo(first, "A (Y/N)? ", 1);
    askYesNo(second, "B (Y/N)? ", 1);
    EXPECT_EQ(first, "Y");
    EXPECT_EQ(second, "N");
    EXPECT_EQ(fake.transcript(), "A (Y/N)? B (Y/N)? ");
    EXPECT_EQ(fake.in.peek(), '\n');  // the line end stays for a following pause
}

TEST(YesNoQuestionTest, KindZeroTakesAnyWordAndEmptyLinesAreNotAnswers) {
    FakePlatform fake;
    fake.type("\n\n  maybe\n");
    std::string answer;
    askYesNo(answer, "? ", 0);
    EXPECT_EQ(answer, "maybe");
    EXPECT_EQ(fake.transcript(), "? ");
}

struct RangeCase {
    const char* name;
    bool wordNumber;
    int kind;
    const char* typed;  // rejected answers, then the accepted one
    long accepted;
    std::vector<std::string> messages;  // one per rejection
};

class NumberQuestionRangeTest : public ::testing::TestWithParam<RangeCase> {};

TEST_P(NumberQuestionRangeTest, RejectsJustOutsideAndAcceptsBothEnds) {
    const RangeCase& c = GetParam();
    FakePlatform fake;
    fake.type(c.typed);
    long got = 0;
    if (c.wordNumber) {
        std::uint16_t value = 0;
        askWordNumber(value, "Q? ", c.kind);
        got = value;
    } else {
        std::int32_t value = 0;
        askNumber(value, "Q? ", c.kind);
        got = value;
    }
    EXPECT_EQ(got, c.accepted);
    std::vector<std::string> expected;
    for (const std::string& message : c.messages) {
        expected.push_back("Q? " + message);
        expected.push_back("");
    }
    EXPECT_TRUE(transcriptIs(fake.transcript(), expected, "Q? "));
}

const std::string HOURS = "Invalid Input. Please try again, but within the 0 to 23 hours in a day per military time.";
const std::string MINUTES = "Invalid Input. Please try again, but within 0 to 59.";
const std::string MONTHS = "Invalid Input. Please try again, but within the 1 to 12 months of the year.";
const std::string DAYS = "Invalid Input. Please try again, but within the 1 to 31 days in a month.";
const std::string ZONES = "Invalid Input. Please try again, but within -12 to +13 hours.";
const std::string WEEKS = "Invalid Input. Please try again, but within the (1)st to (5)th possible week in a month.";
const std::string WEEKDAYS = "Invalid Input. Please try again, but within 0 (Sunday) to 6 (Saturday).";
const std::string WORD_MONTHS = "Invalid Input. Please try again, but withthe valid month 1 to 12.";

INSTANTIATE_TEST_SUITE_P(
    Kinds, NumberQuestionRangeTest,
    ::testing::Values(
        RangeCase{"YearAnyValue", false, 0, "-2147483648\n", -2147483648L, {}},
        RangeCase{"YearTooLargeForType", false, 0, "2147483648\n2147483647\n", 2147483647L, {NOT_A_NUMBER}},
        RangeCase{"HourLow", false, 1, "-1 0\n", 0, {HOURS}},
        RangeCase{"HourHigh", false, 1, "24 23\n", 23, {HOURS}},
        RangeCase{"MinuteLow", false, 2, "-1 0\n", 0, {MINUTES}},
        RangeCase{"MinuteHigh", false, 2, "60 59\n", 59, {MINUTES}},
        RangeCase{"MonthLow", false, 3, "0 1\n", 1, {MONTHS}},
        RangeCase{"MonthHigh", false, 3, "13 12\n", 12, {MONTHS}},
        RangeCase{"DayLow", false, 4, "0 1\n", 1, {DAYS}},
        RangeCase{"DayHigh", false, 4, "32 31\n", 31, {DAYS}},
        RangeCase{"ZoneLow", false, 5, "-13 -12\n", -12, {ZONES}},
        RangeCase{"ZoneHigh", false, 5, "14 13\n", 13, {ZONES}},
        RangeCase{"WordAnyValue", true, 0, "65535\n", 65535, {}},
        RangeCase{"WordTooLargeForType", true, 0, "65536\n7\n", 7, {NOT_A_NUMBER}},
        RangeCase{"WeekLow", true, 1, "0 1\n", 1, {WEEKS}},
        RangeCase{"WeekHigh", true, 1, "6 5\n", 5, {WEEKS}},
        RangeCase{"WeekdayLow", true, 2, "7 0\n", 0, {WEEKDAYS}},
        RangeCase{"WeekdayHigh", true, 2, "7 6\n", 6, {WEEKDAYS}},
        RangeCase{"WordMonthLow", true, 3, "0 1\n", 1, {WORD_MONTHS}},
        RangeCase{"WordMonthHigh", true, 3, "13 12\n", 12, {WORD_MONTHS}}),
    [](const ::testing::TestParamInfo<RangeCase>& info) { return std::string(info.param.name); });

TEST(NumberQuestionTest, EachWordThatIsNotANumberIsOneFailure) {
    FakePlatform fake;
    fake.type("abc def\n7\n");
    std::int32_t value = 0;
    askNumber(value, "Hour? ", 1);
    EXPECT_EQ(value, 7);
    EXPECT_TRUE(transcriptIs(fake.transcript(),
                             {std::string("Hour? ") + NOT_A_NUMBER, "", std::string("Hour? ") + NOT_A_NUMBER, ""},
                             "Hour? "));
}

TEST(NumberQuestionTest, TrailingLettersStayForTheNextQuestion) {
    FakePlatform fake;
    fake.type("12abc\n5\n");
    std::int32_t month = 0, day = 0;
    askNumber(month, "Month? ", 3);
    askNumber(day, "Day? ", 4);
    EXPECT_EQ(month, 12);
    EXPECT_EQ(day, 5);
    EXPECT_TRUE(transcriptIs(fake.transcript(), {std::string("Month? Day? ") + NOT_A_NUMBER, ""}, "Day? "));
}

TEST(NumberQuestionTest, RejectedAnswerStaysInTheVariableUntilTheNextRead) {
    FakePlatform fake;
    fake.type("99");  // rejected, then input ends
    std::int32_t minute = 3;
    askNumber(minute, "Minute? ", 2);
    EXPECT_EQ(minute, 99);
}

// End of input: no question may wait or loop, and none hands back an answer that was never typed.
TEST(EndOfInputTest, YesNoQuestionReturnsNoAnswerAndStopsTheRun) {
    FakePlatform fake;
    fake.type("maybe\n");
    std::string answer = "Y";
    askYesNo(answer, "Delete (Y/N)? ", 1);
    EXPECT_EQ(answer, "");
    EXPECT_TRUE(inputEnded());
    EXPECT_EQ(RunStatus, "0x4000");
    EXPECT_TRUE(transcriptIs(
        fake.transcript(),
        {std::string("Delete (Y/N)? ") + YES_NO_MESSAGE, "", "Delete (Y/N)? ",
         "Error 0x4000: The console input has ended; no answer can be read. Tovrin will exit!"}));
}

TEST(EndOfInputTest, NumberQuestionLeavesTheValueAndLaterQuestionsReturnAtOnce) {
    FakePlatform fake;
    fake.type("abc");
    std::int32_t hour = 7;
    askNumber(hour, "Hour? ", 1);
    EXPECT_EQ(hour, 7);
    std::uint16_t week = 3;
    askWordNumber(week, "Week? ", 1);
    std::string answer = "Y";
    askYesNo(answer, "Again (Y/N)? ", 1);
    EXPECT_EQ(week, 3);
    EXPECT_EQ(answer, "");
    EXPECT_TRUE(transcriptIs(
        fake.transcript(),
        {std::string("Hour? ") + NOT_A_NUMBER, "", "Hour? ",
         "Error 0x4000: The console input has ended; no answer can be read. Tovrin will exit!"}));
}

TEST(EndOfInputTest, AnEarlierFatalCodeIsKept) {
    FakePlatform fake;
    RunStatus = "0x3311";
    fake.type("");
    std::string answer;
    askYesNo(answer, "Q (Y/N)? ", 1);
    EXPECT_EQ(RunStatus, "0x3311");
    EXPECT_TRUE(inputEnded());
}

}  // namespace
}  // namespace tovrin
