// Console output: every line the program shows goes through these helpers.
//
// A line is built piece by piece; a helper ends the line only when its end-of-line flag asks for it. An end
// of line is a line feed followed by a flush. Rows of dashes are never followed by a line end: on an
// 80-column console the console itself moves to the next line.
#pragma once

#include <cstdint>
#include <string>

#include "run/console_stream.h"

namespace tovrin {

// The streams the console helpers and questions use. The program uses standard output and standard input,
// with the pause line written by printf to the same standard output; a test points them at strings.
struct ConsoleStreams {
    ConsoleWriter* out;
    ConsoleReader* in;
    bool pauseThroughPrintf;
};

ConsoleStreams& consoleStreams();
ConsoleWriter& consoleOut();
ConsoleReader& consoleIn();
// Writes out what is buffered, before another program (the command interpreter) writes to the console.
void flushConsole();

void printText(std::string text, bool endLine);
void printBlankLine();
void printBanner(std::string title);
void printRule(int count);
void printNumber(std::uint32_t number, bool endLine);
void printNumber(std::int32_t number, bool endLine);
void printNumber(std::uint16_t number, bool endLine);
void waitForEnter();
void clearScreen();
void showIntro();

}  // namespace tovrin
