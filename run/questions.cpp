#include "run/questions.h"


#include "run/console_out.h"
#include "run/run_status.h"

namespace tovrin {

namespace {

bool endOfInput = false;

struct RangeRule {
    long long low;
    long long high;
    const char* message;
};

const RangeRule NUMBER_KINDS[] = {
    {INT32_MIN, INT32_MAX, ""},
    {0, 23, "Invalid Input. Please try again, but within the 0 to 23 hours in a day per military time."},
    {0, 59, "Invalid Input. Please try again, but within 0 to 59."},
    {1, 12, "Invalid Input. Please try again, but within the 1 to 12 months of the year."},
    {1, 31, "Invalid Input. Please try again, but within the 1 to 31 days in a month."},
    {-12, 13, "Invalid Input. Please try again, but within -12 to +13 hours."},
};

const RangeRule WORD_NUMBER_KINDS[] = {
    {0, UINT16_MAX, ""},
    {1, 5, "Invalid Input. Please try again, but within the (1)st to (5)th possible week in a month."},
    {0, 6, "Invalid Input. Please try again, but within 0 (Sunday) to 6 (Saturday)."},
    {1, 12, "Invalid Input. Please try again, but withthe valid month 1 to 12."},
};

template <std::size_t N>
const RangeRule& ruleFor(const RangeRule (&rules)[N], QuestionKind kind) {
    // Callers pass only the kinds listed; anything else is held to the widest rule of the table.
    if (kind < 0 || static_cast<std::size_t>(kind) >= N) return rules[0];
    return rules[kind];
}

void reject(const char* message) {
    printText(message, true);
    printBlankLine();
}

void reportEndOfInput() {
    endOfInput = true;
    printBlankLine();
    printText("Error " + std::string(STATUS_INPUT_ENDED) +
                  ": The console input has ended; no answer can be read. Tovrin will exit!",
              true);
    if (runStatusIs(STATUS_RUNNING)) RunStatus = STATUS_INPUT_ENDED;
}

// Called after a failed read; drops the offending word. Returns false when input has ended for good.
bool recoverFromFailedRead() {
    ConsoleReader& in = consoleIn();
    const int next = in.peek();
    if (next == ConsoleReader::END) {
        reportEndOfInput();
        return false;
    }
    // A number too large for its type has already been read up to its end: dropping a word then would
    // swallow the user's next answer.
    if (!isConsoleSpace(next)) {
        std::string discardWord;
        readWord(in, discardWord);
    }
    reject("Invalid Input. Please try again.");
    return true;
}

template <typename Number>
void askInRange(Number& value, const std::string& prompt, const RangeRule& rule) {
    if (endOfInput) return;
    for (;;) {
        printText(prompt, false);
        Number answer{};
        if (!readNumber(consoleIn(), answer)) {
            if (!recoverFromFailedRead()) return;
            continue;
        }
        value = answer;
        if (value >= rule.low && value <= rule.high) return;
        reject(rule.message);
    }
}

}  // namespace

bool inputEnded() { return endOfInput; }
void resetInputEnded() { endOfInput = false; }

void askYesNo(std::string& answer, std::string prompt, QuestionKind kind) {
    if (endOfInput) {
        answer.clear();
        return;
    }
    for (;;) {
        printText(prompt, false);
        if (!readWord(consoleIn(), answer)) {
            answer.clear();
            if (!recoverFromFailedRead()) return;
            continue;
        }
        if (kind != 1) return;
        if (answer == "y") answer = "Y";
        if (answer == "n") answer = "N";
        if (answer == "Y" || answer == "N") return;
        reject("Invalid Input. Please try again, but reply with Y or N.");
    }
}

void askNumber(std::int32_t& value, std::string prompt, QuestionKind kind) {
    askInRange(value, prompt, ruleFor(NUMBER_KINDS, kind));
}

void askWordNumber(std::uint16_t& value, std::string prompt, QuestionKind kind) {
    askInRange(value, prompt, ruleFor(WORD_NUMBER_KINDS, kind));
}

}  // namespace tovrin
