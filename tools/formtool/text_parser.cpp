#include "tools/formtool/text_parser.h"

#include <charconv>
#include <cstdio>
#include <limits>

#include "tools/formtool/float_text.h"
#include "tools/formtool/form_error.h"
#include "tools/formtool/text_codec.h"
#include "tools/formtool/text_printer.h"

namespace formtool {
namespace {

enum class TokenKind { kWord, kString, kNumber, kHex, kAnnotation, kPunct, kEnd };

// One character of a quoted string: a character (code point) or a raw byte
// given as \xHH with HH of 80 or more.
struct StringChar {
  uint32_t value;
  bool rawByte;
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;               // word, number, annotation name, punctuation
  std::vector<StringChar> chars;  // kString
  std::string bytes;              // kHex
  int line = 0;
};

std::string Describe(const Token& t) {
  switch (t.kind) {
    case TokenKind::kWord:
      return "'" + t.text + "'";
    case TokenKind::kString:
      return "a quoted string";
    case TokenKind::kNumber:
      return "the number " + t.text;
    case TokenKind::kHex:
      return "a hex block";
    case TokenKind::kAnnotation:
      return "'!" + t.text + "'";
    case TokenKind::kPunct:
      return "'" + t.text + "'";
    case TokenKind::kEnd:
      break;
  }
  return "the end of the text";
}

bool IsWordStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsWordChar(char c) { return IsWordStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {
    // A byte-order mark at the start is not part of the text.
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
  }

  Token Next() {
    SkipSpace();
    Token t;
    t.line = line_;
    if (pos_ >= text_.size()) return t;
    const char c = text_[pos_];
    if (IsWordStart(c)) {
      t.kind = TokenKind::kWord;
      t.text = Word(true);
    } else if (IsDigit(c) ||
               ((c == '-' || c == '+') && pos_ + 1 < text_.size() && IsDigit(text_[pos_ + 1]))) {
      t.kind = TokenKind::kNumber;
      t.text = Number();
    } else if (c == '"') {
      t.kind = TokenKind::kString;
      t.chars = QuotedString();
    } else if (c == '<') {
      t.kind = TokenKind::kHex;
      t.bytes = HexBlock();
    } else if (c == '!') {
      ++pos_;
      if (pos_ >= text_.size() || !IsWordStart(text_[pos_]))
        Fail("'!' must be followed by a type name");
      t.kind = TokenKind::kAnnotation;
      t.text = Word(false);
    } else if (std::string_view("{}[](),=").find(c) != std::string_view::npos) {
      t.kind = TokenKind::kPunct;
      t.text = std::string(1, c);
      ++pos_;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      char buffer[64];
      if (byte >= 0x20 && byte < 0x7F) {
        std::snprintf(buffer, sizeof buffer, "unexpected character '%c'", c);
      } else {
        std::snprintf(buffer, sizeof buffer, "unexpected byte 0x%02X", byte);
      }
      Fail(buffer);
    }
    return t;
  }

  [[noreturn]] void Fail(const std::string& message) const {
    throw FormError("line " + std::to_string(line_) + ": " + message);
  }

 private:
  void SkipSpace() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (c == ' ' || c == '\t' || c == '\r') {
        ++pos_;
      } else if (c == '#') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else {
        break;
      }
    }
  }

  std::string Word(bool allowDots) {
    const size_t start = pos_;
    for (;;) {
      while (pos_ < text_.size() && IsWordChar(text_[pos_])) ++pos_;
      if (allowDots && pos_ + 1 < text_.size() && text_[pos_] == '.' &&
          IsWordStart(text_[pos_ + 1])) {
        ++pos_;
        continue;
      }
      break;
    }
    return std::string(text_.substr(start, pos_ - start));
  }

