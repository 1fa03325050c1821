#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "platform/platform.h"

namespace tovrin {

std::string weekdayName(std::uint32_t dayOfWeek);
std::string monthName(std::uint32_t month);
void printTimeZone(TimeZoneInfo zone);
void printDateTime(SystemTime time);
std::string formatTimestamp(SystemTime time);

// The standard library's local-time calls that formatTimestamp makes, so that a test can make each one fail.
struct LocalTimeCalls {
    std::time_t (*makeTime)(std::tm* fields);
    std::tm* (*toLocalTime)(const std::time_t* value);
    std::size_t (*format)(char* buffer, std::size_t size, const char* pattern, const std::tm* fields);
};
std::string formatTimestamp(SystemTime time, const LocalTimeCalls& calls);

}  // namespace tovrin
