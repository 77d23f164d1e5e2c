#include "console/text_stream.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "console/ascii_text.h"
#include "console/io_status.h"

namespace console {

namespace stream_detail {
TextStream std_in(StreamRole::kStdIn);
TextStream std_out(StreamRole::kStdOut);
}  // namespace stream_detail

using stream_detail::WriteOut;

namespace {

// The small helpers on the hot paths are declared inline: without it the
// compiler keeps some of them out of line, which costs pnpsum about 3% of
// its instructions.

// The most bytes a character of any code page is tried with.
constexpr std::uint32_t kMaxCharBytes = 7;
// What ReadNarrowedCharacters gives for a character of code 128 or above.
constexpr char kNarrowedNonAscii = '\x80';
// The code of a byte that begins no character of the code page.
constexpr std::uint16_t kNotACharacter = 0xFFFD;

// Bytes that end a run of ordinary line bytes.
constexpr std::array<bool, 256> kRunStops = [] {
  std::array<bool, 256> stops{};
  stops['\n'] = stops['\r'] = stops[kEndOfInputByte] = true;
  return stops;
}();

// How many of the `limit` bytes at `bytes` come before a line end or a 26.
// The 15 bytes past the limit may be read too (the buffer's slack), so the
// scan goes 16 bytes at a time and ignores what lies past the limit. The
// control bytes that do not stop a run are rare.
inline std::uint32_t OrdinaryRun(const char* bytes, std::uint32_t limit) {
  std::uint32_t count = 0;
  while (count < limit) {
    std::uint32_t free = static_cast<std::uint32_t>(ControlFreeIn16(bytes + count));
    count += free;
    if (free == 16) continue;
    if (count >= limit) break;
    if (kRunStops[static_cast<unsigned char>(bytes[count])]) return count;
    ++count;  // a tab, say: ordinary
  }
  return limit;
}

struct Decoded {
  bool valid = false;      // the bytes form a character of the code page
  std::uint16_t code = 0;
  std::uint32_t bytes = 0;  // input bytes it takes; 0 at the end of input
  std::uint32_t seen = 0;   // input bytes before the end, up to seven
};

void ClearStream(TextStream& stream) {
  stream.handle = 0;
  stream.mode = StreamMode::kClosed;
  stream.flush_at_statement_end = false;
  stream.close_handle = false;
  stream.input_ended = false;
  stream.byte_characters = false;
  stream.at_file_start = false;
  stream.position = 0;
  stream.end = 0;
}

void OpenStandard(TextStream& stream) {
  ClearStream(stream);
  bool input = stream.role == StreamRole::kStdIn;
  Handle handle = 0;
  std::uint32_t code = Os().files.GetStdHandle(
      input ? StdHandle::kInput : StdHandle::kOutput, &handle);
  if (code != 0) {
    SetIoStatus(code);
    return;
  }
  if (input) {
    stream.handle = handle;
    stream.mode = StreamMode::kReading;
    stream.byte_characters = Os().code_page.BytesAreCharacters();
    return;
  }
  FileType type = Os().files.GetFileType(handle);
  if (type == FileType::kUnknown) {
    Os().files.CloseHandle(handle);
    SetIoStatus(kErrorStdOutNotOpen);
    return;
  }
  stream.handle = handle;
  stream.mode = StreamMode::kWriting;
  stream.flush_at_statement_end = type == FileType::kChar;
}

inline bool EnsureReading(TextStream& stream) {
  if (stream.mode == StreamMode::kReading) return true;
  if (stream.role == StreamRole::kStdIn) OpenStandard(stream);
  if (stream.mode == StreamMode::kReading) return true;
  SetIoStatus(kErrorStdInNotOpen);
  return false;
}

// Makes `count` unread bytes available unless the input ends first: the
// unread bytes move to the front and the system's bytes follow them. At
// the end of input a 26 follows the last byte; it stays, so every later
// read finds the end without asking the system again.
inline void FillAhead(TextStream& stream, std::uint32_t count) {
  std::uint32_t kept = stream.end - stream.position;
  if (kept >= count || stream.input_ended) return;
  std::memmove(stream.buffer, stream.buffer + stream.position, kept);
  stream.position = 0;
  std::uint32_t got = 0;
  std::uint32_t code = Os().files.ReadFile(
      stream.handle, stream.buffer + kept, kStreamBufferSize - kept, &got);
  if (code != 0) {
    got = 0;
    // A pipe whose writer has gone has simply ended.
    if (code != kErrorBrokenPipe) SetIoStatus(code);
  }
  stream.end = kept + got;
  if (got == 0) {
    stream.buffer[stream.end++] = kEndOfInputByte;  // kept < count: room
    stream.input_ended = true;
  }
}

// The 26 that marks the end of input, as opposed to a 26 in the input.
inline bool AtEndMark(const TextStream& stream) {
  return stream.input_ended && stream.position + 1 == stream.end;
}

// The next byte, consumed; false at the end of input, where a 26 that
// marks the end stays unread.
inline bool TakeByte(TextStream& stream, char* byte) {
  if (!EnsureReading(stream)) return false;
  FillAhead(stream, 1);
  char next = stream.buffer[stream.position];
  if (next == kEndOfInputByte) return false;
  ++stream.position;
  *byte = next;
  return true;
}

// Decodes the character at the position without consuming it: up to seven
// bytes are tried one more at a time, the bytes from the end of input on
// taken as 26.
Decoded DecodeAhead(TextStream& stream) {
  char bytes[kMaxCharBytes];
  Decoded result;
  for (std::uint32_t count = 1; count <= kMaxCharBytes; ++count) {
    char byte = kEndOfInputByte;
    if (result.seen == count - 1) {
      FillAhead(stream, count);
      byte = stream.buffer[stream.position + count - 1];
      if (byte != kEndOfInputByte) ++result.seen;
    }
    bytes[count - 1] = byte;
    if (Os().code_page.DecodeChar(bytes, static_cast<int>(count), &result.code)) {
      result.valid = true;
      result.bytes = std::min(count, result.seen);
      return result;
    }
  }
  return result;
}

// ReadLineText for every line: apart, so that the common case keeps the
// few registers it needs.
[[gnu::noinline]] void ReadLineSlowly(TextStream& stream, std::string* line) {
  line->clear();
  if (!EnsureReading(stream)) return;
  for (;;) {
    if (stream.position == stream.end) {
      FillAhead(stream, 1);
      // A 26 that a fresh read brings first is the end of input for the
      // rest of this line and for the next SkipLine too: it stays unread.
      if (stream.buffer[stream.position] == kEndOfInputByte) return;
    }
    // Ordinary bytes go over as one run; the byte that stops it, if any,
    // is a line end or a 26.
    const char* run = stream.buffer + stream.position;
    std::uint32_t limit = stream.end - stream.position;
    std::uint32_t count = OrdinaryRun(run, limit);
    if (count > 0) line->append(run, count);
    stream.position += count;
    if (count == limit) continue;  // the buffer is used up
    char stop = run[count];
    if (stop == '\n') return;  // the line end stays for SkipLine
    if (stop == kEndOfInputByte) {
      // A 26 inside the input ends the line and is used up; the one that
      // marks the end of input stays.
      if (!AtEndMark(stream)) ++stream.position;
      return;
    }
    ++stream.position;  // a CR is dropped
  }
}

// The bytes buffered, asking the system for more when none are left, up
// to the next 26; all of them consumed.
std::string_view TakeBufferedBytes(TextStream& stream) {
  FillAhead(stream, 1);
  const char* begin = stream.buffer + stream.position;
  std::size_t size = stream.end - stream.position;
  if (const void* stop = std::memchr(begin, kEndOfInputByte, size))
    size = static_cast<std::size_t>(static_cast<const char*>(stop) - begin);
  stream.position += static_cast<std::uint32_t>(size);
  return {begin, size};
}

std::string_view TakeDecodedCharacters(TextStream& stream) {
  std::uint32_t count = 0;
  if (stream.at_file_start) {
    stream.at_file_start = false;
    FillAhead(stream, 2);
    if (stream.end - stream.position >= 2 &&
        std::memcmp(stream.buffer + stream.position, "\xFF\xFE", 2) == 0) {
      stream.position += 2;
      stream.narrowed[count++] = kNarrowedNonAscii;
      stream.narrowed[count++] = kNarrowedNonAscii;
    }
  }
  FillAhead(stream, 1);
  // A block ends where the buffer does, so a reader that has read enough
  // never causes a read it does not use.
  while (count < kStreamBufferSize && stream.position < stream.end) {
    Decoded next = DecodeAhead(stream);
    if (next.seen == 0) break;  // the end of input
    // A byte that begins no character is a character of its own.
    if (!next.valid) next = {true, kNotACharacter, 1, 1};
    stream.position += next.bytes;
    stream.narrowed[count++] =
        next.code < 128 ? static_cast<char>(next.code) : kNarrowedNonAscii;
  }
  return {stream.narrowed, count};
}

}  // namespace

namespace stream_detail {

// Hands the buffer to the system; the buffer is empty afterwards even when
// the write failed. False after a failure.
bool WriteOut(TextStream& stream) {
  if (stream.position == 0) return true;
  std::uint32_t code =
      Os().files.WriteFile(stream.handle, stream.buffer, stream.position);
  stream.position = 0;
  if (code != 0) {
    SetIoStatus(code);
    return false;
  }
  return true;
}

// WriteText for the rest: opens standard output on first use, and sends
// each buffer it fills.
void WriteTextInBlocks(TextStream& stream, std::string_view text) {
  if (stream.mode != StreamMode::kWriting &&
      stream.role == StreamRole::kStdOut) {
    OpenStandard(stream);
  }
  if (stream.mode != StreamMode::kWriting) {
    SetIoStatus(kErrorStdOutNotOpen);
    return;
  }
  while (text.size() >= kStreamBufferSize - stream.position) {
    std::uint32_t room = kStreamBufferSize - stream.position;
    std::memcpy(stream.buffer + stream.position, text.data(), room);
    stream.position = kStreamBufferSize;
    text.remove_prefix(room);
    if (!WriteOut(stream)) return;  // the rest of the text is dropped
  }
  std::memcpy(stream.buffer + stream.position, text.data(), text.size());
  stream.position += static_cast<std::uint32_t>(text.size());
}

void SkipLineSlowly(TextStream& stream) {
  char byte;
  while (TakeByte(stream, &byte) && byte != '\n') {
  }
}

}  // namespace stream_detail

TextStream::~TextStream() {
  if (mode != StreamMode::kClosed && close_handle) Os().files.CloseHandle(handle);
}

void FlushStream(TextStream& stream) {
  if (stream.mode == StreamMode::kWriting) WriteOut(stream);
}

void ReadLineText(TextStream& stream, std::string* line) {
  // Nearly every line lies whole in the buffer and ends in LF or CR LF:
  // one scan and one copy take it.
  if (stream.mode == StreamMode::kReading) [[likely]] {
    const char* begin = stream.buffer + stream.position;
    std::uint32_t available = stream.end - stream.position;
    std::uint32_t count = OrdinaryRun(begin, available);
    std::uint32_t cr = count + 1 < available && begin[count] == '\r';
    if (count + cr < available && begin[count + cr] == '\n') {
      line->assign(begin, count);
      stream.position += count + cr;  // the LF stays for SkipLine
      return;
    }
  }
  ReadLineSlowly(stream, line);
}

void OpenForReading(TextStream& stream, const std::string& name) {
  if (stream.mode != StreamMode::kClosed) CloseStream(stream);
  ClearStream(stream);
  Handle handle = 0;
  std::uint32_t code = Os().files.OpenForReading(name, &handle);
  if (code != 0) {
    SetIoStatus(code);
    return;
  }
  stream.handle = handle;
  stream.mode = StreamMode::kReading;
  stream.close_handle = true;
  stream.byte_characters = Os().code_page.BytesAreCharacters();
  stream.at_file_start = true;
}

std::string_view ReadNarrowedCharacters(TextStream& stream) {
  if (!EnsureReading(stream)) return {};
  return stream.byte_characters ? TakeBufferedBytes(stream)
                                : TakeDecodedCharacters(stream);
}

void CloseStream(TextStream& stream) {
  if (stream.mode == StreamMode::kWriting) WriteOut(stream);
  if (stream.mode != StreamMode::kClosed && stream.close_handle)
    Os().files.CloseHandle(stream.handle);
  stream.mode = StreamMode::kClosed;
}

}  // namespace console
