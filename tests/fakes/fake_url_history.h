#pragma once

#include "fakes/fake_errors.h"

namespace tovrin::fakes {

class FakeUrlHistory final : public UrlHistoryApi {
public:
    std::int32_t createResult = 0;
    int coInitializeCalls = 0;
    int coUninitializeCalls = 0;
    int clearCalls = 0;
    int liveObjects = 0;

    std::int32_t coInitialize() override {
        ++coInitializeCalls;
        return 0;
    }
    std::int32_t createUrlHistory(Handle& history) override {
        if (createResult < 0) return createResult;
        ++liveObjects;
        history = 0x4157;
        return createResult;
    }
    std::int32_t clearHistory(Handle) override {
        ++clearCalls;
        return 0;
    }
    void release(Handle) override { --liveObjects; }
    void coUninitialize() override { ++coUninitializeCalls; }
};

}  // namespace tovrin::fakes
