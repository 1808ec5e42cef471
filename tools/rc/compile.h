#pragma once
// Compiles a resource script into the resources a module carries.
#include <map>
#include <string>
#include <vector>

#include "tools/rc/resource.h"
#include "tools/rc/tokens.h"

namespace rc {

struct Options {
  std::vector<std::string> includeDirs;
  std::map<std::string, std::string> defines;
};

// Throws CompileError with "file:line: reason" on a bad script or a missing file.
Script Compile(const std::string& path, const Options& options);

}  // namespace rc
