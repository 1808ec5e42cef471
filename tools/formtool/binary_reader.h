#pragma once
// Reads a stored definition into the form tool's tree. Every read is bounds-checked
// and nesting is capped, so truncated or hostile input ends in a FormError naming
// the byte offset, never in a crash.
#include <string_view>

#include "tools/formtool/form_model.h"

namespace formtool {

// Components, lists and collections nested deeper than this are refused.
inline constexpr int kMaxNesting = 200;

Document ReadBinary(std::string_view data);

}  // namespace formtool
