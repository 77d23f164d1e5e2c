#include "console/statements.h"

#include "console/io_status.h"

namespace console {

void WriteLine(std::initializer_list<std::string_view> pieces) {
  for (std::string_view piece : pieces) WriteText(StdOut(), piece);
  EndLine();
}

void EndLine() {
  WriteLineEnd(StdOut());
  IoCheck();
}

void WritePrompt(std::string_view prompt) {
  WriteText(StdOut(), prompt);
  EndStatement(StdOut());
  IoCheck();
}

void ReadAnswerLine(std::string* answer) {
  ReadLineText(StdIn(), answer);
  SkipLine(StdIn());
  IoCheck();
}

void OpenTextFile(TextStream& file, const std::string& name) {
  OpenForReading(file, name);
  IoCheck();
}

std::string_view ReadTextCharacters(TextStream& file) {
  std::string_view characters = ReadNarrowedCharacters(file);
  IoCheck();
  return characters;
}

void CloseTextFile(TextStream& file) {
  CloseStream(file);
  IoCheck();
}

}  // namespace console
