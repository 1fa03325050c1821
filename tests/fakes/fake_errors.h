#pragma once

#include "platform/platform.h"

namespace tovrin::fakes {

// The thread's last-error value, shared by every fake: a fake call that fails sets it, as Windows does.
class FakeLastError final : public ErrorApi {
public:
    std::uint32_t value = 0;
    std::uint32_t lastError() override { return value; }
};

}  // namespace tovrin::fakes
