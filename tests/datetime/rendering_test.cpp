#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <ctime>
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

SystemTime at(int year, int month, int day, int hour, int minute, int second) {
    SystemTime t;
    t.wYear = static_cast<std::uint16_t>(year);
    t.wMonth = static_cast<std::uint16_t>(month);
    t.wDay = static_cast<std::uint16_t>(day);
    t.wHour = static_cast<std::uint16_t>(hour);
    t.wMinute = static_cast<std::uint16_t>(minute);
    t.wSecond = static_cast<std::uint16_t>(second);
    return t;
}

// ------------------------------------------------------------------------------------------- name tables

TEST(NameTableTest, WeekdaysFromSundayAndUnknownBeyond) {
    const Lines expected = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday",
                            "Unknown", "Unknown"};
    const std::uint32_t values[] = {0, 1, 2, 3, 4, 5, 6, 7, 0xFFFFFFFFu};
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(weekdayName(values[i]), expected[i]) << values[i];
}

TEST(NameTableTest, MonthsFromOneAndUnknownForZeroAndBeyondTwelve) {
    const Lines expected = {"Unknown", "January", "February", "March",   "April",    "May",      "June",
                            "July",    "August",  "September", "October", "November", "December", "Unknown"};
    for (std::uint32_t month = 0; month < expected.size(); ++month) {
        EXPECT_EQ(monthName(month), expected[month]) << month;
    }
    EXPECT_EQ(monthName(0xFFFFFFFFu), "Unknown");
}

// --------------------------------------------------------------------------------------------- zone line

struct ZoneLineCase {
    std::int32_t bias;
    std::int32_t daylightBias;
    std::string line;
};

TEST(TimeZoneLineTest, HoursFromTheBiasAndDaylightOnlyForMinusSixty) {
    const std::string USING = " using Daylight Savings Time when necessary.";
    const std::string NEVER = " never using Daylight Savings Time.";
    const ZoneLineCase cases[] = {
        {300, -60, "Time Zone: GMT -5 Zone" + USING},
        {-330, -60, "Time Zone: GMT +5 Zone" + USING},
        {-30, 0, "Time Zone: GMT +0 Zone" + NEVER},
        {0, -60, "Time Zone: GMT Zone" + USING},
        {0, -120, "Time Zone: GMT Zone" + NEVER},
        {-720, 0, "Time Zone: GMT +12 Zone" + NEVER},
        {780, 60, "Time Zone: GMT -13 Zone" + NEVER},
        {INT32_MIN, -60, "Time Zone: GMT +35791394 Zone" + USING},
        {INT32_MAX, -60, "Time Zone: GMT -35791394 Zone" + USING},
    };
    for (const ZoneLineCase& c : cases) {
        FakePlatform fake;
        TimeZoneInfo zone;
        zone.Bias = c.bias;
        zone.DaylightBias = c.daylightBias;
        zone.DaylightDate.wMonth = 4;  // transition dates play no part
        zone.StandardDate.wMonth = 10;
        printTimeZone(zone);
        EXPECT_TRUE(transcriptIs(fake.transcript(), {c.line, ""})) << "Bias " << c.bias;
    }
}

// ----------------------------------------------------------------------------------------- date and time

TEST(DateTimeLinesTest, UnpaddedNumbersAZeroBeforeSingleDigitMinutesAndUnknownNames) {
    struct Case {
        SystemTime time;
        std::uint16_t dayOfWeek;
        Lines lines;
    };
    const Case cases[] = {
        {at(2005, 1, 5, 9, 5, 7), 3, {"", "Date: Wednesday, January 5, 2005", "Time: 9:05", ""}},
        {at(2006, 12, 31, 14, 30, 59), 0, {"", "Date: Sunday, December 31, 2006", "Time: 14:30", ""}},
        {at(2004, 2, 29, 0, 0, 0), 0, {"", "Date: Sunday, February 29, 2004", "Time: 0:00", ""}},
        {at(2004, 0, 1, 23, 10, 0), 7, {"", "Date: Unknown, Unknown 1, 2004", "Time: 23:10", ""}},
        {at(2004, 13, 1, 23, 9, 0), 6, {"", "Date: Saturday, Unknown 1, 2004", "Time: 23:09", ""}},
    };
    for (const Case& c : cases) {
        FakePlatform fake;
        SystemTime time = c.time;
        time.wDayOfWeek = c.dayOfWeek;
        time.wMilliseconds = 999;
        printDateTime(time);
        EXPECT_TRUE(transcriptIs(fake.transcript(), c.lines)) << c.lines[1];
    }
}

// ------------------------------------------------------------------------------------------- timestamp

