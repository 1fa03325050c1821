#include "datetime/rendering.h"

#include <iterator>

#include "run/console_out.h"

namespace tovrin {

namespace {

const char* const WEEKDAY_NAMES[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const MONTH_NAMES[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
const char* const UNKNOWN_NAME = "Unknown";

constexpr std::int32_t DAYLIGHT_SAVING_BIAS = -60;
constexpr std::size_t TIMESTAMP_BUFFER = 128;
const char* const TIMESTAMP_PATTERN = "%b-%d-%Y-%H-%M-%S";

// No setlocale call is made anywhere in the program, so strftime works in the "C" locale and %b gives the
// English abbreviation whatever the user's regional settings are.
const LocalTimeCalls STANDARD_LOCAL_TIME_CALLS = {
    [](std::tm* fields) { return std::mktime(fields); },
    [](const std::time_t* value) { return std::localtime(value); },
    [](char* buffer, std::size_t size, const char* pattern, const std::tm* fields) {
        return std::strftime(buffer, size, pattern, fields);
    },
};

}  // namespace

std::string weekdayName(std::uint32_t dayOfWeek) {
    return dayOfWeek < std::size(WEEKDAY_NAMES) ? WEEKDAY_NAMES[dayOfWeek] : UNKNOWN_NAME;
}

std::string monthName(std::uint32_t month) {
    return month >= 1 && month <= std::size(MONTH_NAMES) ? MONTH_NAMES[month - 1] : UNKNOWN_NAME;
}

void printTimeZone(TimeZoneInfo zone) {
    // Widened first: the magnitude of the most negative bias does not fit in 32 bits.
    const std::int64_t bias = zone.Bias;
    const std::int32_t hours = static_cast<std::int32_t>((bias < 0 ? -bias : bias) / 60);
    if (bias < 0) {
        printText("Time Zone: GMT +", false);
        printNumber(hours, false);
        printText(" Zone", false);
    } else if (bias > 0) {
        printText("Time Zone: GMT -", false);
        printNumber(hours, false);
        printText(" Zone", false);
    } else {
        printText("Time Zone: GMT Zone", false);
    }
    printText(zone.DaylightBias == DAYLIGHT_SAVING_BIAS ? " using Daylight Savings Time when necessary."
                                                        : " never using Daylight Savings Time.",
              true);
    printBlankLine();
}

void printDateTime(SystemTime time) {
    printBlankLine();
    printText("Date: " + weekdayName(time.wDayOfWeek) + ", " + monthName(time.wMonth) + " ", false);
    printNumber(time.wDay, false);
    printText(", ", false);
    printNumber(time.wYear, true);
    printText("Time: ", false);
    printNumber(time.wHour, false);
    printText(":", false);
    if (time.wMinute < 10) printText("0", false);
    printNumber(time.wMinute, true);
    printBlankLine();
}

std::string formatTimestamp(SystemTime time) { return formatTimestamp(time, STANDARD_LOCAL_TIME_CALLS); }

std::string formatTimestamp(SystemTime time, const LocalTimeCalls& calls) {
    std::tm fields{};
    fields.tm_year = time.wYear - 1900;
    fields.tm_mon = time.wMonth - 1;
    fields.tm_mday = time.wDay;
    fields.tm_hour = time.wHour;
    fields.tm_min = time.wMinute;
    fields.tm_sec = time.wSecond;
    fields.tm_isdst = -1;
    const std::time_t value = calls.makeTime(&fields);
    if (value == static_cast<std::time_t>(-1)) return "";
    const std::tm* local = calls.toLocalTime(&value);
    if (local == nullptr) return "";
    char buffer[TIMESTAMP_BUFFER];
    const std::size_t length = calls.format(buffer, sizeof buffer, TIMESTAMP_PATTERN, local);
    if (length == 0) return "";
    return std::string(buffer, length);
}

}  // namespace tovrin
