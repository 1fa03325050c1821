// Sets an environment variable of this test process for the life of a test and restores it. TZ is re-read
// both times, so that the timestamp's local-time round trip never depends on the machine's own zone.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace tovrin {

class EnvironmentGuard {
public:
    EnvironmentGuard(const char* name, const char* value) : name(name) {
        if (const char* old = std::getenv(name)) saved = old;
        ::setenv(name, value, 1);
        ::tzset();
    }
    ~EnvironmentGuard() {
        if (saved) {
            ::setenv(name.c_str(), saved->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
        ::tzset();
    }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    std::string name;
    std::optional<std::string> saved;
};

class TimeZoneGuard {
public:
    explicit TimeZoneGuard(const char* tz) : guard("TZ", tz) {}

private:
    EnvironmentGuard guard;
};

}  // namespace tovrin
