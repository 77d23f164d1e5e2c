#include "tests/fuzz/xml_reader.h"

#include <cstdio>

namespace fuzz {
namespace {

constexpr std::u32string_view kDeclaration =
    U"<?xml version=\"1.0\" encoding=\"utf-8\"?>";
constexpr int kMaxDepth = 64;

bool IsSpace(char32_t c) {
  return c == 0x20 || c == 0x9 || c == 0xA || c == 0xD;
}

bool InRange(char32_t c, char32_t low, char32_t high) {
  return c >= low && c <= high;
}

bool IsNameStartChar(char32_t c) {
  return c == ':' || c == '_' || InRange(c, 'A', 'Z') || InRange(c, 'a', 'z') ||
         InRange(c, 0xC0, 0xD6) || InRange(c, 0xD8, 0xF6) ||
         InRange(c, 0xF8, 0x2FF) || InRange(c, 0x370, 0x37D) ||
         InRange(c, 0x37F, 0x1FFF) || InRange(c, 0x200C, 0x200D) ||
         InRange(c, 0x2070, 0x218F) || InRange(c, 0x2C00, 0x2FEF) ||
         InRange(c, 0x3001, 0xD7FF) || InRange(c, 0xF900, 0xFDCF) ||
         InRange(c, 0xFDF0, 0xFFFD) || InRange(c, 0x10000, 0xEFFFF);
}

bool IsNameChar(char32_t c) {
  return IsNameStartChar(c) || c == '-' || c == '.' || InRange(c, '0', '9') ||
         c == 0xB7 || InRange(c, 0x300, 0x36F) || InRange(c, 0x203F, 0x2040);
}

class Reader {
 public:
  explicit Reader(std::u32string text) : text_(std::move(text)) {}

  bool Document(XmlElement* root) {
    if (At(U"<?xml")) {
      if (!At(kDeclaration)) return Error("unexpected XML declaration");
      position_ += kDeclaration.size();
    }
    SkipSpace();
    if (!Element(root, 0)) return false;
    SkipSpace();
    if (position_ != text_.size()) return Error("content after the root element");
    return true;
  }

  const std::string& error() const { return error_; }

 private:
  bool Error(const std::string& what) {
    error_ = what + " at character " + std::to_string(position_);
    return false;
  }
  bool At(std::u32string_view what) const {
    return std::u32string_view(text_).substr(position_).starts_with(what);
  }
  bool Take(std::u32string_view what) {
    if (!At(what)) return false;
    position_ += what.size();
    return true;
  }
  bool SkipSpace() {
    std::size_t start = position_;
    while (position_ < text_.size() && IsSpace(text_[position_])) ++position_;
    return position_ != start;
  }

  bool Name(std::u32string* name) {
    if (position_ == text_.size() || !IsNameStartChar(text_[position_]))
      return Error("expected a name");
    while (position_ < text_.size() && IsNameChar(text_[position_]))
      name->push_back(text_[position_++]);
    return true;
  }

  // At "&": appends the character the reference stands for.
  bool Reference(std::u32string* out) {
    ++position_;
    if (Take(U"#")) {
      bool hex = Take(U"x");
      char32_t value = 0;
      std::size_t digits = 0;
      for (; position_ < text_.size(); ++position_, ++digits) {
        char32_t c = text_[position_];
        int digit = InRange(c, '0', '9')           ? static_cast<int>(c - '0')
                    : hex && InRange(c, 'a', 'f') ? static_cast<int>(c - 'a' + 10)
                    : hex && InRange(c, 'A', 'F') ? static_cast<int>(c - 'A' + 10)
                                                  : -1;
        if (digit < 0) break;
        value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
        if (value > 0x10FFFF) return Error("character reference out of range");
      }
      if (digits == 0 || !Take(U";")) return Error("malformed character reference");
      if (!IsXmlChar(value)) return Error("reference to a forbidden character");
      out->push_back(value);
      return true;
    }
    std::u32string name;
    if (!Name(&name) || !Take(U";")) return Error("malformed entity reference");
    if (name == U"lt") out->push_back('<');
    else if (name == U"gt") out->push_back('>');
    else if (name == U"amp") out->push_back('&');
    else if (name == U"apos") out->push_back('\'');
    else if (name == U"quot") out->push_back('"');
    else return Error("undeclared entity");
    return true;
  }

