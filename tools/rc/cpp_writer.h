#pragma once
// Writes compiled resources as a C++ source that hands its table to the Linux platform
// layer when the program starts.
#include <ostream>
#include <string>

#include "tools/rc/resource.h"

namespace rc {

void WriteCpp(const Script& script, const std::string& sourceName, std::ostream& out);

}  // namespace rc
