// The console's two character streams. The program writes standard output and reads standard input through
// the C runtime's stdio (the same FILE the pause line is printed to, so everything appears in the order it
// was written); a test points them at strings.
//
// The questions read with formatted extraction on top of these: leading white space skipped, then one word
// or one decimal number, with the character that ends it left unread.
#pragma once

#include <cstdint>
#include <string>

namespace tovrin {

class ConsoleWriter {
public:
    virtual ~ConsoleWriter() = default;
    virtual void write(const std::string& text) = 0;
    virtual void flush() = 0;
};

class ConsoleReader {
public:
    static constexpr int END = -1;
    virtual ~ConsoleReader() = default;
    virtual int get() = 0;   // the next character, or END
    virtual int peek() = 0;  // the next character without taking it, or END
};

// Standard output and standard input of the process.
ConsoleWriter& standardOutputWriter();
ConsoleReader& standardInputReader();

// Formatted extraction. Each returns false when nothing acceptable could be read: no word before the end of
// input; no digits (a sign alone is taken); a number outside the type's range (its digits are taken).
bool readWord(ConsoleReader& in, std::string& word);
bool readNumber(ConsoleReader& in, std::int32_t& value);
bool readNumber(ConsoleReader& in, std::uint16_t& value);
bool isConsoleSpace(int c);

}  // namespace tovrin
