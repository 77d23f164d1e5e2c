#include "tests/fake_platform.h"

#include <algorithm>
#include <cstdlib>

#include "console/io_status.h"
#include "console/text_stream.h"
#include "console/utf8.h"

namespace console {

void FakePlatform::FailCall(Call call, int nth, std::uint32_t code) {
  failures_[{static_cast<int>(call), nth}] = code;
}

std::uint32_t FakePlatform::Count(Call call) {
  int nth = ++calls_[static_cast<int>(call)];
  auto failure = failures_.find({static_cast<int>(call), nth});
  if (failure == failures_.end()) return 0;
  // A failing call with no code of its own still fails.
  return failure->second != 0 ? failure->second : kErrorIoDevice;
}

std::string FakePlatform::Written(Handle handle) const {
  std::string bytes;
  for (const Write& write : writes)
    if (write.handle == handle) bytes += write.bytes;
  return bytes;
}

std::vector<std::size_t> FakePlatform::WriteSizes(Handle handle) const {
  std::vector<std::size_t> sizes;
  for (const Write& write : writes)
    if (write.handle == handle) sizes.push_back(write.bytes.size());
  return sizes;
}

std::uint32_t FakePlatform::GetStdHandle(StdHandle which, Handle* handle) {
  if (std::uint32_t code = Count(Call::kGetStdHandle)) return code;
  *handle = which == StdHandle::kInput    ? kStdInHandle
            : which == StdHandle::kOutput ? kStdOutHandle
                                          : kStdErrHandle;
  return 0;
}

FileType FakePlatform::GetFileType(Handle handle) {
  if (Count(Call::kGetFileType) != 0) return FileType::kUnknown;
  return handle == kStdOutHandle ? stdout_type : FileType::kChar;
}

std::uint32_t FakePlatform::ReadFile(Handle handle, char* buffer,
                                     std::uint32_t size,
                                     std::uint32_t* count) {
  *count = 0;
  if (std::uint32_t code = Count(Call::kReadFile)) return code;
  if (!read_sizes.empty()) {
    size = std::min(size, read_sizes[next_read_size_++ % read_sizes.size()]);
  }
  const std::string* source = nullptr;
  std::size_t* position = nullptr;
  if (handle == kStdInHandle) {
    source = &stdin_bytes;
    position = &stdin_position_;
  } else if (auto file = open_files_.find(handle); file != open_files_.end()) {
    ++reads_of_file[file->second.path];
    source = &files[file->second.path];
    position = &file->second.position;
  } else {
    return kErrorInvalidHandle;
  }
  std::size_t available = source->size() - *position;
  *count = static_cast<std::uint32_t>(std::min<std::size_t>(size, available));
  std::copy_n(source->data() + *position, *count, buffer);
  *position += *count;
  return 0;
}

std::uint32_t FakePlatform::WriteFile(Handle handle, const char* data,
                                      std::uint32_t size) {
  if (std::uint32_t code = Count(Call::kWriteFile)) return code;
  writes.push_back({handle, std::string(data, size)});
  return 0;
}

std::uint32_t FakePlatform::OpenForReading(const std::string& path,
                                           Handle* handle) {
  if (std::uint32_t code = Count(Call::kOpenForReading)) return code;
  if (files.count(path) == 0) return kErrorFileNotFound;
  *handle = next_handle_++;
  open_files_[*handle] = {path, 0};
  ++open_handles;
  return 0;
}

void FakePlatform::CloseHandle(Handle handle) {
  if (open_files_.erase(handle) != 0) --open_handles;
}

bool FakePlatform::IsLead(char byte) const {
  return lead_bytes.find(byte) != std::string::npos;
}

bool FakePlatform::DecodeChar(const char* bytes, int count,
                              std::uint16_t* code) {
  std::string sequence(bytes, static_cast<std::size_t>(count));
  if (auto character = characters.find(sequence); character != characters.end()) {
    *code = character->second;
    return true;
  }
  for (const auto& [other, unused] : characters)
    if (other[0] == bytes[0]) return false;
  if (invalid_bytes.find(bytes[0]) != std::string::npos) return false;
  int needed = IsLead(bytes[0]) ? 2 : 1;
  if (count != needed) return false;
  *code = static_cast<unsigned char>(bytes[0]);
  if (needed == 2)
    *code = static_cast<std::uint16_t>(*code << 8 |
                                       static_cast<unsigned char>(bytes[1]));
  return true;
}

bool FakePlatform::BytesAreCharacters() {
  return lead_bytes.empty() && invalid_bytes.empty() && characters.empty();
}

const char* FakePlatform::CharNext(const char* text) {
  if (*text == '\0') return text;
  if (IsLead(*text) && text[1] != '\0') return text + 2;
  return text + 1;
}

std::string FakePlatform::ToUtf8(std::string_view text) {
  if (!latin1_code_page) return Utf8FromBytes(text);
  std::string utf8;
  for (char c : text) AppendLatin1AsUtf8(static_cast<unsigned char>(c), &utf8);
  return utf8;
}

void FakePlatform::ExitProcess(int) { std::abort(); }

std::string FakePlatform::ArgumentText(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= arguments.size())
    return "";
  return arguments[static_cast<std::size_t>(index)];
}

void FakePlatform::ListFolder(const std::string& prefix,
                              const FolderVisitor& visit) {
  auto folder = folders.find(prefix);
  if (folder == folders.end()) return;
  for (const FolderEntry& entry : folder->second) visit(entry);
}

std::string FakePlatform::FindFile(const std::string& path) {
  return files.count(path) != 0 ? path : "";
}

namespace {
// The standard streams are closed on either side of the scope: a closed
// stream starts afresh on its next use.
void CloseStandardStreams() {
  CloseStream(StdIn());
  CloseStream(StdOut());
  SetIoStatus(0);
}
}  // namespace

ScopedFakeConsole::ScopedFakeConsole() {
  CloseStandardStreams();
  previous_ = SetPlatform(&os);
}

ScopedFakeConsole::~ScopedFakeConsole() {
  CloseStandardStreams();
  SetPlatform(previous_);
}

}  // namespace console
