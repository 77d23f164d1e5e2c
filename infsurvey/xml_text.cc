#include "infsurvey/xml_text.h"

#include <array>

#include "console/ascii_text.h"
#include "console/platform.h"
#include "console/utf8.h"

namespace infsurvey {
namespace {

constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD";

// What each byte becomes in one place of the catalogue: nullptr for a
// byte that stays, else its replacement ("" drops it).
using Replacements = std::array<const char*, 256>;

constexpr Replacements kTextReplacements = [] {
  Replacements r{};
  r['"'] = "&quot;", r['&'] = "&amp;", r['<'] = "&lt;", r['>'] = "&gt;";
  r['\r'] = "&#13;";
  return r;
}();

constexpr Replacements kAttributeReplacements = [] {
  Replacements r{};
  r['%'] = r['"'] = "";
  r['&'] = "&amp;", r['<'] = "&lt;", r['\''] = "&apos;";
  r['\t'] = "&#9;", r['\n'] = "&#10;", r['\r'] = "&#13;";
  return r;
}();

constexpr Replacements kDoubleQuotedReplacements = [] {
  Replacements r{};
  r['&'] = "&amp;", r['<'] = "&lt;", r['"'] = "&quot;";
  return r;
}();

// Writes `text` with each byte replaced as `replacements` say: the runs of
// bytes that stay go over whole.
void Replace(console::TextStream& out, std::string_view text,
             const Replacements& replacements) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char* replacement = replacements[static_cast<unsigned char>(text[i])];
    if (replacement == nullptr) continue;
    if (i > run) console::WriteText(out, text.substr(run, i - run));
    if (*replacement != '\0') console::WriteText(out, replacement);
    run = i + 1;
  }
  if (text.size() > run) console::WriteText(out, text.substr(run));
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

// Replace on the text as XML carries it. Printable ASCII is the same in
// every code page, in UTF-8 and in XML, and it is nearly all the text an
// INF holds: it goes out as it stands. From the first byte that is not,
// which starts a character of its own in every code page, the rest of the
// text is converted first.
void WriteReplaced(console::TextStream& out, std::string_view text,
                   const Replacements& replacements) {
  std::size_t ascii = console::PrintableAsciiPrefix(text);
  Replace(out, text.substr(0, ascii), replacements);
  if (ascii < text.size()) {
    std::string utf8 = console::Os().code_page.ToUtf8(text.substr(ascii));
    Replace(out, XmlAllowedCharacters(utf8), replacements);
  }
}

}  // namespace

void XmlEscapeText(console::TextStream& out, std::string_view text) {
  WriteReplaced(out, text, kTextReplacements);
}

void XmlQuoteAttr(console::TextStream& out, std::string_view text) {
  console::WriteText(out, "'");
  WriteReplaced(out, text, kAttributeReplacements);
  console::WriteText(out, "'");
}

void XmlQuoteUtf8Attr(console::TextStream& out, std::string_view utf8) {
  console::WriteText(out, "\"");
  // Already UTF-8: only checked, never converted from the code page.
  if (console::PrintableAsciiPrefix(utf8) == utf8.size()) {
    Replace(out, utf8, kDoubleQuotedReplacements);
  } else {
    Replace(out, XmlAllowedCharacters(console::Utf8FromBytes(utf8)),
            kDoubleQuotedReplacements);
  }
  console::WriteText(out, "\"");
}

}  // namespace infsurvey
