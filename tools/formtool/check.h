#pragma once
// formtool check: reads a compiled window definition into the real control classes.
#include <ostream>
#include <string>

namespace formtool {

// Reads the stream stored in `path` into a new CheckForm, without showing anything, and
// prints each component with its class and parent (status 0), or the class and exact
// message of the exception that stopped the read (status 1).
int CheckStream(const std::string& path, std::ostream& out);

}  // namespace formtool
