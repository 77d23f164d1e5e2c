// Writing variable texts into the catalogue, which is XML 1.0 in UTF-8.
//
// Every text is first brought into UTF-8 and cleared of the characters
// XML 1.0 cannot carry (controls but tab, LF and CR; U+FFFE, U+FFFF),
// which become U+FFFD; then it is escaped for its place and written
// straight into the stream. For ASCII without special characters nothing
// changes.
#pragma once

#include <string_view>

#include "console/text_stream.h"

namespace infsurvey {

// Element text in the system's code page: the double quote, "&", "<" and
// ">" as entities, and CR as a character reference; the apostrophe stays.
void XmlEscapeText(console::TextStream& out, std::string_view text);

// An attribute value in the system's code page, enclosed in apostrophes:
// every "%" and double quote removed, then "&", "<", the apostrophe, tab,
// LF and CR as references.
void XmlQuoteAttr(console::TextStream& out, std::string_view text);

// An attribute value already in UTF-8, enclosed in double quotes: "&", "<"
// and the double quote as entities. Bytes that are not UTF-8 are taken as
// Latin-1 characters, so the value is always well-formed.
void XmlQuoteUtf8Attr(console::TextStream& out, std::string_view utf8);

}  // namespace infsurvey
