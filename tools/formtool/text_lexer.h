#pragma once
// Tokens of the text form and the lexer that cuts a text into them. Shared by the
// parser's structure and value steps; not part of the form tool's interface.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace formtool::text_form {

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

// How an error message names the token found.
std::string Describe(const Token& t);

class Lexer {
 public:
  explicit Lexer(std::string_view text);

  // The next token; kEnd at the end of the text. Throws FormError on text that
  // forms no token.
  Token Next();

  [[noreturn]] void Fail(const std::string& message) const;

 private:
  void SkipSpace();
  std::string Word(bool allowDots);
  std::string Number();
  std::vector<StringChar> QuotedString();
  StringChar Escape();
  std::string HexBlock();

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
};

}  // namespace formtool::text_form
