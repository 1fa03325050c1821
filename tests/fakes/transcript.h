// Transcript checks: the exact console output, compared line by line, with the first difference named.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tovrin::fakes {

inline std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

inline std::string dashes() { return std::string(80, '-'); }

// `expected` holds every line the console shows; each ends in a line feed in the transcript. A transcript
// that ends without a line feed (a row of dashes, a prompt) is written with `tail` instead.
inline ::testing::AssertionResult transcriptIs(const std::string& actual, const std::vector<std::string>& expected,
                                               const std::string& tail = "") {
    const std::string wanted = joinLines(expected) + tail;
    if (actual == wanted) return ::testing::AssertionSuccess();
    std::size_t line = 1, column = 0, i = 0;
    for (; i < actual.size() && i < wanted.size() && actual[i] == wanted[i]; ++i) {
        if (actual[i] == '\n') {
            ++line;
            column = 0;
        } else {
            ++column;
        }
    }
    auto lineAt = [](const std::string& text, std::size_t from) {
        std::size_t start = text.rfind('\n', from == 0 ? 0 : from - 1);
        start = (start == std::string::npos || from == 0) ? 0 : start + 1;
        std::size_t end = text.find('\n', from);
        return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    };
    return ::testing::AssertionFailure() << "transcripts differ at line " << line << ", column " << column + 1
                                         << "\n  expected: \"" << lineAt(wanted, i) << "\"\n  actual:   \""
                                         << lineAt(actual, i) << "\"\n--- whole actual transcript ---\n"
                                         << actual;
}

}  // namespace tovrin::fakes
