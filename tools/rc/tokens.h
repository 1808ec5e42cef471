#pragma once
// Reads a resource script with its includes into tokens, running the small preprocessor
// subset scripts use: #include, #define/#undef of object-like macros, #ifdef/#ifndef/#if/
// #elif/#else/#endif, and #pragma code_page.
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace rc {

struct Token {
  enum Kind { kIdentifier, kNumber, kString, kPunct, kEnd } kind = kEnd;
  std::string text;         // identifier, punctuation, or the decoded bytes of a string
  std::u16string wideText;  // a wide string's units (escapes may name any unit)
  bool wide = false;
  long long value = 0;  // numbers
  bool longSuffix = false;
  int codePage = 0;  // code page in force where a string was written
  std::string file;  // the directory of this file is searched first for data files
  int line = 0;
};

class CompileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TokenizeResult {
  std::vector<Token> tokens;
  std::vector<std::string> inputs;
};

TokenizeResult Tokenize(const std::string& path, const std::vector<std::string>& includeDirs,
                        const std::map<std::string, std::string>& defines);

// Finds a file as the resource compiler does: beside the referring file, then in each
// include directory. Returns "" when absent.
std::string FindFile(const std::string& name, const std::string& referringFile,
                     const std::vector<std::string>& includeDirs);

}  // namespace rc
