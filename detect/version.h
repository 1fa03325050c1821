#pragma once

#include <string>

#include "detect/records.h"

namespace tovrin {

// Prints the "Detected Windows Version" line, fills the record and refuses unsupported systems.
void detectWindowsVersion(std::string& status, WindowsVersionInfo& version);

}  // namespace tovrin
