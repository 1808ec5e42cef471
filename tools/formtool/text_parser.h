#pragma once
// Reads the text form (see README.md) into the form tool's tree. Errors are
// FormErrors whose message starts with "line N: ".
#include <functional>
#include <string>
#include <string_view>

#include "tools/formtool/form_model.h"

namespace formtool {

// Returns the bytes of the file a `file(...)`, `graphic(...)` or `jpeg(...)` value
// names; throws FormError (without a line; the parser adds it) when it cannot.
using FileLoader = std::function<std::string(const std::string& path)>;

Document ParseText(std::string_view text, const FileLoader& loadFile);

}  // namespace formtool
