#pragma once

#include <string>
#include <vector>

#include "fakes/fake_errors.h"

namespace tovrin::fakes {

// The COM library and the URL history object. `log` holds the calls in order.
class FakeUrlHistory final : public UrlHistoryApi {
public:
    std::int32_t coInitializeResult = 1;  // S_FALSE: OLE is already initialised on the thread by the run
    std::int32_t createResult = 0;
    std::int32_t clearResult = 0;
    int coInitializeCalls = 0;
    int coUninitializeCalls = 0;
    int clearCalls = 0;
    int liveObjects = 0;
    std::vector<std::string> log;

    std::int32_t coInitialize() override {
        ++coInitializeCalls;
        log.push_back("CoInitialize");
        return coInitializeResult;
    }
    std::int32_t createUrlHistory(Handle& history) override {
        log.push_back("CoCreateInstance");
        if (createResult < 0) return createResult;
        ++liveObjects;
        history = 0x4157;
        return createResult;
    }
    std::int32_t clearHistory(Handle history) override {
        log.push_back(history == 0x4157 ? "ClearHistory" : "ClearHistory on no object");
        ++clearCalls;
        return clearResult;
    }
    void release(Handle history) override {
        log.push_back(history == 0x4157 ? "Release" : "Release of no object");
        --liveObjects;
    }
    void coUninitialize() override {
        ++coUninitializeCalls;
        log.push_back("CoUninitialize");
    }
};

}  // namespace tovrin::fakes
