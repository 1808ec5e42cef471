#pragma once
// The family names and style of the faces of a TrueType or OpenType file, read from its
// tables with a few small reads, without loading the font.
#include <string>
#include <vector>

namespace gdi_text {

struct NamedFace {
  int index = 0;                      // in a collection; 0 in a single-face file
  std::vector<std::string> families;  // UTF-8, every language, the preferred names first
  bool bold = false;                  // weight class 600 or more
  bool italic = false;
};

// The faces of the file; empty when it cannot be read or is no TrueType or OpenType file.
std::vector<NamedFace> ReadNamedFaces(const std::string& file);

}  // namespace gdi_text
