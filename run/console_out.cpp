#include "run/console_out.h"

#include <cstdio>

#include "platform/platform.h"
#include "run/run_status.h"

namespace tovrin {

namespace {

ConsoleStreams streams{&standardOutputWriter(), &standardInputReader(), true};

void endLine() {
    consoleOut().write("\n");
    consoleOut().flush();
}

}  // namespace

ConsoleStreams& consoleStreams() { return streams; }
ConsoleWriter& consoleOut() { return *streams.out; }
ConsoleReader& consoleIn() { return *streams.in; }

void flushConsole() { consoleOut().flush(); }

void printText(std::string text, bool endOfLine) {
    consoleOut().write(text);
    if (endOfLine) endLine();
}

void printBlankLine() { printText("", true); }

void printBanner(std::string title) {
    printRule(80);
    printText(" " + title, true);
    printRule(80);
}

void printRule(int count) {
    if (count < 1) return;
    consoleOut().write(std::string(static_cast<std::size_t>(count), '-'));
}

void printNumber(std::uint32_t number, bool endOfLine) { printText(std::to_string(number), endOfLine); }

void printNumber(std::int32_t number, bool endOfLine) { printText(std::to_string(number), endOfLine); }

void printNumber(std::uint16_t number, bool endOfLine) { printText(std::to_string(number), endOfLine); }

void waitForEnter() {
    static const char pauseLine[] = "Press ENTER to continue.\n";
    if (streams.pauseThroughPrintf) {
        std::printf("%s", pauseLine);
    } else {
        consoleOut().write(pauseLine);
    }
    consoleIn().get();
}

void clearScreen() {
    ConsoleApi& console = *platform().console;
    Handle output = console.standardOutput();
    ConsoleSize size;
    console.screenBufferSize(output, size);
    std::uint32_t cells = static_cast<std::uint32_t>(static_cast<std::uint16_t>(size.columns)) *
                          static_cast<std::uint32_t>(static_cast<std::uint16_t>(size.rows));
    console.fillWithCharacter(output, ' ', cells);
    console.moveCursorHome(output);
}

void showIntro() {
    clearScreen();
    // The version number as a stream shows a double by default: at most six significant digits.
    char version[32];
    std::snprintf(version, sizeof version, "%g", VersionNumber);
    printText(std::string(ProgramTitle) + " v" + version + "                      By " + AuthorName, true);
    printRule(80);
    printText("    This is a tool to repair Windows Update using information gathered from", true);
    printText("      the WU Troubleshooter, Forums, and much more. In the process, this", true);
    printText("                    tool also fixes many common IE issues.", true);
    printRule(80);
    printText("NOTE: Please close all programs to ensure that this tool can run.", true);
    waitForEnter();
    printRule(80);
}

}  // namespace tovrin
