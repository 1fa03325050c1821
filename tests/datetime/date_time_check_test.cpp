#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "datetime/date_time_check.h"
#include "datetime/rendering.h"
#include "datetime/time_zone_guard.h"
#include "fakes/fake_platform.h"
#include "fakes/transcript.h"

namespace tovrin {
namespace {

using fakes::FakePlatform;
using fakes::transcriptIs;
using Lines = std::vector<std::string>;
using Fields = std::vector<int>;

const std::string ZONE_LINE = "Time Zone: GMT -5 Zone using Daylight Savings Time when necessary.";
const std::string DATE_LINE = "Date: Sunday, March 5, 2006";
const std::string TIME_LINE = "Time: 14:07";
const std::string STARTING_TIMESTAMP = "Mar-05-2006-14-07-09";

const std::string Q1 = "Is this the correct time zone (Y/N)? ";
const std::string Q2 = "What is the correct time zone (Hours off; Examples are 5 or -3)? ";
const std::string Q3 = "Does your time zone use daylight savings time (Y/N)? ";
const std::string HINT = "For the US, DST ends the first Sunday in April and begins the last sunday in October?";
const std::string Q4 = "What day of the week does it start on (0 = Sunday, 1 = Monday, etc.)? ";
const std::string Q6 = "Which month does it start in (1 = January, etc.)? ";
const std::string Q7 = "What day of the week does it end on (0 = Sunday, 1 = Monday, etc.)? ";
const std::string Q9 = "Which month does it end in (1 = January, etc.)? ";
const std::string Q10 = "Is this time and date correct (Y/N)? ";
const std::string WRONG_TIME_1 = "Windows Update can be broken easily by having an incorrect system time.";
const std::string WRONG_TIME_2 = "The time should be updated...";
const std::string Q11 = "What is the Month (1-12)? ";
const std::string Q12 = "What is the Day (1-31)? ";
const std::string Q13 = "What is the Year (4-digit format)? ";
const std::string Q14 = "What is the Hour (0-23)? ";
const std::string Q15 = "What is the Minute (0-59)? ";
const std::string ZONE_RANGE = "Invalid Input. Please try again, but within -12 to +13 hours.";
const std::string INPUT_ENDED =
    "Error 0x4000: The console input has ended; no answer can be read. Tovrin will exit!";

std::string whichWeekday(const std::string& name, const char* startOrEnd) {
    return "Which " + name + " does it " + startOrEnd + " on (1 = first, ..., 5 = last)? ";
}

Fields fields(const SystemTime& t) {
    return {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::array<std::uint16_t, 32> utf16(const char* text) {
    std::array<std::uint16_t, 32> name{};
    for (std::size_t i = 0; text[i] != '\0' && i < name.size() - 1; ++i) name[i] = static_cast<unsigned char>(text[i]);
    return name;
}

// Sunday 5 March 2006, 14:07:09, in US Eastern time as Windows describes it; the test process runs in UTC.
struct DateTimeCheck {
    TimeZoneGuard utc{"UTC0"};
    FakePlatform fake;
    TimeZoneInfo eastern;
    std::string timestamp = "as before";

    DateTimeCheck() {
        fake.clock.now = SystemTime{2006, 3, 0, 5, 14, 7, 9, 120};
        eastern.Bias = 300;
        eastern.StandardName = utf16("Eastern Standard Time");
        eastern.StandardDate = SystemTime{0, 10, 0, 5, 2, 0, 0, 0};
        eastern.StandardBias = 0;
        eastern.DaylightName = utf16("Eastern Daylight Time");
        eastern.DaylightDate = SystemTime{0, 4, 0, 1, 2, 0, 0, 0};
        eastern.DaylightBias = -60;
        fake.clock.zone = eastern;
        fake.clock.zoneResult = 1;
    }
    void run(const std::string& typed) {
        fake.type(typed);
        checkDateTime(timestamp);
    }
};

TEST(DateTimeCheckTest, AcceptingZoneAndTimeWritesNothingAndStampsTheTimeReadAtTheStart) {
    DateTimeCheck c;
    c.run("Y\nY\n");
    EXPECT_TRUE(transcriptIs(c.fake.transcript(), {ZONE_LINE, "", Q1, DATE_LINE, TIME_LINE, ""}, Q10));
    EXPECT_TRUE(c.fake.clock.zonesWritten.empty());
    EXPECT_TRUE(c.fake.clock.localTimesWritten.empty());
    EXPECT_EQ(c.timestamp, STARTING_TIMESTAMP);
    EXPECT_EQ(RunStatus, STATUS_RUNNING);
}

// Windows moves the local clock when the zone changes; what the step shows and stamps is still the time that
// it read before the change.
class ClockThatFollowsTheZone final : public ClockApi {
public:
    explicit ClockThatFollowsTheZone(fakes::FakeClock& clock) : clock(clock) {}
    SystemTime localTime() override { return clock.localTime(); }
    bool setLocalTime(const SystemTime& time) override { return clock.setLocalTime(time); }
    std::uint32_t timeZone(TimeZoneInfo& zone) override { return clock.timeZone(zone); }
    bool setTimeZone(const TimeZoneInfo& zone) override {
        if (!clock.setTimeZone(zone)) return false;
        clock.now.wHour = 20;
        return true;
    }
    std::uint32_t tickCount() override { return clock.tickCount(); }
    void sleep(std::uint32_t milliseconds) override { clock.sleep(milliseconds); }

private:
    fakes::FakeClock& clock;
};

TEST(DateTimeCheckTest, ZoneWithDaylightSavingIsWrittenInPlaceWithMidnightTransitions) {
    DateTimeCheck c;
    c.fake.clock.zone.StandardBias = 30;
    ClockThatFollowsTheZone clock(c.fake.clock);
    platform().clock = &clock;
    c.run("N\n-5\nY\n0\n1\n4\n6\n5\n10\nY\n");

    EXPECT_TRUE(transcriptIs(c.fake.transcript(),
                             {ZONE_LINE, "", Q1 + Q2 + Q3 + HINT, "",
                              Q4 + whichWeekday("Sunday", "start") + Q6 + Q7 + whichWeekday("Saturday", "end") + Q9,
                              DATE_LINE, TIME_LINE, ""},
                             Q10));
    ASSERT_EQ(c.fake.clock.zonesWritten.size(), 1u);
    const TimeZoneInfo& written = c.fake.clock.zonesWritten[0];
    EXPECT_EQ(written.Bias, 300);
    EXPECT_EQ(written.StandardBias, 0);
    EXPECT_EQ(written.DaylightBias, -60);
    EXPECT_EQ(fields(written.DaylightDate), (Fields{0, 4, 0, 1, 0, 0, 0, 0}));   // first Sunday of April
    EXPECT_EQ(fields(written.StandardDate), (Fields{0, 10, 6, 5, 0, 0, 0, 0}));  // last Saturday of October
    EXPECT_EQ(written.StandardName, c.eastern.StandardName);
    EXPECT_EQ(written.DaylightName, c.eastern.DaylightName);
    EXPECT_TRUE(c.fake.clock.localTimesWritten.empty());
    EXPECT_EQ(c.timestamp, STARTING_TIMESTAMP);
    EXPECT_EQ(RunStatus, STATUS_RUNNING);
}

TEST(DateTimeCheckTest, ZoneWithoutDaylightSavingIsWrittenWithNoTransitionsAndReadsSo) {
    DateTimeCheck c;
    c.fake.clock.zone.StandardBias = 30;
    c.run("N\n3\nN\nY\n");

    EXPECT_TRUE(transcriptIs(c.fake.transcript(), {ZONE_LINE, "", Q1 + Q2 + Q3, DATE_LINE, TIME_LINE, ""}, Q10));
    ASSERT_EQ(c.fake.clock.zonesWritten.size(), 1u);
    const TimeZoneInfo written = c.fake.clock.zonesWritten[0];
    EXPECT_EQ(written.Bias, -180);
    EXPECT_EQ(written.StandardBias, 0);
    EXPECT_EQ(written.DaylightBias, 0);
    EXPECT_EQ(fields(written.DaylightDate), Fields(8, 0));
    EXPECT_EQ(fields(written.StandardDate), Fields(8, 0));
    EXPECT_EQ(written.StandardName, c.eastern.StandardName);
    EXPECT_EQ(written.DaylightName, c.eastern.DaylightName);
    EXPECT_EQ(c.timestamp, STARTING_TIMESTAMP);

    c.fake.out.str("");
    printTimeZone(written);
    EXPECT_TRUE(transcriptIs(c.fake.transcript(), {"Time Zone: GMT +3 Zone never using Daylight Savings Time.", ""}));
}

TEST(DateTimeCheckTest, RefusedZoneWriteEndsTheStepBeforeTheDate) {
    DateTimeCheck c;
    c.fake.clock.zoneWrites = false;
    c.run("N\n-5\nN\nY\n");

    EXPECT_TRUE(transcriptIs(c.fake.transcript(),
                             {ZONE_LINE, "", Q1 + Q2 + Q3 + "Error 0x0005: Unable to set time zone."}));
    EXPECT_EQ(c.fake.clock.zonesWritten.size(), 1u);
    EXPECT_TRUE(c.fake.clock.localTimesWritten.empty());
    EXPECT_EQ(RunStatus, "0x0005");
    EXPECT_EQ(c.timestamp, "as before");
}

TEST(DateTimeCheckTest, RefusedClockWriteIsReportedAndTheEnteredTimeIsStillStamped) {
    DateTimeCheck c;
    c.fake.clock.localTimeWrites = false;
    c.run("Y\nN\n12\n25\n2005\n23\n59\n");

    EXPECT_TRUE(transcriptIs(c.fake.transcript(),
                             {ZONE_LINE, "", Q1, DATE_LINE, TIME_LINE, "", Q10 + WRONG_TIME_1, WRONG_TIME_2, "",
                              Q11 + Q12 + Q13 + Q14 + Q15 + "Error 0x0004: Unable to set date/time."}));
    ASSERT_EQ(c.fake.clock.localTimesWritten.size(), 1u);
    EXPECT_EQ(fields(c.fake.clock.localTimesWritten[0]), (Fields{2005, 12, 0, 25, 23, 59, 0, 0}));
    EXPECT_TRUE(c.fake.clock.zonesWritten.empty());
    EXPECT_EQ(RunStatus, "0x0004");
    EXPECT_EQ(c.timestamp, "Dec-25-2005-23-59-00");
}

TEST(DateTimeCheckTest, DayIsNotCheckedAgainstTheMonthAndTheStampIsNormalised) {
    DateTimeCheck c;
    c.run("Y\nN\n4\n31\n2005\n9\n5\n");
    ASSERT_EQ(c.fake.clock.localTimesWritten.size(), 1u);
    EXPECT_EQ(fields(c.fake.clock.localTimesWritten[0]), (Fields{2005, 4, 0, 31, 9, 5, 0, 0}));
    EXPECT_EQ(RunStatus, STATUS_RUNNING);
    EXPECT_EQ(c.timestamp, "May-01-2005-09-05-00");
}

TEST(DateTimeCheckTest, UnreadableZoneEndsTheStepBeforeAnyQuestion) {
    DateTimeCheck c;
    c.fake.clock.zoneResult = TIME_ZONE_ID_INVALID_RESULT;
    c.run("N\n-5\nN\nN\n");
    EXPECT_TRUE(transcriptIs(c.fake.transcript(), {"Error 0x0006: Unable to get the time zone."}));
    EXPECT_EQ(RunStatus, "0x0006");
    EXPECT_EQ(c.timestamp, "as before");
    EXPECT_TRUE(c.fake.clock.zonesWritten.empty());
    EXPECT_TRUE(c.fake.clock.localTimesWritten.empty());
}

TEST(DateTimeCheckTest, UnknownStandardAndDaylightZoneResultsAllGoOn) {
    for (std::uint32_t result : {0u, 1u, 2u}) {
        DateTimeCheck c;
        c.fake.clock.zoneResult = result;
        c.run("Y\nY\n");
        EXPECT_EQ(c.timestamp, STARTING_TIMESTAMP) << result;
        EXPECT_EQ(RunStatus, STATUS_RUNNING) << result;
    }
}

struct ZoneAnswerCase {
    const char* typed;
    std::int32_t bias;
    int rejections;
};

class ZoneAnswerTest : public ::testing::TestWithParam<ZoneAnswerCase> {};

TEST_P(ZoneAnswerTest, HoursFromMinusTwelveToThirteenOnly) {
    DateTimeCheck c;
    c.run(std::string("N\n") + GetParam().typed + "N\nY\n");
    ASSERT_EQ(c.fake.clock.zonesWritten.size(), 1u);
    EXPECT_EQ(c.fake.clock.zonesWritten[0].Bias, GetParam().bias);
    std::string expected = Q1 + Q2;
    for (int i = 0; i < GetParam().rejections; ++i) expected += ZONE_RANGE + "\n\n" + Q2;
    EXPECT_NE(c.fake.transcript().find(expected + Q3), std::string::npos) << c.fake.transcript();
}

INSTANTIATE_TEST_SUITE_P(Answers, ZoneAnswerTest,
                         ::testing::Values(ZoneAnswerCase{"-12\n", 720, 0}, ZoneAnswerCase{"13\n", -780, 0},
                                           ZoneAnswerCase{"-13\n-12\n", 720, 1},
                                           ZoneAnswerCase{"14\n13\n", -780, 1}));

TEST(DateTimeCheckTest, YearIsAskedAgainWithoutAWordUntilItLiesIn2004To2200) {
    struct Case {
        const char* years;
        int asked;
        std::uint16_t written;
    };
    const Case cases[] = {{"2003\n2201\n2004\n", 3, 2004}, {"2200\n", 1, 2200}, {"0\n-2004\n2100\n", 3, 2100}};
    for (const Case& y : cases) {
        DateTimeCheck c;
        c.run(std::string("Y\nN\n1\n2\n") + y.years + "3\n4\n");
        std::string prompts = Q12;
        for (int i = 0; i < y.asked; ++i) prompts += Q13;
        EXPECT_NE(c.fake.transcript().find(prompts + Q14), std::string::npos) << c.fake.transcript();
        ASSERT_EQ(c.fake.clock.localTimesWritten.size(), 1u);
        EXPECT_EQ(fields(c.fake.clock.localTimesWritten[0]), (Fields{y.written, 1, 0, 2, 3, 4, 0, 0}));
    }
}

// Input ends after each answer in turn: nothing is written on an answer that never came, no timestamp is
// made, and no question is asked after the end.
TEST(DateTimeEndOfInputTest, StepStopsAfterWhicheverQuestionMeetsTheEnd) {
    const std::vector<std::string> answers = {"N", "-5", "Y", "0", "1", "4", "0", "5", "10",
                                              "N", "12", "25", "2003", "2005", "23", "59"};
    const std::size_t zoneAnswers = 9;
    for (std::size_t typed = 0; typed < answers.size(); ++typed) {
        DateTimeCheck c;
        std::string input;
        for (std::size_t i = 0; i < typed; ++i) input += answers[i] + "\n";
        c.run(input);
        EXPECT_EQ(c.fake.clock.zonesWritten.size(), typed >= zoneAnswers ? 1u : 0u) << typed << " answers";
        EXPECT_TRUE(c.fake.clock.localTimesWritten.empty()) << typed << " answers";
        EXPECT_EQ(c.timestamp, "as before") << typed << " answers";
        EXPECT_EQ(RunStatus, STATUS_INPUT_ENDED) << typed << " answers";
        const std::string transcript = c.fake.transcript();
        const std::string ending = INPUT_ENDED + "\n";
        EXPECT_EQ(transcript.substr(transcript.size() - std::min(transcript.size(), ending.size())), ending)
            << typed << " answers:\n"
            << transcript;
    }
}

}  // namespace
}  // namespace tovrin
