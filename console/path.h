// Paths as the system writes them: its separators and a path's last
// component.
#pragma once

#include <string>
#include <string_view>

#include "console/platform.h"

namespace console {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
constexpr std::string_view kPathSeparators = "\\:";  // C:x names x in C:
#else
constexpr char kPathSeparator = '/';
constexpr std::string_view kPathSeparators = "/";
#endif

// The text after the last separator of `path`, or all of it without one.
// Walks the characters of `code_page`, so that the second byte of a
// double-byte character is never taken for a separator. A platform passes
// its own code page: under a test, the one in use is the fake's.
inline std::string BaseName(const std::string& path, CodePage& code_page) {
  const char* text = path.c_str();
  const char* base = text;
  for (const char* p = text; *p != '\0'; p = code_page.CharNext(p))
    if (kPathSeparators.find(*p) != std::string_view::npos) base = p + 1;
  return path.substr(static_cast<std::size_t>(base - text));
}

inline std::string BaseName(const std::string& path) {
  return BaseName(path, Os().code_page);
}

}  // namespace console
