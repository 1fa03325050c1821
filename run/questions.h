// Console questions. Each writes the caller's prompt, reads one answer and asks again, with a fixed
// "Invalid Input." message and an empty line, until the answer lies in the range its kind accepts.
//
// End of input: when standard input has ended for good no answer can ever come. The first question that
// meets it prints one line saying so and stores STATUS_INPUT_ENDED in RunStatus; it and every later question
// then return at once without an accepted answer: askYesNo hands back an empty text (neither "Y" nor "N"),
// the number questions leave the value as it was. Callers that would change something on an answer check
// inputEnded() first.
#pragma once

#include <cstdint>
#include <string>

namespace tovrin {

using QuestionKind = int;

void askYesNo(std::string& answer, std::string prompt, QuestionKind kind);
void askNumber(std::int32_t& value, std::string prompt, QuestionKind kind);
void askWordNumber(std::uint16_t& value, std::string prompt, QuestionKind kind);

bool inputEnded();
// Forgets an earlier end of input (the console streams were replaced).
void resetInputEnded();

}  // namespace tovrin
