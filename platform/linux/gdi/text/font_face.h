#pragma once
// Finding the font file for a face name through fontconfig.
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
// to whatever the system's fontconfig substitutes, so the answer is empty only when no font
// is installed.
FaceLocation FindFace(const std::string& name, bool bold, bool italic);

// A TrueType face of a font folder and every family name it answers to.
struct FolderFace {
  std::vector<std::string> families;
  FaceLocation location;
};

// The TrueType faces of a folder, ordered by file name and face index, read through a
// fontconfig configuration of that folder alone. Its cache is kept in `cacheFolder`, or
// when that is empty in fontconfig's folder of the user's cache folder ($XDG_CACHE_HOME or
// ~/.cache). Where no cache can be written, each TrueType file of the folder is read.
std::vector<FolderFace> ReadFolderFaces(const std::string& folder, const std::string& cacheFolder);

}  // namespace gdi_text
