#pragma once

#include <map>
#include <ostream>
#include <streambuf>
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
        if (it != output.end()) (device ? *device : consoleOut()) << it->second;
        return 0;
    }
};

// Standard output as a pipe: the program's text is held until the stream is flushed, and only then reaches
// the device, where a command's own output may already stand.
class PipeBuffer final : public std::streambuf {
public:
    explicit PipeBuffer(std::ostream& device) : target(device) {}
    ~PipeBuffer() override { sync(); }
    std::ostream& device() { return target; }

protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) pending += traits_type::to_char_type(c);
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        pending.append(s, static_cast<std::size_t>(n));
        return n;
    }
    int sync() override {
        target << pending;
        pending.clear();
        return 0;
    }

private:
    std::ostream& target;
    std::string pending;
};

}  // namespace tovrin::fakes
