#include "console/text_stream.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "console/ascii_text.h"
#include "console/io_status.h"

namespace console {
namespace {

// A line is taken in chunks of at most 255 bytes, a count that fits one
// byte; a chunk that comes back full is the sign the line may go on.
constexpr std::uint32_t kMaxLineChunk = 255;
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
// The control bytes among them are rare: a word at a time finds them.
std::uint32_t OrdinaryRun(const char* bytes, std::uint32_t limit) {
  std::uint32_t count = 0;
  while (count + 8 <= limit) {
    std::size_t free = ControlFree(bytes + count);
    count += static_cast<std::uint32_t>(free);
    if (free == 8) continue;
    if (kRunStops[static_cast<unsigned char>(bytes[count])]) return count;
    ++count;  // a tab, say: ordinary
  }
  while (count < limit && !kRunStops[static_cast<unsigned char>(bytes[count])])
    ++count;
  return count;
}

TextStream std_in(StreamRole::kStdIn);
TextStream std_out(StreamRole::kStdOut);

struct Decoded {
  bool valid = false;      // the bytes form a character of the code page
  std::uint16_t code = 0;
  std::uint32_t bytes = 0;  // input bytes it takes; 0 at the end of input
  std::uint32_t seen = 0;   // input bytes before the end, up to seven
};

}  // namespace

// Everything that reads or changes a stream's state.
struct StreamIo {
  static void ClearStream(TextStream& stream) {
    stream.handle_ = 0;
    stream.mode_ = StreamMode::kClosed;
    stream.flush_at_statement_end_ = false;
    stream.close_handle_ = false;
    stream.input_ended_ = false;
    stream.byte_characters_ = false;
    stream.at_file_start_ = false;
    stream.position_ = 0;
    stream.end_ = 0;
    stream.name_.clear();
  }

  static void OpenStandard(TextStream& stream) {
    ClearStream(stream);
    bool input = stream.role_ == StreamRole::kStdIn;
    Handle handle = 0;
    std::uint32_t code = Os().GetStdHandle(
        input ? StdHandle::kInput : StdHandle::kOutput, &handle);
    if (code != 0) {
      SetIoStatus(code);
      return;
    }
    if (input) {
      stream.handle_ = handle;
      stream.mode_ = StreamMode::kReading;
      stream.byte_characters_ = Os().BytesAreCharacters();
      return;
    }
    FileType type = Os().GetFileType(handle);
    if (type == FileType::kUnknown) {
      Os().CloseHandle(handle);
      SetIoStatus(kErrorStdOutNotOpen);
      return;
    }
    stream.handle_ = handle;
    stream.mode_ = StreamMode::kWriting;
    stream.flush_at_statement_end_ = type == FileType::kChar;
  }

  // Hands the buffer to the system; the buffer is empty afterwards even when
  // the write failed. False after a failure.
  static bool WriteOut(TextStream& stream) {
    if (stream.position_ == 0) return true;
    std::uint32_t code =
        Os().WriteFile(stream.handle_, stream.buffer_, stream.position_);
    stream.position_ = 0;
    if (code != 0) {
      SetIoStatus(code);
      return false;
    }
    return true;
  }

  static bool EnsureReading(TextStream& stream) {
    if (stream.mode_ == StreamMode::kReading) return true;
    if (stream.role_ == StreamRole::kStdIn) OpenStandard(stream);
    if (stream.mode_ == StreamMode::kReading) return true;
    SetIoStatus(kErrorStdInNotOpen);
    return false;
  }

  // Makes `count` unread bytes available unless the input ends first: the
  // unread bytes move to the front and the system's bytes follow them. At
  // the end of input a 26 follows the last byte; it stays, so every later
  // read finds the end without asking the system again.
  static void FillAhead(TextStream& stream, std::uint32_t count) {
    std::uint32_t kept = stream.end_ - stream.position_;
    if (kept >= count || stream.input_ended_) return;
    std::memmove(stream.buffer_, stream.buffer_ + stream.position_, kept);
    stream.position_ = 0;
    std::uint32_t got = 0;
    std::uint32_t code = Os().ReadFile(stream.handle_, stream.buffer_ + kept,
                                       kStreamBufferSize - kept, &got);
    if (code != 0) {
      got = 0;
      // A pipe whose writer has gone has simply ended.
      if (code != kErrorBrokenPipe) SetIoStatus(code);
    }
    stream.end_ = kept + got;
    if (got == 0) {
      stream.buffer_[stream.end_++] = kEndOfInputByte;  // kept < count: room
      stream.input_ended_ = true;
    }
  }

  // The 26 that marks the end of input, as opposed to a 26 in the input.
  static bool AtEndMark(const TextStream& stream) {
    return stream.input_ended_ && stream.position_ + 1 == stream.end_;
  }

