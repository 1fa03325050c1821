#pragma once

#include "detect/records.h"

namespace tovrin {

void checkPoliciesAndFirewall(WindowsVersionInfo version);

}  // namespace tovrin
