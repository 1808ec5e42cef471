#pragma once
// Writes the form tool's tree as a stored definition, every value with its own tag.
#include <cstdint>
#include <vector>

#include "tools/formtool/form_model.h"

namespace formtool {

std::vector<uint8_t> WriteBinary(const Document& doc);

}  // namespace formtool
