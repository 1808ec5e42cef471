// Turning one token into the bytes or number it stands for: a quoted string as
// single bytes, UTF-8 or UTF-16, an integer or float literal at the width given.
// These need no parser state, so the parser's grammar stays apart from them.
#include "tools/formtool/token_values.h"

#include <charconv>
#include <cstdint>
#include <cstdio>

#include "tools/formtool/float_text.h"
#include "tools/formtool/form_error.h"
#include "tools/formtool/text_codec.h"

namespace formtool::text_form {

void Fail(const Token& at, const std::string& message) {
  throw FormError("line " + std::to_string(at.line) + ": " + message);
}

std::string ByteString(const Token& t) {
  std::string out;
  for (const StringChar& c : t.chars) {
    if (!c.rawByte && c.value >= 0x80) {
      char buffer[160];
      std::snprintf(buffer, sizeof buffer,
                    "character U+%04X cannot be stored as a single byte here; write the "
                    "byte as \\xHH",
                    static_cast<unsigned>(c.value));
      Fail(t, buffer);
    }
    out += static_cast<char>(c.value);
  }
  return out;
}

std::string Utf8String(const Token& t) {
  std::string out;
  for (const StringChar& c : t.chars) {
    if (c.rawByte) {
      out += static_cast<char>(c.value);
    } else {
      AppendUtf8(out, c.value);
    }
  }
  return out;
}

std::u16string WideString(const Token& t) {
  std::u16string out;
  for (const StringChar& c : t.chars) {
    if (c.rawByte) Fail(t, "a wide string holds characters; \\xHH above 7F is a byte");
    if (c.value >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c.value - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c.value - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c.value);
    }
  }
  return out;
}

int64_t Integer(const Token& t) {
  std::string_view text = t.text;
  bool negative = false;
  if (text.front() == '-' || text.front() == '+') {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  uint64_t magnitude = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (result.ec == std::errc::result_out_of_range) {
    Fail(t, "'" + t.text + "' does not fit in 64 bits");
  }
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
    Fail(t, "'" + t.text + "' is not a number");
  }
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  if (magnitude > limit) Fail(t, "'" + t.text + "' does not fit in 64 bits");
  return negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
}

bool LooksLikeFloat(const std::string& text) {
  const bool hex = text.find_first_of("xX") != std::string::npos;
  return !hex && text.find_first_of(".eE") != std::string::npos;
}

void CheckIntFits(const Token& at, TValueType tag, int64_t value) {
  const int64_t lo = tag == svInt8 ? -128 : tag == svInt16 ? -32768 : INT32_MIN;
  const int64_t hi = tag == svInt8 ? 127 : tag == svInt16 ? 32767 : INT32_MAX;
  if (tag != svInt64 && (value < lo || value > hi)) {
    Fail(at, std::to_string(value) + " does not fit in the integer width given");
  }
}

Value FloatValue(const Token& t, TValueType tag) {
  Value v;
  v.tag = tag;
  if (t.kind == TokenKind::kHex) {
    const size_t size = tag == svExtended ? kExtendedSize : tag == svSingle ? 4 : 8;
    if (t.bytes.size() != size) {
      Fail(t, "raw bytes of this float kind must be exactly " + std::to_string(size) + " bytes");
    }
    v.bytes = t.bytes;
    return v;
  }
  const auto raw = TextToFloat(tag, t.text);
  if (!raw) Fail(t, "'" + t.text + "' is not a finite number of the float kind given");
  v.bytes = *raw;
  return v;
}

Value AnnotatedValue(const Token& annotation, const Token& t,
                     const std::function<void()>& consume) {
  const std::string& kind = annotation.text;
  Value v;
  const auto requireString = [&] {
    if (t.kind != TokenKind::kString)
      Fail(t, "!" + kind + " takes a quoted string, found " + Describe(t));
    consume();
  };
  if (kind == "i8" || kind == "i16" || kind == "i32" || kind == "i64") {
    if (t.kind != TokenKind::kNumber || LooksLikeFloat(t.text)) {
      Fail(t, "!" + kind + " takes an integer, found " + Describe(t));
    }
    consume();
    v.tag = kind == "i8" ? svInt8 : kind == "i16" ? svInt16 : kind == "i32" ? svInt32 : svInt64;
    v.integer = Integer(t);
    CheckIntFits(t, v.tag, v.integer);
  } else if (kind == "ext" || kind == "single" || kind == "double" || kind == "date") {
    if (t.kind != TokenKind::kNumber && t.kind != TokenKind::kHex) {
      Fail(t, "!" + kind + " takes a number or raw bytes <...>, found " + Describe(t));
    }
    consume();
    const TValueType tag = kind == "ext"      ? svExtended
                           : kind == "single" ? svSingle
                           : kind == "double" ? svDouble
                                              : svDate;
    return FloatValue(t, tag);
  } else if (kind == "currency") {
    if (t.kind != TokenKind::kNumber) Fail(t, "!currency takes a number, found " + Describe(t));
    consume();
    const auto scaled = TextToCurrency(t.text);
    if (!scaled) Fail(t, "'" + t.text + "' is not a currency amount (at most four decimals)");
    v.tag = svCurrency;
    v.integer = *scaled;
  } else if (kind == "ansi") {
    requireString();
    v.tag = svString;
    v.bytes = ByteString(t);
    if (v.bytes.size() > 255) Fail(t, "an !ansi string holds at most 255 bytes; use !long");
  } else if (kind == "long") {
    requireString();
    v.tag = svLString;
    v.bytes = ByteString(t);
  } else if (kind == "utf8") {
    requireString();
    v.tag = svUTF8String;
    v.bytes = Utf8String(t);
  } else if (kind == "wide") {
    requireString();
    v.tag = svWString;
    v.wide = WideString(t);
  } else if (kind == "ident") {
    requireString();
    v.tag = svIdent;
    v.bytes = ByteString(t);
    if (v.bytes.size() > 255) Fail(t, "an identifier holds at most 255 bytes");
  } else {
    Fail(annotation, "unknown type '!" + kind + "'");
  }
  return v;
}

}  // namespace formtool::text_form
