#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace tovrin {

// Stops an opened service, after its active dependents when asked; returns a system error code
// (0 stopped, 1460 when the limit passed, otherwise the failing call's last error).
std::uint32_t stopServiceAndDependents(Handle manager, Handle service, bool stopDependents,
                                       std::uint32_t limitMilliseconds);
void stopService(std::string serviceName, std::string displayText);
void startService(std::string serviceName, std::string displayText);

}  // namespace tovrin
