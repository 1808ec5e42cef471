// The text form's tokens: words, numbers, quoted strings, hex blocks, type
// annotations and punctuation, each with the line it starts on. Kept apart from the
// parser so the character-level rules (escapes, UTF-8, comments) live in one place.
#include "tools/formtool/text_lexer.h"

#include <cstdio>

#include "tools/formtool/form_error.h"
#include "tools/formtool/text_codec.h"

namespace formtool::text_form {

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

namespace {

bool IsWordStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsWordChar(char c) { return IsWordStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

Lexer::Lexer(std::string_view text) : text_(text) {
  // A byte-order mark at the start is not part of the text.
  if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
}

Token Lexer::Next() {
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

void Lexer::Fail(const std::string& message) const {
  throw FormError("line " + std::to_string(line_) + ": " + message);
}

void Lexer::SkipSpace() {
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

std::string Lexer::Word(bool allowDots) {
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

std::string Lexer::Number() {
  const size_t start = pos_++;
  while (pos_ < text_.size()) {
    const char c = text_[pos_];
    const char prev = text_[pos_ - 1];
    const bool exponentSign = (c == '+' || c == '-') && (prev == 'e' || prev == 'E') &&
                              text_.substr(start, 3).find_first_of("xX") == std::string_view::npos;
    if (IsWordChar(c) || c == '.' || exponentSign) {
      ++pos_;
    } else {
      break;
    }
  }
  return std::string(text_.substr(start, pos_ - start));
}

std::vector<StringChar> Lexer::QuotedString() {
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

StringChar Lexer::Escape() {
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
      if (pos_ >= text_.size() || text_[pos_] != '{') Fail("\\u must be followed by {hex digits}");
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

std::string Lexer::HexBlock() {
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

}  // namespace formtool::text_form
