// Byte-string helpers with ASCII rules, the same in every tool and locale.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Codes 32 to 127.
inline bool IsPrintableAscii(char c) {
  return static_cast<unsigned char>(c - 32) <= 127 - 32;
}

// Eight bytes at a time: of the eight bytes at `bytes`, how many come
// before the first outside 32 to 127 (PrintableInWord) or below 32
// (ControlFreeInWord); 8 when there is none. Taking 32 from every byte
// sets the high bit of each byte below 32; a borrow only ever reaches the
// bytes after the first such one, which do not count. Nearly every text
// these tools meet is long runs of such bytes.
namespace word_scan {
constexpr std::uint64_t kEach = 0x0101010101010101;
constexpr std::uint64_t kHighBits = kEach * 0x80;
inline std::size_t Before(std::uint64_t flagged) {
  return flagged == 0 ? 8 : static_cast<std::size_t>(std::countr_zero(flagged)) / 8;
}
inline std::uint64_t Load(const char* bytes) {
  std::uint64_t eight;
  std::memcpy(&eight, bytes, 8);
  return eight;
}
}  // namespace word_scan

// Both give 0 on a machine of the other byte order: callers then go byte
// by byte.
inline std::size_t PrintableInWord(const char* bytes) {
  using namespace word_scan;
  if constexpr (std::endian::native != std::endian::little) return 0;
  std::uint64_t eight = Load(bytes);
  return Before((eight | (eight - kEach * 32)) & kHighBits);
}

inline std::size_t ControlFreeInWord(const char* bytes) {
  using namespace word_scan;
  if constexpr (std::endian::native != std::endian::little) return 0;
  std::uint64_t eight = Load(bytes);
  return Before((eight - kEach * 32) & ~eight & kHighBits);
}

// Of the sixteen bytes at `bytes`, how many come before the first below
// 32; 16 when there is none. One vector compare where the processor has
// SSE2 (every x86-64), two word scans where it may not.
inline std::size_t ControlFreeIn16(const char* bytes) {
#if defined(__SSE2__)
  __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  // A byte is below 32 exactly when the unsigned minimum with 31 is itself.
  __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(sixteen, _mm_set1_epi8(31)), sixteen);
  unsigned flagged = static_cast<unsigned>(_mm_movemask_epi8(low));
  return flagged == 0 ? 16 : static_cast<std::size_t>(std::countr_zero(flagged));
#else
  std::size_t free = ControlFreeInWord(bytes);
  return free < 8 ? free : 8 + ControlFreeInWord(bytes + 8);
#endif
}

// How many bytes of `text` come before the first outside 32 to 127.
inline std::size_t PrintableAsciiPrefix(std::string_view text) {
  std::size_t count = 0;
  if constexpr (std::endian::native == std::endian::little) {
    while (count + 8 <= text.size()) {
      std::size_t printable = PrintableInWord(text.data() + count);
      count += printable;
      if (printable < 8) return count;
    }
  }
  while (count < text.size() && IsPrintableAscii(text[count])) ++count;
  return count;
}

// Copies `size` bytes, for the short texts of a line or a statement: word
// copies that may overlap, inline, so the few size branches are the call
// site's own. The library's memcpy dispatches on the size for all its
// callers at once.
inline void CopyShort(char* to, const char* from, std::size_t size) {
  if (size >= 8) {
    for (std::size_t done = 0; done + 8 < size; done += 8)
      std::memcpy(to + done, from + done, 8);
    std::memcpy(to + size - 8, from + size - 8, 8);
  } else if (size >= 4) {
    std::memcpy(to, from, 4);
    std::memcpy(to + size - 4, from + size - 4, 4);
  } else if (size > 0) {
    to[0] = from[0];
    to[size / 2] = from[size / 2];
    to[size - 1] = from[size - 1];
  }
}

// Position of the first occurrence of `what` in `text`, comparing bytes;
// npos when either is empty or there is none.
inline std::size_t FindText(std::string_view text, std::string_view what) {
  if (text.empty() || what.empty()) return std::string_view::npos;
  return text.find(what);
}

}  // namespace console
