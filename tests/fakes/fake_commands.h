#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "run/console_out.h"

namespace tovrin::fakes {

// Records each command line; a command's output, if a test gives one, goes to `device` when set (the
// console itself, as a child process writes it), otherwise to the console stream.
class FakeCommands final : public CommandApi {
public:
    std::vector<std::string> commandLines;
    std::map<std::string, std::string> output;
    std::ostream* device = nullptr;

    int run(const std::string& commandLine) override {
        commandLines.push_back(commandLine);
        auto it = output.find(commandLine);
        if (it != output.end()) {
            if (device) {
                *device << it->second;
            } else {
                consoleOut().write(it->second);
            }
        }
        return 0;
    }
};

}  // namespace tovrin::fakes
