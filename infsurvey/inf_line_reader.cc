#include "infsurvey/inf_line_reader.h"

#include <cstring>

#include "console/ascii_text.h"
#include "console/statements.h"

namespace infsurvey {
namespace {

// The rule for each character: codes 32 to 127 join the pending line, CR
// and LF end it, every other one is dropped. (A line feed ends a line as a
// carriage return does: INF files stored with LF line ends are as valid
// to Windows as CR LF ones.) The characters kept are gathered on the stack
// and join the pending line once per line end or block. Stops after the
// line that makes kMaxInfLines, with false: the one place the limit is
// checked.
bool FilterBlock(std::string_view block, InfLineList* lines) {
  char kept[console::kStreamBufferSize];  // a block is at most one buffer
  std::size_t count = 0;
  const char* next = block.data();
  const char* end = next + block.size();
  while (next != end) {
    // Most of an INF is printable ASCII, which goes over eight bytes at a
    // time, copied whole while it is judged; the rule below sees only the
    // other bytes.
    if (end - next >= 8) {
      std::size_t printable = console::PrintableInWord(next);
      std::memcpy(kept + count, next, 8);
      count += printable;
      next += printable;
      if (printable == 8) continue;
    }
    char c = *next++;
    if (console::IsPrintableAscii(c)) {
      kept[count++] = c;
    } else if (c == '\r' || c == '\n') {
      lines->AppendPending(kept, count);
      count = 0;
      lines->EndPendingLine();
      if (lines->size() == kMaxInfLines) return false;
    }
  }
  lines->AppendPending(kept, count);
  return true;
}

}  // namespace

void ReadInfLines(const std::string& inf_path, InfLineList* lines) {
  lines->clear();
  console::TextStream file;
  console::OpenTextFile(file, inf_path);
  for (;;) {
    std::string_view block = console::ReadTextCharacters(file);
    if (block.empty()) {
      lines->EndPendingLine();  // the last line counts without a line end
      break;
    }
    if (!FilterBlock(block, lines)) break;
  }
  console::CloseTextFile(file);
}

}  // namespace infsurvey
