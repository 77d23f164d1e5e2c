#include "infsurvey/inf_line_reader.h"

#include "console/ascii_text.h"
#include "console/io_status.h"
#include "console/text_stream.h"

namespace infsurvey {
namespace {

using console::IoCheck;

// ReadLineFilter over a block of bytes that are characters of their own
// code: the line characters are gathered on the stack and join the pending
// line once per line end or block. Gives the count of bytes used: less
// than the block when the last line wanted ends inside it.
std::size_t FilterBlock(std::string_view block, std::string* pending,
                        InfLineList* lines) {
  char kept[console::kStreamBufferSize];  // a block is at most one buffer
  std::size_t count = 0;
  for (std::size_t i = 0; i < block.size(); ++i) {
    char c = block[i];
    if (static_cast<unsigned char>(c - 32) <= 127 - 32) {
      kept[count++] = c;
    } else if (c == '\r' || c == '\n') {
      pending->append(kept, count);
      count = 0;
      EndPendingLine(pending, lines);
      if (lines->size() == kMaxInfLines) return i + 1;
    }
  }
  pending->append(kept, count);
  return block.size();
}

// Most files are in a code page where each byte is a character: their
// buffer is taken a block at a time.
void ReadByteCharacters(console::TextStream& file, std::string* pending,
                        InfLineList* lines) {
  while (lines->size() < kMaxInfLines) {
    std::string_view block = console::BufferedInput(file);
    IoCheck();
    if (block.empty()) return;
    console::ConsumeInput(file, FilterBlock(block, pending, lines));
  }
}

void ReadDecodedCharacters(console::TextStream& file, std::string* pending,
                           InfLineList* lines) {
  while (lines->size() < kMaxInfLines) {
    bool at_end = console::AtEndOfFile(file);
    IoCheck();
    if (at_end) return;
    std::uint16_t code = console::ReadCharCode(file);
    IoCheck();
    ReadLineFilter(code, pending, lines);
  }
}

}  // namespace

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
  lines.reserve(kMaxInfLines);
  std::string pending;
  if (file.byte_characters) {
    ReadByteCharacters(file, &pending, &lines);
  } else {
    ReadDecodedCharacters(file, &pending, &lines);
  }
  // The last line counts even without a line end.
  if (lines.size() < kMaxInfLines) EndPendingLine(&pending, &lines);
  console::CloseStream(file);
  IoCheck();
  return lines;
}

}  // namespace infsurvey
