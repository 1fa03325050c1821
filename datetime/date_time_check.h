#pragma once

#include <string>

namespace tovrin {

// Shows and confirms or corrects the time zone and the clock, and makes the run timestamp.
void checkDateTime(std::string& runTimestamp);

}  // namespace tovrin
