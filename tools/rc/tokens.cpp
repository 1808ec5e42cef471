#include "tools/rc/tokens.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string_view>

#include "tools/rc/codepage.h"

namespace rc {
namespace fs = std::filesystem;

std::string FindFile(const std::string& name, const std::string& referringFile,
                     const std::vector<std::string>& includeDirs) {
  fs::path p(name);
  if (p.is_absolute()) return fs::is_regular_file(p) ? name : "";
  // Scripts written for the other platform may use backslashes.
  std::string portable = name;
  std::replace(portable.begin(), portable.end(), '\\', '/');
  std::vector<fs::path> dirs;
  if (!referringFile.empty()) dirs.push_back(fs::path(referringFile).parent_path());
  for (const auto& d : includeDirs) dirs.emplace_back(d);
  for (const auto& d : dirs) {
    fs::path candidate = d / portable;
    if (fs::is_regular_file(candidate)) return candidate.lexically_normal().string();
  }
  return "";
}

namespace {

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

class Tokenizer {
 public:
  Tokenizer(const std::vector<std::string>& includeDirs,
            const std::map<std::string, std::string>& defines)
      : includeDirs_(includeDirs), defines_(defines) {}

  void ReadFile(const std::string& path, bool directivesOnly) {
    if (depth_ > 32) Fail(path, 0, "includes nested too deeply");
    std::ifstream in(path, std::ios::binary);
    if (!in) Fail(path, 0, "cannot open file");
    std::stringstream buffer;
    buffer << in.rdbuf();
    result_.inputs.push_back(path);
    ++depth_;
    size_t condDepth = conds_.size();
    Scan(buffer.str(), path, directivesOnly);
    if (conds_.size() != condDepth) Fail(path, 0, "unterminated conditional");
    --depth_;
  }

  TokenizeResult Take() { return std::move(result_); }

 private:
  struct Cond {
    bool active;  // this branch is being compiled
    bool taken;   // some branch of this conditional was already compiled
    bool outerActive;
  };

  [[noreturn]] static void Fail(const std::string& file, int line, const std::string& what) {
    throw CompileError(file + ":" + std::to_string(line) + ": " + what);
  }

  bool Active() const { return conds_.empty() || conds_.back().active; }

