#include "platform/platform.h"

namespace tovrin {

namespace {
Platform installed;
}

Platform& platform() { return installed; }

void installPlatform(const Platform& p) { installed = p; }

}  // namespace tovrin
