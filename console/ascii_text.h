// Byte-string helpers with ASCII rules, the same in every tool and locale,
// and the step over one character of a code page.
#pragma once

#include <string>
#include <string_view>

namespace console {

// Steps over one character of the 8-bit code page (CharNextA on Windows,
// where a double-byte character is taken whole); never past the NUL.
using CharStep = const char* (*)(const char* text);
inline const char* SingleByteStep(const char* text) {
  return *text == '\0' ? text : text + 1;
}

// Without leading and trailing bytes of code 32 or less (blank and every
// control character); bytes of 128 and above always stay.
inline std::string_view Trim(std::string_view text) {
  std::size_t first = 0, last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= 32) ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32)
    --last;
  return text.substr(first, last - first);
}

inline char ToLowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Only A-Z and a-z change.
inline std::string ToLowerAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = ToLowerAscii(c);
  return result;
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

// Position of the first occurrence of `what` in `text`, comparing bytes;
// npos when either is empty or there is none.
inline std::size_t FindText(std::string_view text, std::string_view what) {
  if (text.empty() || what.empty()) return std::string_view::npos;
  return text.find(what);
}

}  // namespace console
