#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "run/console_out.h"

namespace tovrin::fakes {

// Records each command line; a command's output, if a test gives one, goes to the console transcript.
class FakeCommands final : public CommandApi {
public:
    std::vector<std::string> commandLines;
    std::map<std::string, std::string> output;

    int run(const std::string& commandLine) override {
        commandLines.push_back(commandLine);
        auto it = output.find(commandLine);
        if (it != output.end()) consoleOut() << it->second;
        return 0;
    }
};

}  // namespace tovrin::fakes
