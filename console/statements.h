// The statement forms of the programs: each is a few stream operations on
// the standard streams followed by the one I/O check.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace console {

// Writes the pieces and a line end to standard output.
void WriteLine(std::initializer_list<std::string_view> pieces);
// Writes a prompt, shown at once on a console.
void WritePrompt(std::string_view prompt);
// Reads one line of standard input into `answer` and moves past its line
// end.
void ReadAnswerLine(std::string* answer);

}  // namespace console