  // The next byte, consumed; false at the end of input, where a 26 that
  // marks the end stays unread.
  static bool TakeByte(TextStream& stream, char* byte) {
    if (!EnsureReading(stream)) return false;
    FillAhead(stream, 1);
    char next = stream.buffer_[stream.position_];
    if (next == kEndOfInputByte) return false;
    ++stream.position_;
    *byte = next;
    return true;
  }


  // Decodes the character at the position without consuming it: up to seven
  // bytes are tried one more at a time, the bytes from the end of input on
  // taken as 26.
  static Decoded DecodeAhead(TextStream& stream) {
    char bytes[kMaxCharBytes];
    Decoded result;
    for (std::uint32_t count = 1; count <= kMaxCharBytes; ++count) {
      char byte = kEndOfInputByte;
      if (result.seen == count - 1) {
        FillAhead(stream, count);
        byte = stream.buffer_[stream.position_ + count - 1];
        if (byte != kEndOfInputByte) ++result.seen;
      }
      bytes[count - 1] = byte;
      if (Os().DecodeChar(bytes, static_cast<int>(count), &result.code)) {
        result.valid = true;
        result.bytes = std::min(count, result.seen);
        return result;
      }
    }
    return result;
  }

  // Appends up to 255 bytes of the current line to `line`; gives the count.
  static std::uint32_t ReadLineChunk(TextStream& stream, std::string* line) {
    if (!EnsureReading(stream)) return 0;
    std::uint32_t stored = 0;
    while (stored < kMaxLineChunk) {
      char byte;
      if (stream.position_ < stream.end_) {
        // Ordinary bytes go over as a run; line ends and 26 one by one.
        const char* run = stream.buffer_ + stream.position_;
        std::uint32_t limit =
            std::min(stream.end_ - stream.position_, kMaxLineChunk - stored);
        std::uint32_t count = OrdinaryRun(run, limit);
        if (count > 0) {
          line->append(run, count);
          stream.position_ += count;
          stored += count;
          continue;
        }
        byte = stream.buffer_[stream.position_];
        if (byte == kEndOfInputByte) {
          // A 26 inside the input ends the line and is used up; the one that
          // marks the end of input stays.
          if (!AtEndMark(stream)) ++stream.position_;
          break;
        }
        ++stream.position_;
      } else if (!TakeByte(stream, &byte)) {
        break;
      }
      if (byte == '\n') {
        --stream.position_;  // the line end stays for SkipLine
        break;
      }
      if (byte == '\r') continue;
      line->push_back(byte);
      ++stored;
    }
    return stored;
  }

  // The bytes buffered, asking the system for more when none are left, up
  // to the next 26; all of them consumed.
  static std::string_view TakeBufferedBytes(TextStream& stream) {
    FillAhead(stream, 1);
    const char* begin = stream.buffer_ + stream.position_;
    std::size_t size = stream.end_ - stream.position_;
    if (const void* stop = std::memchr(begin, kEndOfInputByte, size))
      size = static_cast<std::size_t>(static_cast<const char*>(stop) - begin);
    stream.position_ += static_cast<std::uint32_t>(size);
    return {begin, size};
  }

  static std::string_view TakeDecodedCharacters(TextStream& stream) {
    std::uint32_t count = 0;
    if (stream.at_file_start_) {
      stream.at_file_start_ = false;
      FillAhead(stream, 2);
      if (stream.end_ - stream.position_ >= 2 &&
          std::memcmp(stream.buffer_ + stream.position_, "\xFF\xFE", 2) == 0) {
        stream.position_ += 2;
        stream.narrowed_[count++] = kNarrowedNonAscii;
        stream.narrowed_[count++] = kNarrowedNonAscii;
      }
    }
    FillAhead(stream, 1);
    // A block ends where the buffer does, so a reader that has read enough
    // never causes a read it does not use.
    while (count < kStreamBufferSize && stream.position_ < stream.end_) {
      Decoded next = DecodeAhead(stream);
      if (next.seen == 0) break;  // the end of input
      // A byte that begins no character is a character of its own.
      if (!next.valid) next = {true, kNotACharacter, 1, 1};
      stream.position_ += next.bytes;
      stream.narrowed_[count++] =
          next.code < 128 ? static_cast<char>(next.code) : kNarrowedNonAscii;
    }
    return {stream.narrowed_, count};
  }