  std::string Number() {
    const size_t start = pos_++;
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      const char prev = text_[pos_ - 1];
      const bool exponentSign =
          (c == '+' || c == '-') && (prev == 'e' || prev == 'E') &&
          text_.substr(start, 3).find_first_of("xX") == std::string_view::npos;
      if (IsWordChar(c) || c == '.' || exponentSign) {
        ++pos_;
      } else {
        break;
      }
    }
    return std::string(text_.substr(start, pos_ - start));
  }

  std::vector<StringChar> QuotedString() {
    const int startLine = line_;
    ++pos_;
    std::vector<StringChar> chars;
    for (;;) {
      if (pos_ >= text_.size()) {
        throw FormError("line " + std::to_string(startLine) + ": string is not closed");
      }
      const char c = text_[pos_];
      if (c == '"') {
        ++pos_;
        return chars;
      }
      if (c == '\n') Fail("string is not closed before the end of the line");
      if (c == '\\') {
        chars.push_back(Escape());
        continue;
      }
      uint32_t cp;
      const size_t length = DecodeUtf8(text_, pos_, cp);
      if (length == 0) Fail("the text is not valid UTF-8 here");
      chars.push_back({cp, false});
      pos_ += length;
    }
  }

  StringChar Escape() {
    ++pos_;
    if (pos_ >= text_.size()) Fail("string is not closed");
    const char c = text_[pos_++];
    switch (c) {
      case '"':
      case '\\':
        return {static_cast<uint32_t>(c), false};
      case 'n':
        return {'\n', false};
      case 'r':
        return {'\r', false};
      case 't':
        return {'\t', false};
      case 'x': {
        const int high = pos_ < text_.size() ? HexDigit(text_[pos_]) : -1;
        const int low = pos_ + 1 < text_.size() ? HexDigit(text_[pos_ + 1]) : -1;
        if (high < 0 || low < 0) Fail("\\x must be followed by two hex digits");
        pos_ += 2;
        const auto value = static_cast<uint32_t>(high * 16 + low);
        return {value, value >= 0x80};
      }
      case 'u': {
        if (pos_ >= text_.size() || text_[pos_] != '{')
          Fail("\\u must be followed by {hex digits}");
        ++pos_;
        uint32_t value = 0;
        int digits = 0;
        while (pos_ < text_.size() && HexDigit(text_[pos_]) >= 0 && digits < 7) {
          value = value * 16 + HexDigit(text_[pos_++]);
          ++digits;
        }
        if (digits == 0 || pos_ >= text_.size() || text_[pos_] != '}' || value > 0x10FFFF) {
          Fail("\\u{...} needs one to six hex digits naming a code point up to 10FFFF");
        }
        ++pos_;
        return {value, false};
      }
      default:
        Fail(std::string("unknown escape \\") + c);
    }
  }

  std::string HexBlock() {
    ++pos_;
    std::string bytes;
    int high = -1;
    for (;;) {
      if (pos_ >= text_.size()) Fail("hex block is not closed with '>'");
      const char c = text_[pos_++];
      if (c == '>') break;
      if (c == '\n') {
        ++line_;
        continue;
      }
      if (c == ' ' || c == '\t' || c == '\r') continue;
      const int digit = HexDigit(c);
      if (digit < 0) Fail(std::string("'") + c + "' is not a hex digit");
      if (high < 0) {
        high = digit;
      } else {
        bytes += static_cast<char>(high * 16 + digit);
        high = -1;
      }
    }
    if (high >= 0) Fail("hex block has an odd number of digits");
    return bytes;
  }

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
};

class Parser {
 public:
  Parser(std::string_view text, const FileLoader& loadFile) : lexer_(text), loadFile_(loadFile) {
    Advance();
  }

  Document ParseDocument() {
    Document doc;
    if (!IsWord("component")) Fail(token_, "the text must start with 'component'");
    doc.root = ParseComponent(0);
    if (IsWord("trailing")) {
      Advance();
      if (token_.kind != TokenKind::kHex) Fail(token_, "'trailing' takes a hex block <...>");
      doc.trailing = token_.bytes;
      Advance();
    }
    if (token_.kind != TokenKind::kEnd) {
      Fail(token_,
           "expected the end of the text after the root component, found " + Describe(token_));
    }
    return doc;
  }

 private:
  [[noreturn]] static void Fail(const Token& at, const std::string& message) {
    throw FormError("line " + std::to_string(at.line) + ": " + message);
  }

  void Advance() { token_ = lexer_.Next(); }
  bool IsWord(std::string_view word) const {
    return token_.kind == TokenKind::kWord && token_.text == word;
  }
  bool IsPunct(char c) const { return token_.kind == TokenKind::kPunct && token_.text[0] == c; }

  void Expect(char c, const char* context) {
    if (!IsPunct(c)) {
      Fail(token_, std::string("expected '") + c + "' " + context + ", found " + Describe(token_));
    }
    Advance();
  }

