// UTF-8 for texts of unknown encoding, on systems without an 8-bit code
// page of their own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace console {

// Length of the well-formed UTF-8 sequence at the start of `text` (no
// overlong forms, no surrogates, nothing above U+10FFFF), or 0.
std::size_t Utf8SequenceLength(std::string_view text);

// Appends the UTF-8 form of the Latin-1 character of code `byte`.
inline void AppendLatin1AsUtf8(unsigned char byte, std::string* utf8) {
  if (byte < 0x80) {
    utf8->push_back(static_cast<char>(byte));
    return;
  }
  utf8->push_back(static_cast<char>(0xC0 | (byte >> 6)));
  utf8->push_back(static_cast<char>(0x80 | (byte & 0x3F)));
}

// Valid UTF-8 sequences pass unchanged; every other byte is taken as the
// Latin-1 character of its code.
std::string Utf8FromBytes(std::string_view text);

}  // namespace console
