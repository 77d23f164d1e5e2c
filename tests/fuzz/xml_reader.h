// A strict reader for the XML this system writes, to check its output:
// well-formed UTF-8 of XML 1.0 characters, an optional XML declaration,
// elements with quoted attributes, the five predefined entities, character
// references and text. Comments, processing instructions, CDATA and
// document types are outside the subset and read as errors.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fuzz {

// Length of the well-formed UTF-8 sequence at the start of `bytes`, with
// its code point in *code; 0 when there is none.
std::size_t DecodeUtf8Prefix(std::string_view bytes, char32_t* code);
// The code points of `bytes`; false when any sequence is ill-formed.
bool DecodeUtf8(std::string_view bytes, std::u32string* text);
// The Char production of XML 1.0.
bool IsXmlChar(char32_t c);

struct XmlElement {
  std::u32string name;
  // Values as a reader hands them over: references replaced, line ends
  // and white space normalised.
  std::vector<std::pair<std::u32string, std::u32string>> attributes;
  std::u32string text;  // the character data directly inside, joined
  std::vector<XmlElement> children;
};

// The root element of `document`; false with the reason in *error when
// the document is not well-formed.
bool ReadXmlDocument(std::string_view document, XmlElement* root,
                     std::string* error);

// How many elements named `name` the tree holds, the root included.
std::size_t CountElements(const XmlElement& element, std::u32string_view name);

}  // namespace fuzz