  void Enter(int depth) const {
    if (depth > kNesting)
      Fail(token_, "nesting deeper than " + std::to_string(kNesting) + " levels");
  }

  // Bytes of a quoted string meant as single-byte text: ASCII characters and \xHH.
  static std::string ByteString(const Token& t) {
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

  static std::string Utf8String(const Token& t) {
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

  static std::u16string WideString(const Token& t) {
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

  // A class name, component name or set element: a bare word or a quoted string.
  std::string Name(const char* what, bool allowDots) {
    std::string name;
    if (token_.kind == TokenKind::kWord &&
        (allowDots || token_.text.find('.') == std::string::npos)) {
      name = token_.text;
    } else if (token_.kind == TokenKind::kString) {
      name = ByteString(token_);
    } else {
      Fail(token_, std::string("expected ") + what + ", found " + Describe(token_));
    }
    if (name.size() > 255) Fail(token_, std::string(what) + " is longer than 255 bytes");
    Advance();
    return name;
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

  static bool LooksLikeFloat(const std::string& text) {
    const bool hex = text.find_first_of("xX") != std::string::npos;
    return !hex && text.find_first_of(".eE") != std::string::npos;
  }

  StoredInt ParseStoredInt(const char* what) {
    TValueType tag = svNull;
    const Token annotation = token_;
    if (token_.kind == TokenKind::kAnnotation) {
      if (token_.text == "i8")
        tag = svInt8;
      else if (token_.text == "i16")
        tag = svInt16;
      else if (token_.text == "i32")
        tag = svInt32;
      else
        Fail(token_, std::string(what) + " takes !i8, !i16 or !i32, not !" + token_.text);
      Advance();
    }
    if (token_.kind != TokenKind::kNumber || LooksLikeFloat(token_.text)) {
      Fail(token_, std::string("expected an integer for ") + what + ", found " + Describe(token_));
    }
    const int64_t value = Integer(token_);
    Advance();
    if (value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max()) {
      Fail(annotation, std::string(what) + " does not fit in 32 bits");
    }
    StoredInt result;
    result.value = static_cast<int32_t>(value);
    result.tag = tag != svNull                       ? tag
                 : value >= -128 && value <= 127     ? svInt8
                 : value >= -32768 && value <= 32767 ? svInt16
                                                     : svInt32;
    CheckIntFits(annotation, result.tag, value);
    return result;
  }

  static void CheckIntFits(const Token& at, TValueType tag, int64_t value) {
    const int64_t lo = tag == svInt8 ? -128 : tag == svInt16 ? -32768 : INT32_MIN;
    const int64_t hi = tag == svInt8 ? 127 : tag == svInt16 ? 32767 : INT32_MAX;
    if (tag != svInt64 && (value < lo || value > hi)) {
      Fail(at, std::to_string(value) + " does not fit in the integer width given");
    }
  }

  Component ParseComponent(int depth) {
    Enter(depth);
    Component c;
    c.line = token_.line;
    Advance();  // 'component'
    c.className = Name("a class name", false);
    if (c.className.size() >= kHeaderPrefixMark) {
      Fail(token_, "class name is longer than 239 bytes");
    }
    c.name = Name("a component name", false);
    for (;;) {
      if (IsWord("inherited")) {
        c.flags |= hfInherited;
      } else if (IsWord("inline")) {
        c.flags |= hfInline;
      } else if (IsWord("flag8")) {
        c.flags |= 0x08;
      } else if (IsWord("prefix")) {
        c.hasPrefix = true;
      } else if (IsWord("position")) {
        Advance();
        c.flags |= hfChildPos;
        c.childPos = ParseStoredInt("a child position");
        continue;
      } else {
        break;
      }
      Advance();
    }
    if (c.flags) c.hasPrefix = true;
    Expect('{', "to open the component");
    bool sawChild = false;
    while (!IsPunct('}')) {
      if (token_.kind == TokenKind::kEnd) {
        Fail(token_, "component " + c.name + " (line " + std::to_string(c.line) +
                         ") is not closed with '}'");
      }
      if (IsWord("component")) {
        c.children.push_back(ParseComponent(depth + 1));
        sawChild = true;
      } else {
        if (sawChild) Fail(token_, "properties must come before the child components");
        c.properties.push_back(ParseProperty(depth));
      }
    }
    Advance();
    return c;
  }

  Property ParseProperty(int depth) {
    Property p;
    p.line = token_.line;
    if (token_.kind != TokenKind::kWord && token_.kind != TokenKind::kString) {
      Fail(token_, "expected a property path or 'component', found " + Describe(token_));
    }
    if (token_.kind == TokenKind::kWord && IsReservedWord(token_.text)) {
      Fail(token_, "'" + token_.text + "' is a keyword; quote it to use it as a property path");
    }
    p.path = Name("a property path", true);
    if (p.path.empty()) Fail(token_, "a property path cannot be empty");
    Expect('=', "after the property path");
    p.value = ParseValue(depth + 1);
    return p;
  }

  Value ParseValue(int depth) {
    Enter(depth);
    if (token_.kind == TokenKind::kAnnotation) return ParseAnnotated();
    Value v;
    const Token t = token_;
    switch (t.kind) {
      case TokenKind::kNumber:
        Advance();
        if (LooksLikeFloat(t.text)) return FloatValue(t, svExtended);
        v.integer = Integer(t);
        v.tag = v.integer >= -128 && v.integer <= 127              ? svInt8
                : v.integer >= -32768 && v.integer <= 32767        ? svInt16
                : v.integer >= INT32_MIN && v.integer <= INT32_MAX ? svInt32
                                                                   : svInt64;
        return v;
      case TokenKind::kString: {
        Advance();
        for (const StringChar& c : t.chars) {
          if (c.rawByte) {
            Fail(t,
                 "\\xHH above 7F is a raw byte; say which kind of string it belongs to "
                 "with !ansi, !long or !utf8");
          }
          if (c.value >= 0xD800 && c.value <= 0xDFFF) {
            Fail(t, "a surrogate code unit belongs in a !wide string");
          }
        }
        v.bytes = Utf8String(t);
        if (!IsAscii(v.bytes))
          v.tag = svUTF8String;
        else
          v.tag = v.bytes.size() > 255 ? svLString : svString;
        return v;
      }
      case TokenKind::kHex:
        Advance();
        v.tag = svBinary;
        v.bytes = t.bytes;
        return v;
      case TokenKind::kWord:
        return ParseWordValue(depth);
      case TokenKind::kPunct:
        if (t.text == "{") return ParseSet();
        if (t.text == "[") return ParseList(depth);
        break;
      default:
        break;
    }
    Fail(t, "expected a value, found " + Describe(t));
  }

  Value ParseWordValue(int depth) {
    const Token t = token_;
    Value v;
    Advance();
    if (t.text == "true" || t.text == "false") {
      v.tag = t.text == "true" ? svTrue : svFalse;
    } else if (t.text == "nil") {
      v.tag = svNil;
    } else if (t.text == "null") {
      v.tag = svNull;
    } else if (t.text == "file") {
      Expect('(', "after 'file'");
      v.tag = svBinary;
      v.bytes = Load(t, PathArgument());
      Expect(')', "to close 'file('");
    } else if (t.text == "graphic" || t.text == "jpeg") {
      Expect('(', ("after '" + t.text + "'").c_str());
      v.tag = svBinary;
      std::string graphicClass = "TJPEGImage";
      if (t.text == "graphic") {
        if (token_.kind != TokenKind::kString)
          Fail(token_, "graphic(...) starts with the class name in quotes");
        graphicClass = ByteString(token_);
        Advance();
        Expect(',', "between the class name and the file");
      }
      if (graphicClass.empty() || graphicClass.size() > 63) {
        Fail(t, "a graphic class name has 1 to 63 characters");
      }
      const std::string path = PathArgument();
      const std::string data = Load(t, path);
      if (t.text == "jpeg" && (data.size() < 2 || data.compare(0, 2, "\xFF\xD8") != 0)) {
        Fail(t, "'" + path + "' is not a JPEG file (it does not start with FF D8)");
      }
      if (data.size() > static_cast<size_t>(INT32_MAX) - 64) Fail(t, "'" + path + "' is too large");
      v.bytes += static_cast<char>(graphicClass.size());
      v.bytes += graphicClass;
      for (int i = 0; i < 4; ++i) v.bytes += static_cast<char>(data.size() >> (8 * i));
      v.bytes += data;
      Expect(')', "to close the graphic");
    } else if (t.text == "collection") {
      return ParseCollection(depth);
    } else if (IsReservedWord(t.text)) {
      Fail(t, "'" + t.text + "' cannot stand here as a value; write !ident \"" + t.text +
                  "\" for an identifier of that name");
    } else {
      if (t.text.size() > 255) Fail(t, "identifier is longer than 255 bytes");
      v.tag = svIdent;
      v.bytes = t.text;
    }
    return v;
  }

  std::string PathArgument() {
    if (token_.kind != TokenKind::kString)
      Fail(token_, "expected a file path in quotes, found " + Describe(token_));
    std::string path = Utf8String(token_);
    Advance();
    return path;
  }

  std::string Load(const Token& at, const std::string& path) {
    try {
      return loadFile_(path);
    } catch (const FormError& e) {
      Fail(at, e.what());
    }
  }

  Value ParseSet() {
    Value v;
    v.tag = svSet;
    Advance();  // '{'
    while (!IsPunct('}')) {
      const Token at = token_;
      std::string name = Name("a set element name", false);
      if (name.empty()) Fail(at, "a set element name cannot be empty");
      v.names.push_back(std::move(name));
      if (IsPunct(','))
        Advance();
      else if (!IsPunct('}'))
        Fail(token_, "expected ',' or '}' in the set, found " + Describe(token_));
    }
    Advance();
    return v;
  }

  Value ParseList(int depth) {
    Value v;
    v.tag = svList;
    Advance();  // '['
    while (!IsPunct(']')) {
      const Token at = token_;
      Value item = ParseValue(depth + 1);
      if (item.tag == svNull) Fail(at, "'null' would end the list early; it cannot be a list item");
      v.items.push_back(std::move(item));
      if (IsPunct(','))
        Advance();
      else if (!IsPunct(']'))
        Fail(token_, "expected ',' or ']' in the list, found " + Describe(token_));
    }
    Advance();
    return v;
  }

  Value ParseCollection(int depth) {
    Value v;
    v.tag = svCollection;
    Expect('{', "after 'collection'");
    while (!IsPunct('}')) {
      if (!IsWord("item"))
        Fail(token_, "expected 'item' or '}' in the collection, found " + Describe(token_));
      CollectionItem item;
      item.line = token_.line;
      Advance();
      if (token_.kind == TokenKind::kAnnotation || token_.kind == TokenKind::kNumber) {
        item.order = ParseStoredInt("an item order");
      }
      Expect('{', "to open the item");
      while (!IsPunct('}')) {
        if (token_.kind == TokenKind::kEnd) Fail(token_, "item is not closed with '}'");
        item.properties.push_back(ParseProperty(depth + 1));
      }
      Advance();
      v.collection.push_back(std::move(item));
    }
    Advance();
    return v;
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

  Value ParseAnnotated() {
    const Token annotation = token_;
    const std::string& kind = annotation.text;
    Advance();
    const Token t = token_;
    Value v;
    const auto requireString = [&] {
      if (t.kind != TokenKind::kString)
        Fail(t, "!" + kind + " takes a quoted string, found " + Describe(t));
      Advance();
    };
    if (kind == "i8" || kind == "i16" || kind == "i32" || kind == "i64") {
      if (t.kind != TokenKind::kNumber || LooksLikeFloat(t.text)) {
        Fail(t, "!" + kind + " takes an integer, found " + Describe(t));
      }
      Advance();
      v.tag = kind == "i8" ? svInt8 : kind == "i16" ? svInt16 : kind == "i32" ? svInt32 : svInt64;
      v.integer = Integer(t);
      CheckIntFits(t, v.tag, v.integer);
    } else if (kind == "ext" || kind == "single" || kind == "double" || kind == "date") {
      if (t.kind != TokenKind::kNumber && t.kind != TokenKind::kHex) {
        Fail(t, "!" + kind + " takes a number or raw bytes <...>, found " + Describe(t));
      }
      Advance();
      const TValueType tag = kind == "ext"      ? svExtended
                             : kind == "single" ? svSingle
                             : kind == "double" ? svDouble
                                                : svDate;
      return FloatValue(t, tag);
    } else if (kind == "currency") {
      if (t.kind != TokenKind::kNumber) Fail(t, "!currency takes a number, found " + Describe(t));
      Advance();
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

  static constexpr int kNesting = 200;

  Lexer lexer_;
  const FileLoader& loadFile_;
  Token token_;
};

}  // namespace

Document ParseText(std::string_view text, const FileLoader& loadFile) {
  return Parser(text, loadFile).ParseDocument();
}

}  // namespace formtool