  static void WriteText(TextStream& stream, std::string_view text) {
    if (stream.mode_ != StreamMode::kWriting &&
        stream.role_ == StreamRole::kStdOut) {
      OpenStandard(stream);
    }
    if (stream.mode_ != StreamMode::kWriting) {
      SetIoStatus(kErrorStdOutNotOpen);
      return;
    }
    while (text.size() >= kStreamBufferSize - stream.position_) {
      std::uint32_t room = kStreamBufferSize - stream.position_;
      std::memcpy(stream.buffer_ + stream.position_, text.data(), room);
      stream.position_ = kStreamBufferSize;
      text.remove_prefix(room);
      if (!WriteOut(stream)) return;  // the rest of the text is dropped
    }
    std::memcpy(stream.buffer_ + stream.position_, text.data(), text.size());
    stream.position_ += static_cast<std::uint32_t>(text.size());
  }

  static void WriteLineEnd(TextStream& stream) {
    WriteText(stream, "\r\n");
    EndStatement(stream);
  }

  static void EndStatement(TextStream& stream) {
    if (stream.mode_ == StreamMode::kWriting && stream.flush_at_statement_end_)
      WriteOut(stream);
  }

  static void FlushStream(TextStream& stream) {
    if (stream.mode_ == StreamMode::kWriting) WriteOut(stream);
  }

  static void ReadLineText(TextStream& stream, std::string* line) {
    line->clear();
    while (ReadLineChunk(stream, line) == kMaxLineChunk) {
    }
  }

  static std::string ReadLineText(TextStream& stream) {
    std::string line;
    ReadLineText(stream, &line);
    return line;
  }

  static void SkipLine(TextStream& stream) {
    char byte;
    while (TakeByte(stream, &byte) && byte != '\n') {
    }
  }

  static void OpenForReading(TextStream& stream, const std::string& name) {
    if (stream.mode_ != StreamMode::kClosed) CloseStream(stream);
    ClearStream(stream);
    stream.name_ = name;
    Handle handle = 0;
    std::uint32_t code = Os().OpenForReading(name, &handle);
    if (code != 0) {
      SetIoStatus(code);
      return;
    }
    stream.handle_ = handle;
    stream.mode_ = StreamMode::kReading;
    stream.close_handle_ = true;
    stream.byte_characters_ = Os().BytesAreCharacters();
    stream.at_file_start_ = true;
  }

  static bool AtEndOfFile(TextStream& stream) {
    if (!EnsureReading(stream)) return true;
    FillAhead(stream, 1);
    return stream.buffer_[stream.position_] == kEndOfInputByte;
  }

  static std::uint16_t ReadCharCode(TextStream& stream) {
    if (!EnsureReading(stream)) return kEndOfInputByte;
    if (stream.byte_characters_) {
      char byte;
      if (!TakeByte(stream, &byte)) return kEndOfInputByte;
      return static_cast<unsigned char>(byte);
    }
    Decoded next = DecodeAhead(stream);
    if (!next.valid) {
      SetIoStatus(kErrorNoCharacter);
      return 0;
    }
    stream.position_ += next.bytes;
    return next.code;
  }

  static std::string_view ReadNarrowedCharacters(TextStream& stream) {
    if (!EnsureReading(stream)) return {};
    return stream.byte_characters_ ? TakeBufferedBytes(stream)
                                  : TakeDecodedCharacters(stream);
  }

  static void CloseStream(TextStream& stream) {
    if (stream.mode_ == StreamMode::kWriting) WriteOut(stream);
    if (stream.mode_ != StreamMode::kClosed && stream.close_handle_)
      Os().CloseHandle(stream.handle_);
    stream.mode_ = StreamMode::kClosed;
  }
};

TextStream::~TextStream() {
  if (mode_ != StreamMode::kClosed && close_handle_) Os().CloseHandle(handle_);
}

TextStream& StdIn() { return std_in; }
TextStream& StdOut() { return std_out; }

void ResetStandardStreams() {
  StreamIo::ClearStream(std_in);
  StreamIo::ClearStream(std_out);
}

// The operations, as the rest of the program sees them.
using S = TextStream;
void WriteText(S& s, std::string_view text) { StreamIo::WriteText(s, text); }
void WriteLineEnd(S& s) { StreamIo::WriteLineEnd(s); }
void EndStatement(S& s) { StreamIo::EndStatement(s); }
void FlushStream(S& s) { StreamIo::FlushStream(s); }
void ReadLineText(S& s, std::string* line) { StreamIo::ReadLineText(s, line); }
std::string ReadLineText(S& s) { return StreamIo::ReadLineText(s); }
void SkipLine(S& s) { StreamIo::SkipLine(s); }
void OpenForReading(S& s, const std::string& name) {
  StreamIo::OpenForReading(s, name);
}
bool AtEndOfFile(S& s) { return StreamIo::AtEndOfFile(s); }
std::uint16_t ReadCharCode(S& s) { return StreamIo::ReadCharCode(s); }
std::string_view ReadNarrowedCharacters(S& s) {
  return StreamIo::ReadNarrowedCharacters(s);
}
void CloseStream(S& s) { StreamIo::CloseStream(s); }

}  // namespace console
