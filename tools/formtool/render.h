#pragma once
// formtool render: reads a compiled window definition into the launcher's real window
// class, shows it on the headless display driver and writes what it shows as a PNG.
#include <ostream>
#include <string>

namespace formtool {

// Renders the stream in `input` into `output` (status 0), or prints one line naming
// what went wrong to `err` (status 1) and leaves no output file. Runs the launcher's
// module start-ups, so a process renders once.
int RenderStream(const std::string& input, const std::string& output, std::ostream& err);

}  // namespace formtool
