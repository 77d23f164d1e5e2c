// The statement forms of the programs: each is a few stream operations
// followed by the one I/O check, so a failure ends the run at the
// statement that met it.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "console/text_stream.h"

namespace console {

// Writes the pieces and a line end to standard output.
void WriteLine(std::initializer_list<std::string_view> pieces);
// Ends a line whose pieces went to standard output one by one, with
// WriteText or a writer of its own: the line end, then the check.
void EndLine();
// Writes a prompt, shown at once on a console.
void WritePrompt(std::string_view prompt);
// Reads one line of standard input into `answer` and moves past its line
// end.
void ReadAnswerLine(std::string* answer);

// A text file read from start to end: opened, read in blocks of
// characters narrowed to bytes (see ReadNarrowedCharacters; empty at the
// end), closed.
void OpenTextFile(TextStream& file, const std::string& name);
std::string_view ReadTextCharacters(TextStream& file);
void CloseTextFile(TextStream& file);

}  // namespace console
