#include "tests/fake_platform.h"

#include <algorithm>
#include <cstdlib>

#include "console/ascii_text.h"
#include "console/io_status.h"
#include "console/path.h"
#include "console/text_stream.h"
#include "console/utf8.h"

namespace console {

void FakeFileSystem::AddFile(const std::string& path, std::string bytes) {
  Add(path, std::move(bytes), false);
}

void FakeFileSystem::AddFolder(const std::string& path) { Add(path, "", true); }

void FakeFileSystem::Add(const std::string& path, std::string bytes,
                         bool folder) {
  for (std::size_t cut = path.find_first_of(kPathSeparators);
       cut != std::string::npos && cut + 1 < path.size();
       cut = path.find_first_of(kPathSeparators, cut + 1)) {
    if (cut == 0) continue;  // the root
    std::string parent = path.substr(0, cut);
    if (entries.count(parent) == 0)
      entries[parent] = {"", true, static_cast<int>(entries.size())};
  }
  entries[path] = {std::move(bytes), folder, static_cast<int>(entries.size())};
}

std::string FakeFileSystem::Written(Handle handle) const {
  std::string bytes;
  for (const Write& write : writes)
    if (write.handle == handle) bytes += write.bytes;
  return bytes;
}

std::vector<std::size_t> FakeFileSystem::WriteSizes(Handle handle) const {
  std::vector<std::size_t> sizes;
  for (const Write& write : writes)
    if (write.handle == handle) sizes.push_back(write.bytes.size());
  return sizes;
}

std::uint32_t FakeFileSystem::GetStdHandle(StdHandle which, Handle* handle) {
  *handle = which == StdHandle::kInput    ? kStdInHandle
            : which == StdHandle::kOutput ? kStdOutHandle
                                          : kStdErrHandle;
  return 0;
}

FileType FakeFileSystem::GetFileType(Handle handle) {
  return handle == kStdOutHandle ? stdout_type : FileType::kChar;
}

std::uint32_t FakeFileSystem::ReadFile(Handle handle, char* buffer,
                                       std::uint32_t size,
                                       std::uint32_t* count) {
  *count = 0;
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
    source = &entries[file->second.path].bytes;
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

std::uint32_t FakeFileSystem::WriteFile(Handle handle, const char* data,
                                        std::uint32_t size) {
  writes.push_back({handle, std::string(data, size)});
  return 0;
}

std::uint32_t FakeFileSystem::OpenForReading(const std::string& path,
                                             Handle* handle) {
  auto entry = entries.find(path);
  if (entry == entries.end()) {
    std::size_t cut = path.find_last_of(kPathSeparators);
    bool folder_there = cut == std::string::npos || cut == 0 ||
                        (entries.count(path.substr(0, cut)) != 0 &&
                         entries[path.substr(0, cut)].folder);
    return folder_there ? kErrorFileNotFound : kErrorPathNotFound;
  }
  if (entry->second.folder) return kErrorAccessDenied;
  *handle = next_handle_++;
  open_files_[*handle] = {path, 0};
  ++open_handles;
  return 0;
}

void FakeFileSystem::CloseHandle(Handle handle) {
  if (open_files_.erase(handle) != 0) --open_handles;
}

void FakeFileSystem::ListFolder(const std::string& prefix,
                                const FolderVisitor& visit) {
  std::size_t cut = prefix.find_last_of(kPathSeparators);
  std::string folder = cut == std::string::npos ? "" : prefix.substr(0, cut + 1);
  std::string_view start = std::string_view(prefix).substr(folder.size());
  if (folder.size() > 1) {
    auto own = entries.find(folder.substr(0, folder.size() - 1));
    if (own == entries.end() || !own->second.folder) return;
  }
  std::vector<std::pair<int, FolderEntry>> listed;
  for (const char* dots : {".", ".."}) listed.push_back({-1, {dots, true}});
  for (const auto& [path, entry] : entries) {
    std::string_view name = std::string_view(path);
    if (name.substr(0, folder.size()) != folder) continue;
    name.remove_prefix(folder.size());
    if (name.empty() || name.find_first_of(kPathSeparators) != name.npos)
      continue;
    listed.push_back({entry.order, {std::string(name), entry.folder}});
  }
  std::stable_sort(listed.begin(), listed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [order, entry] : listed)
    if (std::string_view(entry.name).substr(0, start.size()) == start)
      visit(entry);
}

std::string FakeFileSystem::FindFile(const std::string& path) {
  std::string found;
  for (const auto& [name, entry] : entries) {
    if (entry.folder || !EqualsIgnoringCase(name, path)) continue;
    if (name == path) return path;
    if (found.empty()) found = name;  // the map gives the smallest first
  }
  return found;
}

void FailingFileSystem::FailCall(Call call, int nth, std::uint32_t code) {
  failures_[{static_cast<int>(call), nth}] = code;
}

std::uint32_t FailingFileSystem::Count(Call call) {
  int nth = ++calls_[static_cast<int>(call)];
  auto failure = failures_.find({static_cast<int>(call), nth});
  if (failure == failures_.end()) return 0;
  // A failing call with no code of its own still fails.
  return failure->second != 0 ? failure->second : kErrorIoDevice;
}

std::uint32_t FailingFileSystem::GetStdHandle(StdHandle which, Handle* handle) {
  if (std::uint32_t code = Count(Call::kGetStdHandle)) return code;
  return inner_.GetStdHandle(which, handle);
}

FileType FailingFileSystem::GetFileType(Handle handle) {
  if (Count(Call::kGetFileType) != 0) return FileType::kUnknown;
  return inner_.GetFileType(handle);
}

std::uint32_t FailingFileSystem::ReadFile(Handle handle, char* buffer,
                                          std::uint32_t size,
                                          std::uint32_t* count) {
  *count = 0;
  if (std::uint32_t code = Count(Call::kReadFile)) return code;
  return inner_.ReadFile(handle, buffer, size, count);
}

std::uint32_t FailingFileSystem::WriteFile(Handle handle, const char* data,
                                           std::uint32_t size) {
  if (std::uint32_t code = Count(Call::kWriteFile)) return code;
  return inner_.WriteFile(handle, data, size);
}

std::uint32_t FailingFileSystem::OpenForReading(const std::string& path,
                                                Handle* handle) {
  if (std::uint32_t code = Count(Call::kOpenForReading)) return code;
  return inner_.OpenForReading(path, handle);
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
  previous_ = SetPlatform(&os.platform);
}

ScopedFakeConsole::~ScopedFakeConsole() {
  CloseStandardStreams();
  SetPlatform(previous_);
}

}  // namespace console
