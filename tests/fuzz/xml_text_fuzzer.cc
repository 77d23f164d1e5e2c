// Any bytes through the three XML text writers: each result is valid UTF-8
// of XML characters only, and an XML reader gets the input back, in UTF-8
// with every character XML forbids as U+FFFD.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "infsurvey/xml_text.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/xml_reader.h"

namespace {

using fuzz::Fail;
using fuzz::Require;

constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";

// Well-formed UTF-8 passes, every other byte is the Latin-1 character of
// its code; then forbidden characters become U+FFFD.
std::u32string ExpectedCharacters(std::string_view bytes) {
  std::u32string text;
  while (!bytes.empty()) {
    char32_t code;
    std::size_t length = fuzz::DecodeUtf8Prefix(bytes, &code);
    if (length == 0) {
      code = static_cast<unsigned char>(bytes[0]);
      length = 1;
    }
    text.push_back(fuzz::IsXmlChar(code) ? code : U'\uFFFD');
    bytes.remove_prefix(length);
  }
  return text;
}

// What a reader makes of raw characters in an attribute value: CR LF and
// each lone CR, LF or tab become one blank.
std::u32string AsRawAttribute(const std::u32string& text) {
  std::u32string value;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    value.push_back(c == '\r' || c == '\n' || c == '\t' ? U' ' : c);
  }
  return value;
}

fuzz::XmlElement Read(const std::string& document, const char* function) {
  fuzz::XmlElement root;
  std::string error;
  if (!fuzz::ReadXmlDocument(document, &root, &error))
    Fail(std::string(function) + ": " + error + " in " + fuzz::Escaped(document));
  return root;
}

std::u32string AttributeOf(const fuzz::XmlElement& root) {
  return root.attributes.size() == 1 ? root.attributes[0].second : U"<none>";
}

// What `write` puts on standard output for `input`.
template <typename Write>
std::string Written(fuzz::FreshConsole& fresh, Write write, std::string_view input) {
  fresh.os.fs.writes.clear();
  write(console::StdOut(), input);
  console::FlushStream(console::StdOut());
  return fresh.os.fs.Written(console::FakeFileSystem::kStdOutHandle);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FreshConsole fresh;  // the texts are converted through the platform
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::u32string expected = ExpectedCharacters(input);

  std::string escaped = Written(fresh, infsurvey::XmlEscapeText, input);
  std::u32string characters;
  Require(fuzz::DecodeUtf8(escaped, &characters),
          "XmlEscapeText gives UTF-8");
  fuzz::XmlElement text = Read(std::string(kDeclaration) + "<r>" + escaped + "</r>",
                               "XmlEscapeText");
  Require(text.children.empty() && text.text == expected,
          "XmlEscapeText reads back as the input, with U+FFFD for forbidden ones");

  std::string quoted = Written(fresh, infsurvey::XmlQuoteAttr, input);
  Require(quoted.size() >= 2 && quoted.front() == '\'' && quoted.back() == '\'',
          "XmlQuoteAttr encloses the value in apostrophes");
  std::u32string attribute = expected;
  std::erase(attribute, U'%');
  std::erase(attribute, U'"');
  Require(AttributeOf(Read(std::string(kDeclaration) + "<r a=" + quoted + "/>",
                           "XmlQuoteAttr")) == attribute,
          "XmlQuoteAttr reads back as the input without '%' and '\"'");

  // Only "&", "<" and the double quote are escaped here: raw line ends and
  // tabs reach the reader as blanks.
  std::string double_quoted = Written(fresh, infsurvey::XmlQuoteUtf8Attr, input);
  Require(double_quoted.size() >= 2 && double_quoted.front() == '"' &&
              double_quoted.back() == '"',
          "XmlQuoteUtf8Attr encloses the value in double quotes");
  Require(AttributeOf(Read(std::string(kDeclaration) + "<r a=" + double_quoted + "/>",
                           "XmlQuoteUtf8Attr")) == AsRawAttribute(expected),
          "XmlQuoteUtf8Attr reads back as the input");
  return 0;
}
