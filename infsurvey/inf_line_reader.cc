#include "infsurvey/inf_line_reader.h"

#include "console/ascii_text.h"
#include "console/statements.h"

namespace infsurvey {
namespace {

// Trims the pending line and appends it unless it is empty or a comment;
// then empties it.
void EndPendingLine(std::string* pending, InfLineList* lines) {
  std::string_view line = console::Trim(*pending);
  if (!line.empty() && line.front() != ';') lines->emplace_back(line);
  pending->clear();
}

// The rule for each character: CR and LF end the pending line, codes 32 to
// 127 join it, every other one is dropped. (A line feed ends a line as a
// carriage return does: INF files stored with LF line ends are as valid
// to Windows as CR LF ones.) The characters kept are gathered on the stack
// and join the pending line once per line end or block. Stops after the
// line that makes kMaxInfLines.
void FilterBlock(std::string_view block, std::string* pending,
                 InfLineList* lines) {
  char kept[console::kStreamBufferSize];  // a block is at most one buffer
  std::size_t count = 0;
  for (char c : block) {
    if (static_cast<unsigned char>(c - 32) <= 127 - 32) {
      kept[count++] = c;
    } else if (c == '\r' || c == '\n') {
      pending->append(kept, count);
      count = 0;
      EndPendingLine(pending, lines);
      if (lines->size() == kMaxInfLines) return;
    }
  }
  pending->append(kept, count);
}

}  // namespace

InfLineList ReadInfLines(const std::string& inf_path) {
  console::TextStream file;
  console::OpenTextFile(file, inf_path);
  InfLineList lines;
  lines.reserve(kMaxInfLines);
  std::string pending;
  while (lines.size() < kMaxInfLines) {
    std::string_view block = console::ReadTextCharacters(file);
    if (block.empty()) break;
    FilterBlock(block, &pending, &lines);
  }
  // The last line counts even without a line end.
  if (lines.size() < kMaxInfLines) EndPendingLine(&pending, &lines);
  console::CloseTextFile(file);
  return lines;
}

}  // namespace infsurvey
