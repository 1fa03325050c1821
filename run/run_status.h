// The run-wide status code and the fixed texts of the program.
#pragma once

#include <cstdint>
#include <string>

namespace tovrin {

extern const char* const STATUS_RUNNING;   // "0xF000": no fatal failure so far
extern const char* const STATUS_COMPLETE;  // "0xFFFF": every main step ran
// Standard input ended for good while a question waited for an answer. No other code means this.
extern const char* const STATUS_INPUT_ENDED;

// "0x" and four hexadecimal digits; compared as whole, case-sensitive texts.
extern std::string RunStatus;

extern const char* const ProgramTitle;
extern const char* const AuthorName;
extern const char* const ContactAddress;
extern const char* const CleanerAddress;
constexpr double VersionNumber = 0.41;

bool runStatusIs(const char* code);

// Major and minor version of the running Windows, read once at start-up before the run begins.
struct WindowsPlatformVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
};
extern WindowsPlatformVersion PlatformVersion;

// Reads PlatformVersion with the basic version query of the installed platform.
void readPlatformVersion();

}  // namespace tovrin
