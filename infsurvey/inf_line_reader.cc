#include "infsurvey/inf_line_reader.h"

#include "console/ascii_text.h"
#include "console/io_status.h"
#include "console/text_stream.h"

namespace infsurvey {

using console::IoCheck;

void EndPendingLine(std::string* pending, InfLineList* lines) {
  std::string_view line = console::Trim(*pending);
  if (!line.empty() && line.front() != ';') lines->emplace_back(line);
  pending->clear();
}

// A line feed ends a line as a carriage return does: INF files stored with
// LF line ends are as valid to Windows as CR LF ones.
void ReadLineFilter(std::uint16_t code, std::string* pending,
                    InfLineList* lines) {
  if (code == '\r' || code == '\n') {
    EndPendingLine(pending, lines);
  } else if (code >= 32 && code <= 127) {
    pending->push_back(static_cast<char>(code));
  }
}

InfLineList ReadInfLines(const std::string& inf_path) {
  console::TextStream file;
  console::OpenForReading(file, inf_path);
  IoCheck();
  InfLineList lines;
  std::string pending;
  for (;;) {
    bool at_end = console::AtEndOfFile(file);
    IoCheck();
    if (at_end) {
      // The last line counts even without a line end.
      EndPendingLine(&pending, &lines);
      break;
    }
    std::uint16_t code = console::ReadCharCode(file);
    IoCheck();
    ReadLineFilter(code, &pending, &lines);
    if (lines.size() == kMaxInfLines) break;
  }
  console::CloseStream(file);
  IoCheck();
  return lines;
}

}  // namespace infsurvey