  bool AttributeValue(std::u32string* value) {
    if (position_ == text_.size() || (text_[position_] != '\'' && text_[position_] != '"'))
      return Error("attribute value without quotes");
    char32_t quote = text_[position_++];
    for (;;) {
      if (position_ == text_.size()) return Error("unterminated attribute value");
      char32_t c = text_[position_];
      if (c == quote) {
        ++position_;
        return true;
      }
      if (c == '<') return Error("'<' in an attribute value");
      if (c == '&') {
        if (!Reference(value)) return false;
        continue;
      }
      value->push_back(IsSpace(c) ? U' ' : c);
      ++position_;
    }
  }

  bool Element(XmlElement* element, int depth) {
    if (depth > kMaxDepth) return Error("elements nested too deep");
    if (!Take(U"<")) return Error("expected '<'");
    if (!Name(&element->name)) return false;
    for (;;) {
      bool spaced = SkipSpace();
      if (Take(U"/>")) return true;
      if (Take(U">")) break;
      if (!spaced) return Error("no space before an attribute");
      std::u32string name, value;
      if (!Name(&name)) return false;
      SkipSpace();
      if (!Take(U"=")) return Error("expected '='");
      SkipSpace();
      if (!AttributeValue(&value)) return false;
      for (const auto& attribute : element->attributes)
        if (attribute.first == name) return Error("repeated attribute");
      element->attributes.emplace_back(std::move(name), std::move(value));
    }
    for (;;) {
      if (position_ == text_.size()) return Error("unclosed element");
      if (Take(U"</")) {
        std::u32string name;
        if (!Name(&name)) return false;
        if (name != element->name) return Error("end tag of another element");
        SkipSpace();
        if (!Take(U">")) return Error("expected '>'");
        return true;
      }
      char32_t c = text_[position_];
      if (c == '<') {
        element->children.emplace_back();
        if (!Element(&element->children.back(), depth + 1)) return false;
      } else if (c == '&') {
        if (!Reference(&element->text)) return false;
      } else {
        if (At(U"]]>")) return Error("']]>' in text");
        element->text.push_back(c);
        ++position_;
      }
    }
  }

  std::u32string text_;
  std::size_t position_ = 0;
  std::string error_;
};

}  // namespace

std::size_t DecodeUtf8Prefix(std::string_view bytes, char32_t* code) {
  if (bytes.empty()) return 0;
  unsigned char lead = static_cast<unsigned char>(bytes[0]);
  std::size_t length;
  char32_t value, smallest;
  if (lead < 0x80) {
    *code = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, smallest = 0x10000;
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    unsigned char next = static_cast<unsigned char>(bytes[i]);
    if ((next & 0xC0) != 0x80) return 0;
    value = value << 6 | (next & 0x3F);
  }
  // Overlong forms, surrogates and codes beyond Unicode are ill-formed.
  if (value < smallest || value > 0x10FFFF || InRange(value, 0xD800, 0xDFFF))
    return 0;
  *code = value;
  return length;
}

bool DecodeUtf8(std::string_view bytes, std::u32string* text) {
  text->clear();
  while (!bytes.empty()) {
    char32_t code;
    std::size_t length = DecodeUtf8Prefix(bytes, &code);
    if (length == 0) return false;
    text->push_back(code);
    bytes.remove_prefix(length);
  }
  return true;
}

bool IsXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || InRange(c, 0x20, 0xD7FF) ||
         InRange(c, 0xE000, 0xFFFD) || InRange(c, 0x10000, 0x10FFFF);
}

bool ReadXmlDocument(std::string_view document, XmlElement* root,
                     std::string* error) {
  std::u32string raw;
  if (!DecodeUtf8(document, &raw)) {
    *error = "ill-formed UTF-8";
    return false;
  }
  // A reader sees every CR LF and every lone CR as one LF.
  std::u32string text;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (!IsXmlChar(raw[i])) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(raw[i]));
      *error = std::string("forbidden character ") + code;
      return false;
    }
    if (raw[i] == 0xD) {
      text.push_back(0xA);
      if (i + 1 < raw.size() && raw[i + 1] == 0xA) ++i;
    } else {
      text.push_back(raw[i]);
    }
  }
  Reader reader(std::move(text));
  *root = XmlElement();
  if (reader.Document(root)) return true;
  *error = reader.error();
  return false;
}

std::size_t CountElements(const XmlElement& element, std::u32string_view name) {
  std::size_t count = element.name == name ? 1 : 0;
  for (const XmlElement& child : element.children)
    count += CountElements(child, name);
  return count;
}

}  // namespace fuzz
