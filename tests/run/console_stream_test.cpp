#include <gtest/gtest.h>

#include <sstream>

#include "fakes/string_console.h"
#include "run/console_stream.h"

namespace tovrin {
namespace {

// Formatted extraction as the questions rely on it: what is read, whether it counts, and what stays unread.
struct ExtractionCase {
    const char* typed;
    bool wordNumber;
    bool ok;
    long value;
    const char* left;
};

class NumberExtractionTest : public ::testing::TestWithParam<ExtractionCase> {};

TEST_P(NumberExtractionTest, ReadsOneNumberAndLeavesWhatEndsIt) {
    const ExtractionCase& c = GetParam();
    std::istringstream source(c.typed);
    fakes::StreamReader in(source);
    long got = -999;
    bool ok;
    if (c.wordNumber) {
        std::uint16_t value = 0;
        ok = readNumber(in, value);
        if (ok) got = value;
    } else {
        std::int32_t value = 0;
        ok = readNumber(in, value);
        if (ok) got = value;
    }
    EXPECT_EQ(ok, c.ok) << c.typed;
    if (c.ok) EXPECT_EQ(got, c.value) << c.typed;
    std::string rest((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
    EXPECT_EQ(rest, c.left) << c.typed;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberExtractionTest,
    ::testing::Values(ExtractionCase{" \t\r\n 42\n", false, true, 42, "\n"},
                      ExtractionCase{"+7 x", false, true, 7, " x"},
                      ExtractionCase{"-2147483648\n", false, true, -2147483648L, "\n"},
                      ExtractionCase{"2147483647", false, true, 2147483647L, ""},
                      ExtractionCase{"2147483648\n", false, false, 0, "\n"},
                      ExtractionCase{"-2147483649\n", false, false, 0, "\n"},
                      ExtractionCase{"99999999999999999999999 5", false, false, 0, " 5"},
                      ExtractionCase{"12abc", false, true, 12, "abc"},
                      ExtractionCase{"abc", false, false, 0, "abc"},
                      ExtractionCase{"-\n", false, false, 0, "\n"},
                      ExtractionCase{"", false, false, 0, ""},
                      ExtractionCase{"65535\n", true, true, 65535, "\n"},
                      ExtractionCase{"65536\n", true, false, 0, "\n"},
                      ExtractionCase{"-1\n", true, true, 65535, "\n"},
                      ExtractionCase{"-0", true, true, 0, ""}));

TEST(WordExtractionTest, ReadsUpToWhiteSpaceAndFailsOnlyAtTheEnd) {
    std::istringstream source("\n\n  y n\n   ");
    fakes::StreamReader in(source);
    std::string word;
    ASSERT_TRUE(readWord(in, word));
    EXPECT_EQ(word, "y");
    ASSERT_TRUE(readWord(in, word));
    EXPECT_EQ(word, "n");
    EXPECT_EQ(in.peek(), '\n');
    EXPECT_FALSE(readWord(in, word));
    EXPECT_EQ(in.peek(), ConsoleReader::END);
}

}  // namespace
}  // namespace tovrin