TEST(TimestampTest, PatternAndNormalisationOfFieldsOutOfRange) {
    TimeZoneGuard utc("UTC0");
    struct Case {
        SystemTime time;
        const char* text;
    };
    const Case cases[] = {
        {at(2005, 1, 5, 9, 5, 7), "Jan-05-2005-09-05-07"},
        {at(2200, 12, 31, 23, 59, 59), "Dec-31-2200-23-59-59"},
        {at(2005, 4, 31, 12, 0, 0), "May-01-2005-12-00-00"},   // 31 April
        {at(2005, 2, 29, 0, 0, 0), "Mar-01-2005-00-00-00"},    // no leap day in 2005
        {at(2004, 2, 29, 0, 0, 0), "Feb-29-2004-00-00-00"},
        {at(2005, 12, 31, 24, 0, 0), "Jan-01-2006-00-00-00"},  // hour 24
        {at(2005, 13, 1, 0, 0, 0), "Jan-01-2006-00-00-00"},    // month 13
        {at(2005, 0, 1, 0, 0, 0), "Dec-01-2004-00-00-00"},     // month 0
        {at(2005, 3, 0, 0, 0, 0), "Feb-28-2005-00-00-00"},     // day 0
        {at(2005, 6, 30, 23, 59, 60), "Jul-01-2005-00-00-00"},
        {at(2005, 6, 30, 23, 60, 0), "Jul-01-2005-00-00-00"},
    };
    for (const Case& c : cases) EXPECT_EQ(formatTimestamp(c.time), c.text) << c.text;

    SystemTime withWeekdayAndMilliseconds = at(2005, 1, 5, 9, 5, 7);
    withWeekdayAndMilliseconds.wDayOfWeek = 6;
    withWeekdayAndMilliseconds.wMilliseconds = 999;
    EXPECT_EQ(formatTimestamp(withWeekdayAndMilliseconds), "Jan-05-2005-09-05-07");
}

// Marked "unknown", the daylight flag is worked out from the date: a summer time read as standard time (or a
// winter time read as daylight time) would come back an hour off.
TEST(TimestampTest, DaylightSavingIsLeftToTheLocalZoneRules) {
    TimeZoneGuard eastern("EST5EDT,M3.2.0,M11.1.0");
    EXPECT_EQ(formatTimestamp(at(2005, 7, 1, 12, 0, 0)), "Jul-01-2005-12-00-00");
    EXPECT_EQ(formatTimestamp(at(2005, 1, 15, 12, 0, 0)), "Jan-15-2005-12-00-00");
}

TEST(TimestampTest, EnglishMonthAbbreviationsWhateverTheUserLocale) {
    ASSERT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
    // An installed locale other than "C": a setlocale(LC_ALL, "") anywhere in the run would switch to it.
    EnvironmentGuard all("LC_ALL", "C.UTF-8");
    EnvironmentGuard lang("LANG", "fr_FR.UTF-8");
    TimeZoneGuard utc("UTC0");
    const char* const abbreviations[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int month = 1; month <= 12; ++month) {
        EXPECT_EQ(formatTimestamp(at(2005, month, 2, 3, 4, 5)),
                  std::string(abbreviations[month - 1]) + "-02-2005-03-04-05");
    }
    FakePlatform fake;
    fake.type("Y\nY\n");
    std::string timestamp;
    checkDateTime(timestamp);
    EXPECT_FALSE(timestamp.empty());
    EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
}

TEST(TimestampTest, MinusOneFromMktimeIsAFailure) {
    TimeZoneGuard utc("UTC0");
    EXPECT_EQ(formatTimestamp(at(1969, 12, 31, 23, 59, 59)), "");
    EXPECT_EQ(formatTimestamp(at(1970, 1, 1, 0, 0, 0)), "Jan-01-1970-00-00-00");
}

std::time_t realMakeTime(std::tm* fields) { return std::mktime(fields); }
std::tm* realToLocalTime(const std::time_t* value) { return std::localtime(value); }
std::size_t realFormat(char* buffer, std::size_t size, const char* pattern, const std::tm* fields) {
    return std::strftime(buffer, size, pattern, fields);
}

TEST(TimestampTest, EachFailingLibraryCallGivesAnEmptyText) {
    TimeZoneGuard utc("UTC0");
    const SystemTime time = at(2005, 1, 5, 9, 5, 7);
    const LocalTimeCalls real = {realMakeTime, realToLocalTime, realFormat};
    ASSERT_EQ(formatTimestamp(time, real), "Jan-05-2005-09-05-07");

    LocalTimeCalls makeTimeFails = real;
    makeTimeFails.makeTime = [](std::tm*) { return static_cast<std::time_t>(-1); };
    EXPECT_EQ(formatTimestamp(time, makeTimeFails), "");

    LocalTimeCalls toLocalTimeFails = real;
    toLocalTimeFails.toLocalTime = [](const std::time_t*) -> std::tm* { return nullptr; };
    EXPECT_EQ(formatTimestamp(time, toLocalTimeFails), "");

    LocalTimeCalls formatFails = real;
    formatFails.format = [](char* buffer, std::size_t, const char*, const std::tm*) -> std::size_t {
        buffer[0] = 'X';  // what a failed strftime leaves in the buffer is unspecified
        return 0;
    };
    EXPECT_EQ(formatTimestamp(time, formatFails), "");
}

}  // namespace
}  // namespace tovrin