  void Scan(const std::string& s, const std::string& file, bool directivesOnly) {
    size_t i = 0;
    int line = 1;
    bool lineStart = true;
    while (i < s.size()) {
      char c = s[i];
      if (c == '\n') {
        ++line;
        ++i;
        lineStart = true;
        continue;
      }
      if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++i;
        continue;
      }
      if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
        while (i < s.size() && s[i] != '\n') ++i;
        continue;
      }
      if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
        size_t end = s.find("*/", i + 2);
        if (end == std::string::npos) Fail(file, line, "unterminated comment");
        line += static_cast<int>(std::count(s.begin() + i, s.begin() + end, '\n'));
        i = end + 2;
        continue;
      }
      if (c == '#' && lineStart) {
        std::string text;
        int startLine = line;
        ++i;
        while (i < s.size() && s[i] != '\n') {
          if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == '\n' || s[i + 1] == '\r')) {
            i = s.find('\n', i);
            if (i == std::string::npos) break;
            ++line;
            ++i;
            continue;
          }
          text.push_back(s[i++]);
        }
        Directive(StripComments(text), file, startLine);
        continue;
      }
      lineStart = false;
      if (directivesOnly || !Active()) {
        // Skip the rest of the line, but not a directive hidden behind a comment opener.
        while (i < s.size() && s[i] != '\n') {
          if (s[i] == '/' && i + 1 < s.size() && s[i + 1] == '*') break;
          ++i;
        }
        continue;
      }
      Token t;
      t.file = file;
      t.line = line;
      t.codePage = codePage_;
      ScanOne(s, i, t);
      Emit(std::move(t), 0);
    }
  }

  static std::string StripComments(const std::string& text) {
    std::string out;
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '"') inString = !inString;
      if (!inString && text[i] == '/' && i + 1 < text.size()) {
        if (text[i + 1] == '/') break;
        if (text[i + 1] == '*') {
          size_t end = text.find("*/", i + 2);
          if (end == std::string::npos) break;
          out.push_back(' ');
          i = end + 1;
          continue;
        }
      }
      out.push_back(text[i]);
    }
    return Trim(out);
  }

  // Expands object-like macros; a macro is not expanded inside its own expansion.
  void Emit(Token t, int level) {
    if (t.kind == Token::kIdentifier && level < 16) {
      auto it = defines_.find(t.text);
      if (it != defines_.end() && !expanding_.count(t.text)) {
        expanding_.insert(t.text);
        const std::string& value = it->second;
        size_t i = 0;
        while (i < value.size()) {
          if (std::isspace(static_cast<unsigned char>(value[i]))) {
            ++i;
            continue;
          }
          Token v;
          v.file = t.file;
          v.line = t.line;
          v.codePage = t.codePage;
          ScanOne(value, i, v);
          Emit(std::move(v), level + 1);
        }
        expanding_.erase(t.text);
        return;
      }
    }
    result_.tokens.push_back(std::move(t));
  }

  void ScanOne(const std::string& s, size_t& i, Token& t) {
    char c = s[i];
    bool wide = (c == 'L' || c == 'l') && i + 1 < s.size() && s[i + 1] == '"';
    if (c == '"' || wide) {
      if (wide) ++i;
      t.wide = wide;
      ScanString(s, i, t);
      return;
    }
    if (IsIdentStart(c)) {
      t.kind = Token::kIdentifier;
      while (i < s.size() && IsIdentChar(s[i])) t.text.push_back(s[i++]);
      return;
    }
    if (std::isdigit(static_cast<unsigned char>(c))) {
      t.kind = Token::kNumber;
      size_t start = i;
      int base = 10;
      if (c == '0' && i + 1 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
      }
      unsigned long long v = 0;
      size_t digits = 0;
      while (i < s.size() && std::isxdigit(static_cast<unsigned char>(s[i]))) {
        int d = std::isdigit(static_cast<unsigned char>(s[i])) ? s[i] - '0'
                                                               : std::tolower(s[i]) - 'a' + 10;
        if (d >= base) break;
        v = v * base + d;
        if (v > 0xFFFFFFFFull) Fail(t.file, t.line, "number too large");
        ++i;
        ++digits;
      }
      if (digits == 0) Fail(t.file, t.line, "bad number");
      while (i < s.size() && (s[i] == 'L' || s[i] == 'l' || s[i] == 'U' || s[i] == 'u')) {
        if (s[i] == 'L' || s[i] == 'l') t.longSuffix = true;
        ++i;
      }
      if (i < s.size() && IsIdentChar(s[i])) Fail(t.file, t.line, "bad number");
      t.text = s.substr(start, i - start);
      t.value = static_cast<long long>(v);
      return;
    }
    t.kind = Token::kPunct;
    t.text = std::string(1, c);
    ++i;
  }

  // Strings: "" stands for one quote; C escapes are decoded. A narrow string keeps bytes;
  // a wide one keeps units, with its plain text converted from the code page in force.
  void ScanString(const std::string& s, size_t& i, Token& t) {
    t.kind = Token::kString;
    ++i;  // opening quote
    StringText out{t, {}};
    for (;;) {
      if (i >= s.size() || s[i] == '\n') Fail(t.file, t.line, "unterminated string");
      const char c = s[i++];
      if (c == '"') {
        if (i >= s.size() || s[i] != '"') break;
        out.Byte('"');
        ++i;
      } else if (c == '\\') {
        ScanEscape(s, i, t, out);
      } else {
        out.Byte(static_cast<unsigned char>(c));
      }
    }
    out.Flush();
  }

  // A string's text as it is scanned: plain bytes wait in `run` until a wide string
  // converts them; an escaped unit goes in as it is.
  struct StringText {
    Token& t;
    std::string run;
    void Flush() {
      t.wideText += ToUtf16(run, t.codePage);
      run.clear();
    }
    void Byte(unsigned value) {
      t.text.push_back(static_cast<char>(value));
      run.push_back(static_cast<char>(value));
    }
    void Unit(unsigned value) {
      t.text.push_back(static_cast<char>(value));
      Flush();
      t.wideText.push_back(static_cast<char16_t>(value));
    }
  };

  // The escape after a backslash: a control letter, \x with up to 2 (wide: 4) hex digits,
  // up to 3 octal digits, or any other character standing for itself (\\ \" \' \?).
  void ScanEscape(const std::string& s, size_t& i, Token& t, StringText& out) {
    if (i >= s.size()) Fail(t.file, t.line, "unterminated string");
    const char e = s[i++];
    constexpr std::string_view kLetters = "nrtabfv";
    constexpr std::string_view kControls = "\n\r\t\a\b\f\v";
    if (const size_t letter = kLetters.find(e); letter != std::string_view::npos) {
      out.Byte(static_cast<unsigned char>(kControls[letter]));
    } else if (e == 'x' || e == 'X') {
      unsigned v = 0;
      int n = 0;
      const int maxDigits = t.wide ? 4 : 2;
      while (n < maxDigits && i < s.size() && std::isxdigit(static_cast<unsigned char>(s[i]))) {
        v = v * 16 + (std::isdigit(static_cast<unsigned char>(s[i]))
                          ? s[i] - '0'
                          : std::tolower(s[i]) - 'a' + 10);
        ++i;
        ++n;
      }
      if (n == 0) Fail(t.file, t.line, "bad \\x escape");
      out.Unit(v);
    } else if (e >= '0' && e <= '7') {
      unsigned v = e - '0';
      for (int n = 1; n < 3 && i < s.size() && s[i] >= '0' && s[i] <= '7'; ++n) {
        v = v * 8 + (s[i++] - '0');
      }
      out.Unit(v & (t.wide ? 0xFFFF : 0xFF));
    } else {
      out.Byte(static_cast<unsigned char>(e));
    }
  }

  void Directive(const std::string& text, const std::string& file, int line) {
    evalDepth_ = 0;
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    size_t start = i;
    while (i < text.size() && IsIdentChar(text[i])) ++i;
    std::string name = text.substr(start, i - start);
    std::string rest = Trim(text.substr(i));

    if (name == "ifdef" || name == "ifndef") {
      bool defined = defines_.count(FirstWord(rest)) != 0;
      OpenCond(name == "ifdef" ? defined : !defined);
      return;
    }
    if (name == "if") {
      OpenCond(Active() && Evaluate(rest, file, line));
      return;
    }
    if (name == "elif" || name == "else") {
      if (conds_.empty()) Fail(file, line, "#" + name + " without #if");
      Cond& c = conds_.back();
      bool take = c.outerActive && !c.taken && (name == "else" || Evaluate(rest, file, line));
      c.active = take;
      c.taken = c.taken || take;
      return;
    }
    if (name == "endif") {
      if (conds_.empty()) Fail(file, line, "#endif without #if");
      conds_.pop_back();
      return;
    }
    if (!Active()) return;
    if (name == "include") {
      if (rest.size() < 2 || !((rest.front() == '"' && rest.back() == '"') ||
                               (rest.front() == '<' && rest.back() == '>')))
        Fail(file, line, "bad #include");
      std::string target = rest.substr(1, rest.size() - 2);
      std::string found = FindFile(target, file, includeDirs_);
      if (found.empty()) Fail(file, line, "cannot find include file " + target);
      std::string ext = fs::path(found).extension().string();
      std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
      // From C headers only the macro definitions matter.
      ReadFile(found, ext == ".h" || ext == ".c" || ext == ".hpp");
      return;
    }
    if (name == "define") {
      std::string macro = FirstWord(rest);
      if (macro.empty()) Fail(file, line, "bad #define");
      if (rest.size() > macro.size() && rest[macro.size()] == '(') return;  // function-like
      defines_[macro] = Trim(rest.substr(macro.size()));
      return;
    }
    if (name == "undef") {
      defines_.erase(FirstWord(rest));
      return;
    }
    if (name == "pragma") {
      std::string compact;
      for (char ch : rest)
        if (!std::isspace(static_cast<unsigned char>(ch))) compact.push_back(ch);
      if (compact.rfind("code_page(", 0) == 0 && compact.back() == ')') {
        std::string number = compact.substr(10, compact.size() - 11);
        int cp = std::atoi(number.c_str());
        if (!IsSupportedCodePage(cp)) Fail(file, line, "unsupported code page " + number);
        codePage_ = cp;
      }
      return;
    }
    if (name == "error") Fail(file, line, "#error " + rest);
    // #line and other pragmas carry nothing for us.
  }

  static std::string FirstWord(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && IsIdentChar(s[i])) ++i;
    return s.substr(0, i);
  }

  void OpenCond(bool value) {
    bool outer = Active();
    conds_.push_back(Cond{outer && value, outer && value, outer});
  }

  // #if takes a number, a macro naming a number, or defined(NAME), optionally negated.
  bool Evaluate(const std::string& expr, const std::string& file, int line) {
    std::string e = Trim(expr);
    if (!e.empty() && e[0] == '!') return !Evaluate(e.substr(1), file, line);
    if (e.rfind("defined", 0) == 0) {
      std::string arg = Trim(e.substr(7));
      if (!arg.empty() && arg.front() == '(' && arg.back() == ')')
        arg = Trim(arg.substr(1, arg.size() - 2));
      return defines_.count(arg) != 0;
    }
    if (!e.empty() && IsIdentStart(e[0])) {
      auto it = defines_.find(e);
      return it != defines_.end() && ++evalDepth_ < 16 && Evaluate(it->second, file, line);
    }
    char* end = nullptr;
    long long v = std::strtoll(e.c_str(), &end, 0);
    if (e.empty() || *end != '\0') Fail(file, line, "unsupported #if expression: " + expr);
    return v != 0;
  }

  std::vector<std::string> includeDirs_;
  std::map<std::string, std::string> defines_;
  std::set<std::string> expanding_;
  std::vector<Cond> conds_;
  TokenizeResult result_;
  int codePage_ = kCodePageWestern;
  int depth_ = 0;
  int evalDepth_ = 0;
};

}  // namespace

TokenizeResult Tokenize(const std::string& path, const std::vector<std::string>& includeDirs,
                        const std::map<std::string, std::string>& defines) {
  Tokenizer tokenizer(includeDirs, defines);
  tokenizer.ReadFile(path, false);
  Token end;
  end.file = path;
  auto result = tokenizer.Take();
  result.tokens.push_back(end);
  return result;
}

}  // namespace rc
