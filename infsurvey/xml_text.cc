#include "infsurvey/xml_text.h"

#include <cstring>

#include "console/platform.h"
#include "console/utf8.h"

namespace infsurvey {
namespace {

constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD";

// Writes each byte of `text` or its replacement from `replace`, which
// gives nullptr for a byte that stays. The result is sized once for the
// longest replacement and cut once.
template <typename Replace>
std::string Escape(std::string_view text, std::size_t longest, Replace replace) {
  std::string result(text.size() * longest, '\0');
  std::size_t length = 0;
  for (char c : text) {
    if (const char* entity = replace(c)) {
      std::size_t size = std::strlen(entity);
      std::memcpy(&result[length], entity, size);
      length += size;
    } else {
      result[length++] = c;
    }
  }
  result.resize(length);
  return result;
}

bool IsPrintableAscii(std::string_view text) {
  bool printable_ascii = true;
  for (char c : text)
    printable_ascii &= static_cast<unsigned char>(c) >= 32 &&
                       static_cast<unsigned char>(c) <= 127;
  return printable_ascii;
}

// UTF-8 with every character XML 1.0 forbids replaced.
std::string XmlAllowedCharacters(std::string_view utf8) {
  std::string result;
  result.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 32 && c != '\t' && c != '\n' && c != '\r') {
      result += kReplacementCharacter;
    } else if (c == 0xEF && i + 2 < utf8.size() && utf8[i + 1] == '\xBF' &&
               (utf8[i + 2] == '\xBE' || utf8[i + 2] == '\xBF')) {
      result += kReplacementCharacter;  // U+FFFE and U+FFFF
      i += 2;
    } else {
      result.push_back(static_cast<char>(c));
    }
  }
  return result;
}

}  // namespace

std::string XmlCharacters(std::string_view text) {
  // Printable ASCII is the same in every code page, in UTF-8 and in XML,
  // and it is nearly all the text an INF holds.
  if (IsPrintableAscii(text)) return std::string(text);
  return XmlAllowedCharacters(console::Os().ToUtf8(text));
}

std::string XmlEscapeText(std::string_view text) {
  return Escape(XmlCharacters(text), 6, [](char c) -> const char* {
    switch (c) {
      case '"': return "&quot;";
      case '&': return "&amp;";
      case '<': return "&lt;";
      case '>': return "&gt;";
      case '\r': return "&#13;";
    }
    return nullptr;
  });
}

std::string XmlQuoteAttr(std::string_view text) {
  std::string cleaned = XmlCharacters(text);
  std::erase(cleaned, '%');
  std::erase(cleaned, '"');
  std::string quoted = "'";
  quoted += Escape(cleaned, 6, [](char c) -> const char* {
    switch (c) {
      case '&': return "&amp;";
      case '<': return "&lt;";
      case '\'': return "&apos;";
      case '\t': return "&#9;";
      case '\n': return "&#10;";
      case '\r': return "&#13;";
    }
    return nullptr;
  });
  quoted += '\'';
  return quoted;
}

std::string XmlDoubleQuotedValue(std::string_view utf8) {
  std::string characters =
      IsPrintableAscii(utf8)
          ? std::string(utf8)
          : XmlAllowedCharacters(console::Utf8FromBytes(utf8));
  return Escape(characters, 6, [](char c) -> const char* {
    switch (c) {
      case '&': return "&amp;";
      case '<': return "&lt;";
      case '"': return "&quot;";
    }
    return nullptr;
  });
}

}  // namespace infsurvey
