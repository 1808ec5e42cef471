#pragma once
// Finding the font file for a face name: the folder of Windows-compatible faces, then
// the system's fonts through fontconfig.
#include <string>
#include <vector>

namespace gdi_text {

// A face inside a font file (collections hold several).
struct FaceLocation {
  std::string file;
  int index = 0;
  bool bold = false;    // the face itself is bold (else boldness must be synthesised)
  bool italic = false;  // likewise for slant
};

// The file for a face name and style. The faces of the folder of Windows-compatible faces
// ("Tahoma", "MS Sans Serif") are matched by family name first; any other name falls back
// to whatever the system's fontconfig configuration substitutes, so the answer is empty
// only when no font is installed. Neither writes a file nor reads the user's configuration.
FaceLocation FindFace(const std::string& name, bool bold, bool italic);

// A TrueType face of a font folder and every family name it answers to.
struct FolderFace {
  std::vector<std::string> families;
  FaceLocation location;
};

// The TrueType faces of a folder, ordered by file name and face index, read from the
// files' name tables: nothing is written, and no font is loaded.
std::vector<FolderFace> ReadFolderFaces(const std::string& folder);

}  // namespace gdi_text
