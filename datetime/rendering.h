#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace tovrin {

std::string weekdayName(std::uint32_t dayOfWeek);
std::string monthName(std::uint32_t month);
void printTimeZone(TimeZoneInfo zone);
void printDateTime(SystemTime time);
std::string formatTimestamp(SystemTime time);

}  // namespace tovrin
