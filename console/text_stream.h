// Buffered byte streams of text: standard input, standard output and text
// files opened for reading, each with one 128-byte buffer.
//
// No operation here throws or returns an error: a failure stores its code
// in the pending I/O status (io_status.h) and the operation goes on as if
// the input had ended or the output had been written. The caller's
// IoCheck at the end of the statement turns the code into the failure.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "console/ascii_text.h"
#include "console/platform.h"

namespace console {

constexpr std::uint32_t kStreamBufferSize = 128;

// Every stream of this system writes CR LF as its line end and takes the
// byte 26 (Ctrl-Z) for the end of input.
constexpr char kEndOfInputByte = 26;

enum class StreamMode { kClosed, kReading, kWriting };
enum class StreamRole { kFile, kStdIn, kStdOut };

// One stream: its handle, mode and buffer. Only the operations below
// change it.
struct TextStream {
  explicit TextStream(StreamRole role = StreamRole::kFile) : role(role) {}
  TextStream(const TextStream&) = delete;
  TextStream& operator=(const TextStream&) = delete;
  // A file stream still open when a failure unwinds past it closes its
  // handle here.
  ~TextStream();

  StreamRole role;
  Handle handle = 0;
  StreamMode mode = StreamMode::kClosed;
  bool flush_at_statement_end = false;  // console output: each statement
  bool close_handle = false;   // files only, never standard handles
  bool input_ended = false;    // the last byte buffered is the end's 26
  bool byte_characters = false;  // each byte is a character: no decoding
  bool at_file_start = false;    // nothing read since the file was opened
  std::uint32_t position = 0;  // next byte to read or write
  std::uint32_t end = 0;       // valid bytes when reading
  // The slack lets the line reader scan 16 bytes at a time from any
  // position: nothing is ever read into it.
  char buffer[kStreamBufferSize + 15] = {};
  char narrowed[kStreamBufferSize] = {};  // see ReadNarrowedCharacters
};

// The common cases of the operations below are inline: a statement of a
// few short pieces then costs a few stores and calls nothing.
namespace stream_detail {
extern TextStream std_in;
extern TextStream std_out;
void WriteTextInBlocks(TextStream& stream, std::string_view text);
bool WriteOut(TextStream& stream);  // false after a failure
void SkipLineSlowly(TextStream& stream);
}  // namespace stream_detail

// The process-wide standard streams; each opens itself on first use and
// starts afresh when it is used after CloseStream.
inline TextStream& StdIn() { return stream_detail::std_in; }
inline TextStream& StdOut() { return stream_detail::std_out; }

// Write side. A full buffer goes out at once, so output leaves in 128-byte
// blocks; EndStatement also sends it when the output is a console.
inline void WriteText(TextStream& stream, std::string_view text) {
  // Summed, not subtracted: the compiler then knows the copy stays inside
  // the buffer, where an unsigned difference could wrap.
  if (stream.mode == StreamMode::kWriting &&
      stream.position + text.size() < kStreamBufferSize) [[likely]] {
    CopyShort(stream.buffer + stream.position, text.data(), text.size());
    stream.position += static_cast<std::uint32_t>(text.size());
    return;
  }
  stream_detail::WriteTextInBlocks(stream, text);
}
inline void EndStatement(TextStream& stream) {
  if (stream.mode == StreamMode::kWriting && stream.flush_at_statement_end)
    stream_detail::WriteOut(stream);
}
inline void WriteLineEnd(TextStream& stream) {  // CR LF, then EndStatement
  WriteText(stream, "\r\n");
  EndStatement(stream);
}
void FlushStream(TextStream& stream);  // whatever the kind of device

// Read side.
// The rest of the current line without its line end, of any length, into
// `line`, whose storage is reused across lines; a CR inside the line is
// dropped and a 26 ends it.
//
// A 26 among the bytes already buffered ends the line and is used up. A 26
// that a fresh read hands over first is taken as the end of input: it ends
// the line and stays, so the next line ends at it too, empty, and uses it
// up. A console hands over one typed line per read, so Ctrl-Z typed first
// on a line ends the answer in progress and the next one.
void ReadLineText(TextStream& stream, std::string* line);
// Moves past the next LF, or to the end of input; stops before a 26, as at
// the end of input.
inline void SkipLine(TextStream& stream) {
  // After ReadLineText the LF is nearly always the next byte buffered.
  if (stream.mode == StreamMode::kReading && stream.position < stream.end &&
      stream.buffer[stream.position] == '\n') [[likely]] {
    ++stream.position;
    return;
  }
  stream_detail::SkipLineSlowly(stream);
}
// Opens an existing file for reading; others may read it meanwhile.
void OpenForReading(TextStream& stream, const std::string& name);
// The next characters of a text, each narrowed to one byte: a character
// below 128 as its own code, every other one as a byte of 128 or above.
// Empty at the end of input, which a 26 also marks. Gives at most one
// buffer's worth and asks the system for more only when it is used up.
// Never fails on the text itself: bytes that form no character of the
// code page within seven give one character of their first byte alone, and
// a UTF-16LE byte-order mark (FF FE) at the start of a file gives two
// characters whatever the code page, so its second byte cannot join the
// text after it.
std::string_view ReadNarrowedCharacters(TextStream& stream);
// Writes out what a writing stream holds, closes a file's handle.
void CloseStream(TextStream& stream);

}  // namespace console
