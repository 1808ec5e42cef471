#pragma once
// Writes the form tool's tree as text in the form syntax (see README.md). A tag
// that the plain notation would choose anyway is left implicit; any other tag is
// spelled out, so compiling the text gives back the same bytes.
#include <cstddef>
#include <functional>
#include <string>

#include "tools/formtool/form_model.h"

namespace formtool {

struct PrintOptions {
  // Binary blocks up to this size are written inline as hex.
  size_t inlineLimit = 1024;
  // Stores a larger block in a file of its own and returns the path the text
  // names it by. `extension` suggests the kind (".jpg", ".bmp", ".bin").
  std::function<std::string(const std::string& data, const std::string& extension)> storeFile;
};

std::string PrintText(const Document& doc, const PrintOptions& options);

// Helpers shared with the parser's notion of what a bare word may be.
bool IsReservedWord(std::string_view word);
bool IsBareWord(std::string_view text, bool allowDots);

}  // namespace formtool
