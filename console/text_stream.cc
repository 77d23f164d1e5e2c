#include "console/text_stream.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "console/io_status.h"

namespace console {
namespace {

constexpr std::uint32_t kMaxLineChunk = 255;
constexpr char kEndOfInputByte = 26;

// Bytes that end a run of ordinary line bytes: the line ends, and 26,
// which is ordinary again on a stream without the 26 rule.
constexpr std::array<bool, 256> kRunStops = [] {
  std::array<bool, 256> stops{};
  stops['\n'] = stops['\r'] = stops[kEndOfInputByte] = true;
  return stops;
}();

TextStream std_in(StreamRole::kStdIn);
TextStream std_out(StreamRole::kStdOut);

void ClearStream(TextStream& stream) {
  stream.handle = 0;
  stream.mode = StreamMode::kClosed;
  stream.crlf_style = kCrLfStyleDefault;
  stream.flush_at_statement_end = false;
  stream.close_handle = false;
  stream.input_ended = false;
  stream.byte_characters = false;
  stream.position = 0;
  stream.end = 0;
  stream.name.clear();
}

bool IsEndByte(const TextStream& stream, char byte) {
  return stream.crlf_style && byte == kEndOfInputByte;
}

void OpenStandard(TextStream& stream) {
  ClearStream(stream);
  bool input = stream.role == StreamRole::kStdIn;
  Handle handle = 0;
  std::uint32_t code = Os().GetStdHandle(
      input ? StdHandle::kInput : StdHandle::kOutput, &handle);
  if (code != 0) {
    SetIoStatus(code);
    return;
  }
  if (input) {
    stream.handle = handle;
    stream.mode = StreamMode::kReading;
    stream.byte_characters = Os().BytesAreCharacters();
    return;
  }
  FileType type = Os().GetFileType(handle);
  if (type == FileType::kUnknown) {
    Os().CloseHandle(handle);
    SetIoStatus(kErrorStdOutNotOpen);
    return;
  }
  stream.handle = handle;
  stream.mode = StreamMode::kWriting;
  stream.flush_at_statement_end = type == FileType::kChar;
}

// Hands the buffer to the system; the buffer is empty afterwards even when
// the write failed. False after a failure.
bool WriteOut(TextStream& stream) {
  if (stream.position == 0) return true;
  std::uint32_t code =
      Os().WriteFile(stream.handle, stream.buffer, stream.position);
  stream.position = 0;
  if (code != 0) {
    SetIoStatus(code);
    return false;
  }
  return true;
}

bool EnsureReading(TextStream& stream) {
  if (stream.mode == StreamMode::kReading) return true;
  if (stream.role == StreamRole::kStdIn) OpenStandard(stream);
  if (stream.mode == StreamMode::kReading) return true;
  SetIoStatus(kErrorStdInNotOpen);
  return false;
}

void Refill(TextStream& stream) {
  std::uint32_t count = 0;
  std::uint32_t code =
      Os().ReadFile(stream.handle, stream.buffer, kStreamBufferSize, &count);
  if (code != 0) {
    count = 0;
    // A pipe whose writer has gone has simply ended.
    if (code != kErrorBrokenPipe) SetIoStatus(code);
  }
  stream.position = 0;
  stream.end = count;
  if (count == 0) {
    // The 26 stays, so every later read finds the end without asking the
    // system again.
    stream.buffer[0] = kEndOfInputByte;
    stream.end = 1;
    stream.input_ended = true;
  }
}

// The next byte, consumed; false at the end of input, where a 26 that
// marks the end stays unread.
bool TakeByte(TextStream& stream, char* byte) {
  if (!EnsureReading(stream)) return false;
  if (stream.position == stream.end) Refill(stream);
  char next = stream.buffer[stream.position];
  if (stream.input_ended || IsEndByte(stream, next)) return false;
  ++stream.position;
  *byte = next;
  return true;
}

// Appends up to 255 bytes of the current line to `line`; gives the count.
std::uint32_t ReadLineChunk(TextStream& stream, std::string* line) {
  if (!EnsureReading(stream)) return 0;
  std::uint32_t stored = 0;
  while (stored < kMaxLineChunk) {
    char byte;
    if (stream.position < stream.end) {
      // Ordinary bytes go over as a run; line ends and 26 one by one.
      const char* run = stream.buffer + stream.position;
      std::uint32_t limit =
          std::min(stream.end - stream.position, kMaxLineChunk - stored);
      std::uint32_t count = 0;
      while (count < limit &&
             !kRunStops[static_cast<unsigned char>(run[count])])
        ++count;
      if (count > 0) {
        line->append(run, count);
        stream.position += count;
        stored += count;
        continue;
      }
      byte = stream.buffer[stream.position];
      if (IsEndByte(stream, byte)) {
        // A 26 inside the input ends the line and is used up; the one that
        // marks the end of input stays.
        if (!stream.input_ended) ++stream.position;
        break;
      }
      ++stream.position;
    } else if (!TakeByte(stream, &byte)) {
      break;
    }
    if (byte == '\n') {
      --stream.position;  // the line end stays for SkipLine
      break;
    }
    if (byte == '\r') continue;
    line->push_back(byte);
    ++stored;
  }
  return stored;
}

}  // namespace

TextStream::~TextStream() {
  if (mode != StreamMode::kClosed && close_handle) Os().CloseHandle(handle);
}

TextStream& StdIn() { return std_in; }
TextStream& StdOut() { return std_out; }

void ResetStandardStreams() {
  ClearStream(std_in);
  ClearStream(std_out);
}

void WriteText(TextStream& stream, std::string_view text) {
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

void WriteLineEnd(TextStream& stream) {
  WriteText(stream, stream.crlf_style ? "\r\n" : "\n");
  EndStatement(stream);
}

void EndStatement(TextStream& stream) {
  if (stream.mode == StreamMode::kWriting && stream.flush_at_statement_end)
    WriteOut(stream);
}

void FlushStream(TextStream& stream) {
  if (stream.mode == StreamMode::kWriting) WriteOut(stream);
}

void ReadLineText(TextStream& stream, std::string* line) {
  line->clear();
  while (ReadLineChunk(stream, line) == kMaxLineChunk) {
  }
}

std::string ReadLineText(TextStream& stream) {
  std::string line;
  ReadLineText(stream, &line);
  return line;
}

void SkipLine(TextStream& stream) {
  char byte;
  while (TakeByte(stream, &byte) && byte != '\n') {
  }
}

void OpenForReading(TextStream& stream, const std::string& name) {
  if (stream.mode != StreamMode::kClosed) CloseStream(stream);
  ClearStream(stream);
  stream.name = name;
  Handle handle = 0;
  std::uint32_t code = Os().OpenForReading(name, &handle);
  if (code != 0) {
    SetIoStatus(code);
    return;
  }
  stream.handle = handle;
  stream.mode = StreamMode::kReading;
  stream.close_handle = true;
  stream.byte_characters = Os().BytesAreCharacters();
}

bool AtEndOfFile(TextStream& stream) {
  if (stream.mode == StreamMode::kReading && stream.position < stream.end)
    return stream.input_ended ||
           IsEndByte(stream, stream.buffer[stream.position]);
  char byte;
  if (!TakeByte(stream, &byte)) return true;
  --stream.position;
  return false;
}

std::uint16_t ReadCharCode(TextStream& stream) {
  char bytes[7];
  for (int count = 1; count <= 7; ++count) {
    if (!TakeByte(stream, &bytes[count - 1])) bytes[count - 1] = kEndOfInputByte;
    if (stream.byte_characters) return static_cast<unsigned char>(bytes[0]);
    std::uint16_t code;
    if (Os().DecodeChar(bytes, count, &code)) return code;
  }
  SetIoStatus(kErrorNoCharacter);
  return 0;
}

std::string_view BufferedInput(TextStream& stream) {
  if (!EnsureReading(stream)) return {};
  if (stream.position == stream.end) Refill(stream);
  if (stream.input_ended) return {};
  const char* begin = stream.buffer + stream.position;
  std::size_t size = stream.end - stream.position;
  if (stream.crlf_style) {
    if (const void* stop = std::memchr(begin, kEndOfInputByte, size))
      size = static_cast<std::size_t>(static_cast<const char*>(stop) - begin);
  }
  return {begin, size};
}

void ConsumeInput(TextStream& stream, std::size_t count) {
  stream.position += static_cast<std::uint32_t>(count);
}

void CloseStream(TextStream& stream) {
  if (stream.mode == StreamMode::kWriting) WriteOut(stream);
  if (stream.mode != StreamMode::kClosed && stream.close_handle)
    Os().CloseHandle(stream.handle);
  stream.mode = StreamMode::kClosed;
}

}  // namespace console
