#pragma once
// Finding the font file for a face name through fontconfig.
#include <string>

namespace gdi_text {

// A face inside a font file (collections hold several).
struct FaceLocation {
  std::string file;
  int index = 0;
  bool bold = false;    // the face itself is bold (else boldness must be synthesised)
  bool italic = false;  // likewise for slant
};

// The file for a face name and style. The folder with the Windows-compatible faces
// ("Tahoma", "MS Sans Serif") is added to the configuration; any other name falls back to
// whatever fontconfig substitutes, so the answer is empty only when no font is installed.
FaceLocation FindFace(const std::string& name, bool bold, bool italic);

}  // namespace gdi_text
