#include "tools/rc/compile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "tools/rc/codepage.h"
#include "tools/rc/icon_files.h"

namespace rc {

ResId ResId::Text(std::string s) {
  // Resource names and type names are stored upper-cased.
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return ResId{std::move(s), 0};
}

bool ResId::operator<(const ResId& other) const {
  // Named entries sort before numbered ones, as in a module's resource directory.
  if (text.has_value() != other.text.has_value()) return text.has_value();
  if (text) return *text < *other.text;
  return number < other.number;
}

std::string ResId::Describe() const { return text ? *text : std::to_string(number); }

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

const std::set<std::string> kMemoryFlags = {"PRELOAD",  "LOADONCALL",  "FIXED",
                                            "MOVEABLE", "DISCARDABLE", "PURE",
                                            "IMPURE",   "SHARED",      "NONSHARED"};

class Compiler {
 public:
  Compiler(std::vector<Token> tokens, const Options& options)
      : tokens_(std::move(tokens)), options_(options) {}

  void Run(Script* script) {
    script_ = script;
    while (Peek().kind != Token::kEnd) Statement();
    EmitStrings();
  }

 private:
  const Token& Peek(size_t ahead = 0) const {
    return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)];
  }
  const Token& Next() {
    const Token& t = tokens_[pos_];
    if (pos_ + 1 < tokens_.size()) ++pos_;
    return t;
  }
  [[noreturn]] void Fail(const Token& at, const std::string& what) const {
    throw CompileError(at.file + ":" + std::to_string(at.line) + ": " + what);
  }
  bool IsWord(const Token& t, const char* word) const {
    return t.kind == Token::kIdentifier && Upper(t.text) == word;
  }
  bool IsPunct(const Token& t, char c) const {
    return t.kind == Token::kPunct && t.text.size() == 1 && t.text[0] == c;
  }
  bool IsOpen(const Token& t) const { return IsPunct(t, '{') || IsWord(t, "BEGIN"); }
  bool IsClose(const Token& t) const { return IsPunct(t, '}') || IsWord(t, "END"); }

  long long Term() {
    const Token& t = Next();
    if (t.kind == Token::kNumber) return t.value;
    if (IsPunct(t, '-')) return -Term();
    if (IsPunct(t, '~')) return ~Term();
    if (IsPunct(t, '(')) {
      long long v = Expr();
      if (!IsPunct(Next(), ')')) Fail(t, "')' expected");
      return v;
    }
    Fail(t, "number expected, found '" + t.text + "'");
  }
  long long Expr() {
    long long v = Term();
    for (;;) {
      const Token& t = Peek();
      if (IsPunct(t, '+'))
        v += (Next(), Term());
      else if (IsPunct(t, '-'))
        v -= (Next(), Term());
      else if (IsPunct(t, '|'))
        v |= (Next(), Term());
      else if (IsPunct(t, '&'))
        v &= (Next(), Term());
      else
        return v;
    }
  }

  // LANGUAGE primary, sub
  uint16_t Language() {
    long long primary = Expr();
    if (IsPunct(Peek(), ',')) Next();
    long long sub = Expr();
    return static_cast<uint16_t>((primary & 0x3FF) | (sub << 10));
  }

  // Flags and optional statements that may precede a resource's data.
  void Attributes(uint16_t* language) {
    for (;;) {
      const Token& t = Peek();
      if (t.kind != Token::kIdentifier) return;
      std::string word = Upper(t.text);
      if (kMemoryFlags.count(word)) {
        Next();
      } else if (word == "LANGUAGE") {
        Next();
        *language = Language();
      } else if (word == "VERSION" || word == "CHARACTERISTICS") {
        Next();
        Expr();
      } else {
        return;
      }
    }
  }

  void Statement() {
    const Token& first = Peek();
    if (IsWord(first, "STRINGTABLE")) {
      Next();
      StringTable();
      return;
    }
    if (IsWord(first, "LANGUAGE")) {
      Next();
      language_ = Language();
      return;
    }
    Resource res;
    res.language = language_;
    const Token& nameToken = Next();
    if (nameToken.kind == Token::kNumber) {
      res.name = ResId::Number(static_cast<uint16_t>(nameToken.value));
    } else if (nameToken.kind == Token::kIdentifier || nameToken.kind == Token::kString) {
      res.name = ResId::Text(nameToken.text);
    } else {
      Fail(nameToken, "resource name expected");
    }
    const Token& typeToken = Next();
    std::string type = Upper(typeToken.text);
    if (typeToken.kind == Token::kNumber) {
      res.type = ResId::Number(static_cast<uint16_t>(typeToken.value));
    } else if (typeToken.kind == Token::kIdentifier || typeToken.kind == Token::kString) {
      res.type = type == "RCDATA"   ? ResId::Number(kRtRcdata)
                 : type == "BITMAP" ? ResId::Number(kRtBitmap)
                 : type == "HTML"   ? ResId::Number(kRtHtml)
                 : type == "ICON"   ? ResId::Number(kRtGroupIcon)
                 : type == "CURSOR" ? ResId::Number(kRtGroupCursor)
                                    : ResId::Text(typeToken.text);
    } else {
      Fail(typeToken, "resource type expected");
    }
    Attributes(&res.language);
    const Token& body = Peek();
    if (body.kind == Token::kString) {
      Next();
      std::vector<uint8_t> bytes = ReadData(body);
      try {
        if (type == "ICON" || type == "CURSOR") {
          bool cursor = type == "CURSOR";
          AddIconGroup(bytes, cursor, res.name, res.language,
                       cursor ? &nextCursorId_ : &nextIconId_, &script_->resources);
          return;
        }
      } catch (const CompileError&) {
        throw;
      } catch (const std::exception& e) {
        Fail(body, body.text + ": " + e.what());
      }
      if (type == "BITMAP") {
        // A module keeps the bitmap without its 14-byte file header.
        if (bytes.size() < 14 || bytes[0] != 'B' || bytes[1] != 'M')
          Fail(body, "not a bitmap file");
        bytes.erase(bytes.begin(), bytes.begin() + 14);
      }
      res.data = std::move(bytes);
    } else if (IsOpen(body) && type != "ICON" && type != "CURSOR") {
      Next();
      res.data = InlineData();
    } else {
      Fail(body, "file name or data block expected");
    }
    script_->resources.push_back(std::move(res));
  }

  std::vector<uint8_t> ReadData(const Token& fileToken) {
    std::string path = FindFile(fileToken.text, fileToken.file, options_.includeDirs);
    if (path.empty()) Fail(fileToken, "cannot find file " + fileToken.text);
    std::ifstream in(path, std::ios::binary);
    if (!in) Fail(fileToken, "cannot read file " + path);
    script_->inputs.push_back(path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }

  // { "bytes", L"units", 1, 2L, ... } : numbers are 16-bit, or 32-bit with an L suffix.
  std::vector<uint8_t> InlineData() {
    std::vector<uint8_t> out;
    auto put = [&](uint32_t v, int size) {
      for (int i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    while (!IsClose(Peek())) {
      const Token& t = Peek();
      if (t.kind == Token::kEnd) Fail(t, "unterminated data block");
      if (t.kind == Token::kString) {
        Next();
        if (t.wide) {
          for (char16_t u : t.wideText) put(u, 2);
        } else {
          out.insert(out.end(), t.text.begin(), t.text.end());
        }
      } else {
        bool isLong = t.longSuffix;
        long long v = Expr();
        put(static_cast<uint32_t>(v), isLong ? 4 : 2);
      }
      if (IsPunct(Peek(), ',')) Next();
    }
    Next();
    return out;
  }

  void StringTable() {
    uint16_t language = language_;
    Attributes(&language);
    if (!IsOpen(Next())) Fail(Peek(), "'{' or BEGIN expected after STRINGTABLE");
    while (!IsClose(Peek())) {
      const Token& at = Peek();
      if (at.kind == Token::kEnd) Fail(at, "unterminated STRINGTABLE");
      long long id = Expr();
      if (id < 0 || id > 0xFFFF) Fail(at, "string id out of range");
      if (IsPunct(Peek(), ',')) Next();
      if (Peek().kind != Token::kString) Fail(Peek(), "string expected");
      std::u16string text;
      while (Peek().kind == Token::kString) {
        const Token& s = Next();
        text += s.wide ? s.wideText : ToUtf16(s.text, s.codePage);
      }
      auto key = std::make_pair(language, static_cast<uint16_t>(id));
      if (!strings_.emplace(key, std::move(text)).second)
        Fail(at, "duplicate string id " + std::to_string(id));
    }
    Next();
  }

  // Strings live in blocks of sixteen: block (id >> 4) + 1, each entry a 16-bit
  // length and that many UTF-16 units, missing entries of length 0.
  void EmitStrings() {
    std::map<std::pair<uint16_t, uint16_t>, std::array<const std::u16string*, 16>> blocks;
    for (const auto& [key, text] : strings_) {
      auto& block = blocks[{key.first, static_cast<uint16_t>(key.second >> 4)}];
      block[key.second & 15] = &text;
    }
    for (const auto& [key, block] : blocks) {
      Resource res;
      res.type = ResId::Number(kRtString);
      res.name = ResId::Number(static_cast<uint16_t>(key.second + 1));
      res.language = key.first;
      for (const std::u16string* text : block) {
        size_t n = text ? text->size() : 0;
        if (n > 0xFFFF) throw CompileError("string too long");
        res.data.push_back(static_cast<uint8_t>(n));
        res.data.push_back(static_cast<uint8_t>(n >> 8));
        for (size_t i = 0; i < n; ++i) {
          res.data.push_back(static_cast<uint8_t>((*text)[i]));
          res.data.push_back(static_cast<uint8_t>((*text)[i] >> 8));
        }
      }
      script_->resources.push_back(std::move(res));
    }
  }

  std::vector<Token> tokens_;
  const Options& options_;
  size_t pos_ = 0;
  Script* script_ = nullptr;
  uint16_t language_ = 0;
  uint16_t nextIconId_ = 1;
  uint16_t nextCursorId_ = 1;
  std::map<std::pair<uint16_t, uint16_t>, std::u16string> strings_;
};

}  // namespace

Script Compile(const std::string& path, const Options& options) {
  TokenizeResult tokens = Tokenize(path, options.includeDirs, options.defines);
  Script script;
  script.inputs = std::move(tokens.inputs);
  Compiler(std::move(tokens.tokens), options).Run(&script);
  return script;
}

}  // namespace rc
