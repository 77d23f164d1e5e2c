#include "console/statements.h"

#include "console/io_status.h"
#include "console/text_stream.h"

namespace console {

void WriteLine(std::initializer_list<std::string_view> pieces) {
  for (std::string_view piece : pieces) WriteText(StdOut(), piece);
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

}  // namespace console
