#pragma once

#include <vector>

#include "fakes/fake_errors.h"

namespace tovrin::fakes {

// A clock that never waits: sleep advances the tick count by the time asked (32-bit, so it wraps). Each read
// of the tick count may also move it on by `tickPerRead`, so that a poll with no pause still sees time pass.
class FakeClock final : public ClockApi {
public:
    explicit FakeClock(FakeLastError& errors) : errors(errors) {
        now = SystemTime{2006, 3, 0, 5, 14, 7, 9, 0};
        zone.Bias = 300;
        zone.DaylightBias = -60;
    }

    SystemTime now;
    TimeZoneInfo zone;
    std::uint32_t zoneResult = 1;  // TIME_ZONE_ID_STANDARD
    bool localTimeWrites = true;
    bool zoneWrites = true;
    std::vector<SystemTime> localTimesWritten;
    std::vector<TimeZoneInfo> zonesWritten;
    std::uint32_t tick = 1000;
    std::uint32_t tickPerRead = 0;
    std::vector<std::uint32_t> sleeps;

    SystemTime localTime() override { return now; }
    bool setLocalTime(const SystemTime& time) override {
        localTimesWritten.push_back(time);
        if (!localTimeWrites) return fail(1314);
        now = time;
        return true;
    }
    std::uint32_t timeZone(TimeZoneInfo& out) override {
        out = zone;
        return zoneResult;
    }
    bool setTimeZone(const TimeZoneInfo& z) override {
        zonesWritten.push_back(z);
        if (!zoneWrites) return fail(1314);
        zone = z;
        return true;
    }
    std::uint32_t tickCount() override {
        const std::uint32_t now = tick;
        tick += tickPerRead;
        return now;
    }
    void sleep(std::uint32_t milliseconds) override {
        sleeps.push_back(milliseconds);
        tick += milliseconds;
    }

private:
    bool fail(std::uint32_t code) {
        errors.value = code;
        return false;
    }
    FakeLastError& errors;
};

}  // namespace tovrin::fakes
