// Arbitrary typed input against every question kind, in turn, until the input ends. Every question must
// return (no loop once input has ended) and hand back only answers inside its range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fakes/fake_platform.h"
#include "run/questions.h"

using namespace tovrin;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

struct Range {
    long low;
    long high;
};
const Range NUMBER_RANGES[] = {{INT32_MIN, INT32_MAX}, {0, 23}, {0, 59}, {1, 12}, {1, 31}, {-12, 13}};
const Range WORD_RANGES[] = {{0, 65535}, {1, 5}, {0, 6}, {1, 12}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fakes::FakePlatform fake;
    fake.type(std::string(reinterpret_cast<const char*>(data), size));
    // Each question consumes at least one character of input or ends it, so this many rounds always
    // reach the end of input.
    for (std::size_t round = 0; round <= size + 1 && !inputEnded(); ++round) {
        switch (round % 3) {
            case 0: {
                std::string answer;
                askYesNo(answer, "Q (Y/N)? ", 1);
                require(inputEnded() ? answer.empty() : (answer == "Y" || answer == "N"));
                break;
            }
            case 1: {
                const int kind = static_cast<int>(round / 3 % 6);
                std::int32_t value = 0;
                askNumber(value, "N? ", kind);
                require(inputEnded() || (value >= NUMBER_RANGES[kind].low && value <= NUMBER_RANGES[kind].high));
                break;
            }
            default: {
                const int kind = static_cast<int>(round / 3 % 4);
                std::uint16_t value = 1;
                askWordNumber(value, "W? ", kind);
                require(inputEnded() || (value >= WORD_RANGES[kind].low && value <= WORD_RANGES[kind].high));
                break;
            }
        }
    }
    require(inputEnded());
    require(RunStatus == "0x4000");
    return 0;
}
