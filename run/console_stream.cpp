#include "run/console_stream.h"

#include <cstdio>
#include <limits>

namespace tovrin {

namespace {

class StdioWriter final : public ConsoleWriter {
public:
    void write(const std::string& text) override { std::fwrite(text.data(), 1, text.size(), stdout); }
    void flush() override { std::fflush(stdout); }
};

class StdioReader final : public ConsoleReader {
public:
    int get() override {
        const int c = std::getc(stdin);
        return c == EOF ? END : c;
    }
    int peek() override {
        const int c = std::getc(stdin);
        if (c == EOF) return END;
        std::ungetc(c, stdin);
        return c;
    }
};

// Skips white space; false when the input ends first.
bool skipSpace(ConsoleReader& in) {
    while (isConsoleSpace(in.peek())) in.get();
    return in.peek() != ConsoleReader::END;
}

// Reads an optional sign and decimal digits. The magnitude saturates just above what any caller accepts.
bool readDigits(ConsoleReader& in, bool& negative, std::uint64_t& magnitude) {
    if (!skipSpace(in)) return false;
    negative = false;
    if (in.peek() == '+' || in.peek() == '-') negative = in.get() == '-';
    bool anyDigit = false;
    magnitude = 0;
    constexpr std::uint64_t SATURATED = std::uint64_t{1} << 40;
    while (in.peek() >= '0' && in.peek() <= '9') {
        anyDigit = true;
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(in.get() - '0');
        if (magnitude > SATURATED) magnitude = SATURATED;
    }
    return anyDigit;
}

}  // namespace

ConsoleWriter& standardOutputWriter() {
    static StdioWriter writer;
    return writer;
}

ConsoleReader& standardInputReader() {
    static StdioReader reader;
    return reader;
}

bool isConsoleSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool readWord(ConsoleReader& in, std::string& word) {
    if (!skipSpace(in)) return false;
    word.clear();
    while (in.peek() != ConsoleReader::END && !isConsoleSpace(in.peek())) word += static_cast<char>(in.get());
    return true;
}

bool readNumber(ConsoleReader& in, std::int32_t& value) {
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (!readDigits(in, negative, magnitude)) return false;
    const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : std::numeric_limits<std::int32_t>::max();
    if (magnitude > limit) return false;
    value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                     : static_cast<std::int32_t>(magnitude);
    return true;
}

// As the C++ stream library reads an unsigned number: a minus sign negates it in the unsigned type, so "-1"
// reads as 65535 (which every question's range then rejects).
bool readNumber(ConsoleReader& in, std::uint16_t& value) {
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (!readDigits(in, negative, magnitude)) return false;
    if (magnitude > std::numeric_limits<std::uint16_t>::max()) return false;
    value = static_cast<std::uint16_t>(negative ? 0x10000 - magnitude : magnitude);
    return true;
}

}  // namespace tovrin
