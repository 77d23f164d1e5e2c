// Byte-string helpers with ASCII rules, the same in every tool and locale.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace console {

// Without leading and trailing bytes of code 32 or less (blank and every
// control character); bytes of 128 and above always stay.
inline std::string_view Trim(std::string_view text) {
  std::size_t first = 0, last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= 32) ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32)
    --last;
  return text.substr(first, last - first);
}

// Only A-Z and a-z change.
inline char ToLowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

inline char ToUpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
}

// Equal bytes, with a-z and A-Z taken as the same letters.
inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (ToUpperAscii(a[i]) != ToUpperAscii(b[i])) return false;
  return true;
}

namespace word_scan {
constexpr std::uint64_t kEach = 0x0101010101010101;
constexpr std::uint64_t kHighBits = kEach * 0x80;

// How many bytes of `text` come before the first one `flags` marks in its
// word (a high bit per marked byte) and `keeps` refuses alone. Eight bytes
// go at a time: nearly every text these tools meet is long runs of kept
// bytes. A borrow inside `flags` only ever reaches the bytes after the
// first marked one, which do not count.
template <typename Flags, typename Keeps>
std::size_t Prefix(std::string_view text, Flags flags, Keeps keeps) {
  std::size_t count = 0;
  if constexpr (std::endian::native == std::endian::little) {
    while (count + 8 <= text.size()) {
      std::uint64_t eight;
      std::memcpy(&eight, text.data() + count, 8);
      std::uint64_t marked = flags(eight) & kHighBits;
      if (marked != 0)
        return count + static_cast<std::size_t>(std::countr_zero(marked)) / 8;
      count += 8;
    }
  }
  while (count < text.size() && keeps(static_cast<unsigned char>(text[count])))
    ++count;
  return count;
}
}  // namespace word_scan

// How many bytes of `text` come before the first outside 32 to 127.
inline std::size_t PrintableAsciiPrefix(std::string_view text) {
  using word_scan::kEach;
  return word_scan::Prefix(
      text, [](std::uint64_t e) { return e | (e - kEach * 32); },
      [](unsigned char c) { return c >= 32 && c <= 127; });
}

// How many bytes of `text` come before the first below 32.
inline std::size_t ControlFreePrefix(std::string_view text) {
  using word_scan::kEach;
  return word_scan::Prefix(
      text, [](std::uint64_t e) { return (e - kEach * 32) & ~e; },
      [](unsigned char c) { return c >= 32; });
}

// Position of the first occurrence of `what` in `text`, comparing bytes;
// npos when either is empty or there is none.
inline std::size_t FindText(std::string_view text, std::string_view what) {
  if (text.empty() || what.empty()) return std::string_view::npos;
  return text.find(what);
}

}  // namespace console
