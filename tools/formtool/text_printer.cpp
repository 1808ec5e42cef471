#include "tools/formtool/text_printer.h"

#include <array>
#include <cstdio>

#include "tools/formtool/float_text.h"
#include "tools/formtool/form_error.h"
#include "tools/formtool/text_codec.h"

namespace formtool {

bool IsReservedWord(std::string_view word) {
  static constexpr std::array<std::string_view, 16> kWords = {
      "component", "inherited", "inline", "position", "prefix", "flag8",      "true", "false",
      "nil",       "null",      "file",   "graphic",  "jpeg",   "collection", "item", "trailing"};
  for (std::string_view reserved : kWords) {
    if (word == reserved) return true;
  }
  return false;
}

bool IsBareWord(std::string_view text, bool allowDots) {
  bool segmentStart = true;
  for (char c : text) {
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    const bool digit = c >= '0' && c <= '9';
    if (c == '.' && allowDots && !segmentStart) {
      segmentStart = true;
    } else if (letter || (digit && !segmentStart)) {
      segmentStart = false;
    } else {
      return false;
    }
  }
  return !segmentStart && !IsReservedWord(text);
}

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendByteEscape(std::string& out, unsigned char c) {
  out += "\\x";
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

void AppendAsciiChar(std::string& out, unsigned char c) {
  switch (c) {
    case '"':
      out += "\\\"";
      break;
    case '\\':
      out += "\\\\";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '\t':
      out += "\\t";
      break;
    default:
      if (c < 0x20 || c == 0x7F) {
        AppendByteEscape(out, c);
      } else {
        out += static_cast<char>(c);
      }
  }
}

// Bytes of an ANSI text: ASCII as itself, everything else as \xHH.
std::string QuoteBytes(std::string_view bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    if (c >= 0x80) {
      AppendByteEscape(out, c);
    } else {
      AppendAsciiChar(out, c);
    }
  }
  return out + "\"";
}

// UTF-8 text: valid sequences as characters, stray bytes as \xHH.
std::string QuoteUtf8(std::string_view bytes) {
  std::string out = "\"";
  uint32_t cp;
  for (size_t pos = 0; pos < bytes.size();) {
    const unsigned char c = bytes[pos];
    if (c < 0x80) {
      AppendAsciiChar(out, c);
      ++pos;
    } else if (const size_t length = DecodeUtf8(bytes, pos, cp)) {
      out.append(bytes.substr(pos, length));
      pos += length;
    } else {
      AppendByteEscape(out, c);
      ++pos;
    }
  }
  return out + "\"";
}

std::string QuoteWide(std::u16string_view units) {
  std::string out = "\"";
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    if (unit < 0x80) {
      AppendAsciiChar(out, static_cast<unsigned char>(unit));
    } else if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
               units[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "\\u{%X}", static_cast<unsigned>(unit));
      out += buffer;
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out + "\"";
}

std::string Word(std::string_view text, bool allowDots) {
  return IsBareWord(text, allowDots) ? std::string(text) : QuoteBytes(text);
}

std::string HexBlock(std::string_view bytes, const std::string& indent) {
  std::string out = "<";
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes.size() > 32 && i % 32 == 0)
      out += "\n" + indent + "  ";
    else if (i > 0)
      out += ' ';
    const auto c = static_cast<unsigned char>(bytes[i]);
    out += kHex[c >> 4];
    out += kHex[c & 15];
  }
  if (bytes.size() > 32) out += "\n" + indent;
  return out + ">";
}

// A block that is exactly "length, class name, 32-bit count, that many bytes".
bool SplitGraphic(std::string_view data, std::string& className, std::string_view& payload) {
  if (data.empty()) return false;
  const size_t length = static_cast<unsigned char>(data[0]);
  if (length == 0 || length > 63 || data.size() < 1 + length + 4) return false;
  className = std::string(data.substr(1, length));
  if (!IsBareWord(className, false)) return false;
  uint32_t count = 0;
  for (int i = 0; i < 4; ++i)
    count |= uint32_t{static_cast<unsigned char>(data[1 + length + i])} << (8 * i);
  payload = data.substr(1 + length + 4);
  return payload.size() == count;
}

class Printer {
 public:
  explicit Printer(const PrintOptions& options) : options_(options) {}

  std::string Print(const Document& doc) {
    Component(doc.root, "");
    if (!doc.trailing.empty()) out_ += "trailing " + HexBlock(doc.trailing, "") + "\n";
    return std::move(out_);
  }

 private:
  std::string StoredIntText(const StoredInt& v) {
    const TValueType natural = v.value >= -128 && v.value <= 127       ? svInt8
                               : v.value >= -32768 && v.value <= 32767 ? svInt16
                                                                       : svInt32;
    std::string prefix;
    if (v.tag != natural) prefix = v.tag == svInt8 ? "!i8 " : v.tag == svInt16 ? "!i16 " : "!i32 ";
    return prefix + std::to_string(v.value);
  }

