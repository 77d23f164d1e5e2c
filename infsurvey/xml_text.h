// Preparing variable texts for the catalogue, which is XML 1.0 in UTF-8.
//
// Every text is first brought into UTF-8 (from the system's code page) and
// cleared of the characters XML 1.0 cannot carry; then it is escaped for
// its place. For ASCII without special characters nothing changes.
#pragma once

#include <string>
#include <string_view>

#include "console/text_stream.h"

namespace infsurvey {

// UTF-8 of a text in the system's code page, with every character XML 1.0
// forbids (controls but tab, LF and CR; U+FFFE, U+FFFF) as U+FFFD.
std::string XmlCharacters(std::string_view text);

// Element text: the double quote, "&", "<" and ">" as entities, and CR as
// a character reference; the apostrophe stays.
std::string XmlEscapeText(std::string_view text);

// An attribute value enclosed in apostrophes: every "%" and double quote
// removed, then "&", "<", the apostrophe, tab, LF and CR as references.
std::string XmlQuoteAttr(std::string_view text);

// The same two written straight into a stream, with no text in between.
void WriteXmlText(console::TextStream& out, std::string_view text);
void WriteXmlAttr(console::TextStream& out, std::string_view text);

// A value already in UTF-8 to stand between double quotes: "&", "<" and
// the double quote as entities. Bytes that are not UTF-8 and characters
// XML forbids are replaced as above, so the value is always well-formed.
std::string XmlDoubleQuotedValue(std::string_view utf8);

}  // namespace infsurvey
