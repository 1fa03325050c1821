#pragma once

#include <string>
#include <vector>

#include "fakes/fake_errors.h"

namespace tovrin::fakes {

// By default standard output is a pipe: every console call fails with error 6, as under a redirect.
class FakeConsole final : public ConsoleApi {
public:
    explicit FakeConsole(FakeLastError& errors) : errors(errors) {}

    bool isConsole = false;
    ConsoleSize size{80, 300};
    std::vector<std::string> calls;  // "fill 24000", "home"

    Handle standardOutput() override { return 7; }
    bool screenBufferSize(Handle, ConsoleSize& s) override {
        if (!isConsole) return fail();
        s = size;
        return true;
    }
    bool fillWithCharacter(Handle, char c, std::uint32_t cells) override {
        if (!isConsole) return fail();
        calls.push_back(std::string("fill '") + c + "' " + std::to_string(cells));
        return true;
    }
    bool moveCursorHome(Handle) override {
        if (!isConsole) return fail();
        calls.push_back("home");
        return true;
    }

private:
    bool fail() {
        errors.value = 6;
        return false;
    }
    FakeLastError& errors;
};

}  // namespace tovrin::fakes
