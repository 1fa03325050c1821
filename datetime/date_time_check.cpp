#include "datetime/date_time_check.h"

#include <cstdint>

#include "datetime/rendering.h"
#include "platform/platform.h"
#include "run/console_out.h"
#include "run/questions.h"
#include "run/run_status.h"

namespace tovrin {

namespace {

// Question kinds of the console questions.
constexpr QuestionKind YES_NO = 1;
constexpr QuestionKind ANY_NUMBER = 0;
constexpr QuestionKind HOUR_OF_DAY = 1;
constexpr QuestionKind MINUTE = 2;
constexpr QuestionKind MONTH = 3;
constexpr QuestionKind DAY_OF_MONTH = 4;
constexpr QuestionKind ZONE_HOURS = 5;
constexpr QuestionKind WEEK_OF_MONTH = 1;
constexpr QuestionKind WEEKDAY = 2;
constexpr QuestionKind WORD_MONTH = 3;

constexpr std::int32_t FIRST_YEAR = 2004;
constexpr std::int32_t LAST_YEAR = 2200;

// The prompts of one daylight transition date: its weekday, which of those weekdays in the month, the month.
struct TransitionQuestions {
    const char* weekday;
    const char* occurrenceAfterName;  // follows "Which " and the weekday's name
    const char* month;
};

const TransitionQuestions DAYLIGHT_START_QUESTIONS = {
    "What day of the week does it start on (0 = Sunday, 1 = Monday, etc.)? ",
    " does it start on (1 = first, ..., 5 = last)? ",
    "Which month does it start in (1 = January, etc.)? ",
};
const TransitionQuestions DAYLIGHT_END_QUESTIONS = {
    "What day of the week does it end on (0 = Sunday, 1 = Monday, etc.)? ",
    " does it end on (1 = first, ..., 5 = last)? ",
    "Which month does it end in (1 = January, etc.)? ",
};

void fail(const char* code, const char* reason) {
    printText(std::string("Error ") + code + ": " + reason, true);
    RunStatus = code;
}

// Each asking operation below returns false when the console input ended before its last answer: the step
// then stops, and nothing is written on answers that were never typed.

bool askTransitionDate(const TransitionQuestions& questions, SystemTime& date) {
    std::uint16_t weekday = 0;
    std::uint16_t occurrence = 0;
    std::uint16_t month = 0;
    askWordNumber(weekday, questions.weekday, WEEKDAY);
    if (inputEnded()) return false;
    askWordNumber(occurrence, "Which " + weekdayName(weekday) + questions.occurrenceAfterName, WEEK_OF_MONTH);
    if (inputEnded()) return false;
    askWordNumber(month, questions.month, WORD_MONTH);
    if (inputEnded()) return false;
    date = SystemTime{};  // day-in-month form: no year, the change at midnight
    date.wMonth = month;
    date.wDayOfWeek = weekday;
    date.wDay = occurrence;
    return true;
}

// Changes `zone` in place; the fields not asked about (the zone names) keep what was read.
bool askCorrectZone(TimeZoneInfo& zone) {
    std::int32_t hoursEast = 0;
    askNumber(hoursEast, "What is the correct time zone (Hours off; Examples are 5 or -3)? ", ZONE_HOURS);
    if (inputEnded()) return false;
    std::string usesDaylightSaving;
    askYesNo(usesDaylightSaving, "Does your time zone use daylight savings time (Y/N)? ", YES_NO);
    if (inputEnded()) return false;
    // With no transition dates (month 0) Windows never switches to daylight time, and a daylight bias of 0
    // makes the zone line say so.
    SystemTime daylightStarts{};
    SystemTime daylightEnds{};
    std::int32_t daylightBias = 0;
    if (usesDaylightSaving == "Y") {
        printText("For the US, DST ends the first Sunday in April and begins the last sunday in October?", true);
        printBlankLine();
        if (!askTransitionDate(DAYLIGHT_START_QUESTIONS, daylightStarts)) return false;
        if (!askTransitionDate(DAYLIGHT_END_QUESTIONS, daylightEnds)) return false;
        daylightBias = -60;
    }
    zone.Bias = -60 * hoursEast;
    zone.StandardBias = 0;
    zone.DaylightBias = daylightBias;
    zone.DaylightDate = daylightStarts;
    zone.StandardDate = daylightEnds;
    return true;
}

bool askCorrectTime(SystemTime& now) {
    printText("Windows Update can be broken easily by having an incorrect system time.", true);
    printText("The time should be updated...", true);
    printBlankLine();
    std::int32_t month = 0;
    std::int32_t day = 0;
    std::int32_t year = 0;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    askNumber(month, "What is the Month (1-12)? ", MONTH);
    if (inputEnded()) return false;
    askNumber(day, "What is the Day (1-31)? ", DAY_OF_MONTH);
    if (inputEnded()) return false;
    do {
        askNumber(year, "What is the Year (4-digit format)? ", ANY_NUMBER);
        if (inputEnded()) return false;
    } while (year < FIRST_YEAR || year > LAST_YEAR);
    askNumber(hour, "What is the Hour (0-23)? ", HOUR_OF_DAY);
    if (inputEnded()) return false;
    askNumber(minute, "What is the Minute (0-59)? ", MINUTE);
    if (inputEnded()) return false;
    SystemTime entered{};  // weekday, seconds and milliseconds 0
    entered.wYear = static_cast<std::uint16_t>(year);
    entered.wMonth = static_cast<std::uint16_t>(month);
    entered.wDay = static_cast<std::uint16_t>(day);
    entered.wHour = static_cast<std::uint16_t>(hour);
    entered.wMinute = static_cast<std::uint16_t>(minute);
    now = entered;
    return true;
}

}  // namespace

void checkDateTime(std::string& runTimestamp) {
    ClockApi& clock = *platform().clock;
    SystemTime now = clock.localTime();
    TimeZoneInfo zone;
    if (clock.timeZone(zone) == TIME_ZONE_ID_INVALID_RESULT) {
        fail("0x0006", "Unable to get the time zone.");
        return;
    }
    printTimeZone(zone);

    std::string zoneIsRight;
    askYesNo(zoneIsRight, "Is this the correct time zone (Y/N)? ", YES_NO);
    if (inputEnded()) return;
    if (zoneIsRight != "Y") {
        if (!askCorrectZone(zone)) return;
        if (!clock.setTimeZone(zone)) {
            fail("0x0005", "Unable to set time zone.");
            return;
        }
    }

    printDateTime(now);
    std::string timeIsRight;
    askYesNo(timeIsRight, "Is this time and date correct (Y/N)? ", YES_NO);
    if (inputEnded()) return;
    if (timeIsRight != "Y") {
        if (!askCorrectTime(now)) return;
        if (!clock.setLocalTime(now)) fail("0x0004", "Unable to set date/time.");
    }
    runTimestamp = formatTimestamp(now);
}

}  // namespace tovrin