  void Component(const formtool::Component& c, const std::string& indent) {
    out_ += indent + "component " + Word(c.className, false) + " " + Word(c.name, false);
    if (c.flags & hfInherited) out_ += " inherited";
    if (c.flags & hfInline) out_ += " inline";
    if (c.flags & hfChildPos) out_ += " position " + StoredIntText(c.childPos);
    if (c.flags & 0x08) out_ += " flag8";
    if (c.hasPrefix && c.flags == 0) out_ += " prefix";
    out_ += " {\n";
    Properties(c.properties, indent + "  ");
    for (const formtool::Component& child : c.children) Component(child, indent + "  ");
    out_ += indent + "}\n";
  }

  void Properties(const std::vector<Property>& properties, const std::string& indent) {
    for (const Property& p : properties) {
      out_ += indent + Word(p.path, true) + " = " + ValueText(p.value, indent) + "\n";
    }
  }

  std::string ValueText(const Value& v, const std::string& indent) {
    switch (v.tag) {
      case svNull:
        return "null";
      case svNil:
        return "nil";
      case svFalse:
        return "false";
      case svTrue:
        return "true";
      case svInt8:
      case svInt16:
      case svInt32:
        return StoredIntText({v.tag, static_cast<int32_t>(v.integer)});
      case svInt64:
        return "!i64 " + std::to_string(v.integer);
      case svCurrency:
        return "!currency " + CurrencyToText(v.integer);
      case svExtended:
      case svSingle:
      case svDouble:
      case svDate: {
        const char* annotation = v.tag == svExtended ? ""
                                 : v.tag == svSingle ? "!single "
                                 : v.tag == svDouble ? "!double "
                                                     : "!date ";
        if (auto text = FloatToText(v.tag, v.bytes)) return annotation + *text;
        return std::string(v.tag == svExtended ? "!ext " : annotation) + HexBlock(v.bytes, indent);
      }
      case svString:
        if (IsAscii(v.bytes)) return QuoteBytes(v.bytes);
        return "!ansi " + QuoteBytes(v.bytes);
      case svLString:
        if (IsAscii(v.bytes) && v.bytes.size() > 255) return QuoteBytes(v.bytes);
        return "!long " + QuoteBytes(v.bytes);
      case svUTF8String:
        if (!IsAscii(v.bytes) && IsValidUtf8(v.bytes)) return QuoteUtf8(v.bytes);
        return "!utf8 " + QuoteUtf8(v.bytes);
      case svWString:
        return "!wide " + QuoteWide(v.wide);
      case svIdent:
        if (IsBareWord(v.bytes, true)) return v.bytes;
        return "!ident " + QuoteBytes(v.bytes);
      case svBinary:
        return BinaryText(v, indent);
      case svSet: {
        std::string text = "{";
        for (size_t i = 0; i < v.names.size(); ++i) {
          text += (i ? ", " : "") + Word(v.names[i], false);
        }
        return text + "}";
      }
      case svList: {
        std::string text = "[";
        for (size_t i = 0; i < v.items.size(); ++i) {
          text += (i ? ", " : "") + ValueText(v.items[i], indent);
        }
        return text + "]";
      }
      case svCollection: {
        std::string text = "collection {\n";
        const std::string inner = indent + "  ";
        for (const CollectionItem& item : v.collection) {
          text += inner + "item ";
          if (item.order) text += StoredIntText(*item.order) + " ";
          text += "{\n";
          std::string saved = std::move(out_);
          out_.clear();
          Properties(item.properties, inner + "  ");
          text += out_;
          out_ = std::move(saved);
          text += inner + "}\n";
        }
        return text + indent + "}";
      }
    }
    throw FormError("cannot print value tag " + std::to_string(v.tag));
  }

  std::string BinaryText(const Value& v, const std::string& indent) {
    if (v.bytes.size() <= options_.inlineLimit || !options_.storeFile) {
      return HexBlock(v.bytes, indent);
    }
    std::string className;
    std::string_view payload;
    if (SplitGraphic(v.bytes, className, payload)) {
      const std::string extension = className == "TJPEGImage" ? ".jpg"
                                    : className == "TBitmap"  ? ".bmp"
                                                              : ".bin";
      const std::string path = options_.storeFile(std::string(payload), extension);
      if (className == "TJPEGImage" && payload.size() >= 2 &&
          static_cast<unsigned char>(payload[0]) == 0xFF &&
          static_cast<unsigned char>(payload[1]) == 0xD8) {
        return "jpeg(" + QuoteBytes(path) + ")";
      }
      return "graphic(" + QuoteBytes(className) + ", " + QuoteBytes(path) + ")";
    }
    return "file(" + QuoteBytes(options_.storeFile(v.bytes, ".bin")) + ")";
  }

  const PrintOptions& options_;
  std::string out_;
};

}  // namespace

std::string PrintText(const Document& doc, const PrintOptions& options) {
  return Printer(options).Print(doc);
}

}  // namespace formtool
