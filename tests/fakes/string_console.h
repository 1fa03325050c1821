#pragma once

#include <istream>
#include <ostream>
#include <string>

#include "run/console_stream.h"

namespace tovrin::fakes {

// The console's streams over standard string streams, for tests.
class StreamWriter final : public ConsoleWriter {
public:
    explicit StreamWriter(std::ostream& target) : target(target) {}
    void write(const std::string& text) override { target << text; }
    void flush() override { target.flush(); }

private:
    std::ostream& target;
};

class StreamReader final : public ConsoleReader {
public:
    explicit StreamReader(std::istream& source) : source(source) {}
    int get() override {
        const int c = source.get();
        return c == std::char_traits<char>::eof() ? END : c;
    }
    int peek() override {
        const int c = source.peek();
        return c == std::char_traits<char>::eof() ? END : c;
    }

private:
    std::istream& source;
};

// Standard output as a pipe: the program's text is held until it flushes, and only then reaches the
// device, where a command's own output may already stand.
class PipeWriter final : public ConsoleWriter {
public:
    explicit PipeWriter(std::ostream& device) : target(device) {}
    ~PipeWriter() override { flush(); }
    void write(const std::string& text) override { pending += text; }
    void flush() override {
        target << pending;
        pending.clear();
    }

private:
    std::ostream& target;
    std::string pending;
};

}  // namespace tovrin::fakes
