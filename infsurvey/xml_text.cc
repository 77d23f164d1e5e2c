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

// Hands `text` to `sink` with each byte replaced as `replacements` say:
// the runs of bytes that stay go over whole.
template <typename Sink>
void Replace(std::string_view text, const Replacements& replacements,
             Sink sink) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char* replacement = replacements[static_cast<unsigned char>(text[i])];
    if (replacement == nullptr) continue;
    if (i > run) sink(text.substr(run, i - run));
    if (*replacement != '\0') sink(std::string_view(replacement));
    run = i + 1;
  }
  if (text.size() > run) sink(text.substr(run));
}

// How many bytes of `text` come before the first outside 32 to 127.
std::size_t PrintableAsciiPrefix(std::string_view text) {
  std::size_t ascii = 0;
  while (ascii + 8 <= text.size()) {
    std::size_t printable = console::PrintablePrefix(text.data() + ascii);
    ascii += printable;
    if (printable < 8) return ascii;
  }
  while (ascii < text.size() &&
         static_cast<unsigned char>(text[ascii] - 32) <= 127 - 32)
    ++ascii;
  return ascii;
}

bool IsPrintableAscii(std::string_view text) {
  return PrintableAsciiPrefix(text) == text.size();
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
template <typename Sink>
void ReplaceCharacters(std::string_view text, const Replacements& replacements,
                       Sink sink) {
  std::size_t ascii = PrintableAsciiPrefix(text);
  Replace(text.substr(0, ascii), replacements, sink);
  if (ascii < text.size()) {
    Replace(XmlAllowedCharacters(console::Os().ToUtf8(text.substr(ascii))),
            replacements, sink);
  }
}

// The longest replacement is six bytes, so a result sized once for six
// times its input never grows. `text` is in the system's code page.
std::string Replaced(std::string_view text, const Replacements& replacements,
                     std::string_view quote = {}) {
  std::string result;
  result.reserve(text.size() * 6 + 2 * quote.size());
  result += quote;
  ReplaceCharacters(text, replacements,
                    [&](std::string_view piece) { result += piece; });
  result += quote;
  return result;
}

void WriteReplaced(console::TextStream& out, std::string_view text,
                   const Replacements& replacements) {
  ReplaceCharacters(text, replacements, [&](std::string_view piece) {
    console::WriteText(out, piece);
  });
}

}  // namespace

std::string XmlCharacters(std::string_view text) {
  if (IsPrintableAscii(text)) return std::string(text);
  return XmlAllowedCharacters(console::Os().ToUtf8(text));
}

std::string XmlEscapeText(std::string_view text) {
  return Replaced(text, kTextReplacements);
}

std::string XmlQuoteAttr(std::string_view text) {
  return Replaced(text, kAttributeReplacements, "'");
}

void WriteXmlText(console::TextStream& out, std::string_view text) {
  WriteReplaced(out, text, kTextReplacements);
}

void WriteXmlAttr(console::TextStream& out, std::string_view text) {
  console::WriteText(out, "'");
  WriteReplaced(out, text, kAttributeReplacements);
  console::WriteText(out, "'");
}

std::string XmlDoubleQuotedValue(std::string_view utf8) {
  // Already UTF-8: only checked, never converted from the code page.
  std::string characters =
      IsPrintableAscii(utf8)
          ? std::string(utf8)
          : XmlAllowedCharacters(console::Utf8FromBytes(utf8));
  std::string result;
  result.reserve(characters.size() * 6);
  Replace(characters, kDoubleQuotedReplacements,
          [&](std::string_view piece) { result += piece; });
  return result;
}

}  // namespace infsurvey
