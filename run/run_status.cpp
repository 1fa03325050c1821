#include "run/run_status.h"

#include "platform/platform.h"

namespace tovrin {

const char* const STATUS_RUNNING = "0xF000";
const char* const STATUS_COMPLETE = "0xFFFF";
const char* const STATUS_INPUT_ENDED = "0x4000";

std::string RunStatus = STATUS_RUNNING;

const char* const ProgramTitle = "Tovrin BETA";
const char* const AuthorName = "Dremmond";
const char* const ContactAddress = "help@tovrin.org";
const char* const CleanerAddress = "http://www.ccleaner.com";

WindowsPlatformVersion PlatformVersion;

bool runStatusIs(const char* code) { return RunStatus == code; }

void readPlatformVersion() {
    OsVersion version;
    PlatformVersion = {};
    if (platform().system->getVersion(false, version)) {
        PlatformVersion.major = version.majorVersion;
        PlatformVersion.minor = version.minorVersion;
    }
}

}  // namespace tovrin
