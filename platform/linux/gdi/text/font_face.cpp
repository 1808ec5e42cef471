// Face look-up: the faces of the folder of Windows-compatible faces, read from their name
// tables on the first request; then the system's fontconfig configuration, loaded only for
// a name that folder does not have; and a memo of answers.
#include "platform/linux/gdi/text/font_face.h"

#include <dirent.h>
#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <tuple>
#include <vector>

#include "platform/linux/gdi/text/system_font_config.h"
#include "platform/linux/gdi/text/truetype_names.h"

namespace gdi_text {
namespace {

// Where Debian's package of Windows-compatible faces installs them; fontconfig does not
// index it by default.
constexpr const char* kCompatibleFontFolder = "/usr/share/wine/fonts";

// The file, index and style of a fontconfig pattern.
FaceLocation Describe(FcPattern* pattern) {
  FaceLocation location;
  FcChar8* file = nullptr;
  if (FcPatternGetString(pattern, FC_FILE, 0, &file) != FcResultMatch || !file) return location;
  location.file = reinterpret_cast<const char*>(file);
  int index = 0;
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
  if (FcPatternGetInteger(pattern, FC_INDEX, 0, &index) == FcResultMatch) location.index = index;
  FcPatternGetInteger(pattern, FC_WEIGHT, 0, &weight);
  FcPatternGetInteger(pattern, FC_SLANT, 0, &slant);
  location.bold = weight >= FC_WEIGHT_DEMIBOLD;
  location.italic = slant != FC_SLANT_ROMAN;
  return location;
}

// Answers remembered; names come from callers, so the memo is bounded.
constexpr size_t kRememberedNames = 256;

bool IsTrueTypeFile(const std::string& file) {
  return file.size() >= 4 && strcasecmp(file.c_str() + file.size() - 4, ".ttf") == 0;
}

// The outline faces of a file, for fontconfig to substitute from beside the system's: a
// bitmap-only face answers its own name only, as the system's configuration rejects such
// faces. Read from the file (a folder given to fontconfig would be scanned and its cache
// written).
void AddOutlineFaces(const std::string& file, FcFontSet* set) {
  FcFontSet* all = FcFontSetCreate();
  if (!all) return;
  int count = 0;
  FcFreeTypeQueryAll(reinterpret_cast<const FcChar8*>(file.c_str()), -1, nullptr, &count, all);
  for (int i = 0; i < all->nfont; ++i) {
    FcPattern* face = all->fonts[i];
    FcBool scalable = FcFalse;
    FcPatternGetBool(face, FC_SCALABLE, 0, &scalable);
    if (!scalable) continue;
    FcPatternReference(face);
    if (!FcFontSetAdd(set, face)) FcPatternDestroy(face);
  }
  FcFontSetDestroy(all);
}

// The folder's faces are matched by family name before the system configuration is asked,
// because that configuration rejects bitmap-only faces such as "MS Sans Serif" and would
// cost the full font set's load (several milliseconds) on every process's first text.
struct Finder {
  std::mutex lock;
  std::vector<FolderFace> known;
  FcConfig* config = nullptr;      // the system's, made on the first name the folder lacks
  FcFontSet* folderSet = nullptr;  // with it, the folder's outline faces
  bool configTried = false;
  std::map<std::tuple<std::string, bool, bool>, FaceLocation> found;

  Finder() : known(ReadFolderFaces(kCompatibleFontFolder)) {}
  ~Finder() {
    if (config) FcConfigDestroy(config);
    if (folderSet) FcFontSetDestroy(folderSet);
  }
  Finder(const Finder&) = delete;
  Finder& operator=(const Finder&) = delete;

  // The compatible face of that family closest in style, if there is one.
  const FaceLocation* MatchKnown(const std::string& name, bool bold, bool italic) const {
    const FaceLocation* best = nullptr;
    int bestScore = -1;
    for (const FolderFace& face : known) {
      for (const std::string& family : face.families) {
        if (strcasecmp(family.c_str(), name.c_str()) != 0) continue;
        const int score =
            (face.location.bold == bold ? 2 : 0) + (face.location.italic == italic ? 1 : 0);
        if (score > bestScore) {
          bestScore = score;
          best = &face.location;
        }
      }
    }
    return best;
  }

  FcConfig* SystemConfig() {
    if (!configTried) {
      configTried = true;
      config = LoadSystemFontConfig();
      folderSet = FcFontSetCreate();
      std::set<std::string> files;
      for (const FolderFace& face : known) files.insert(face.location.file);
      for (const std::string& file : files) {
        if (folderSet) AddOutlineFaces(file, folderSet);
      }
    }
    return config;
  }

  FaceLocation Match(const std::string& name, bool bold, bool italic) {
    if (const FaceLocation* face = MatchKnown(name, bold, italic)) return *face;
    FaceLocation location;
    FcConfig* config = SystemConfig();
    if (!config) return location;
    FcPattern* pattern = FcPatternCreate();
    if (!name.empty()) {
      FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    }
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcFontSet* sets[2];
    int count = 0;
    if (FcFontSet* system = FcConfigGetFonts(config, FcSetSystem)) sets[count++] = system;
    if (folderSet && folderSet->nfont > 0) sets[count++] = folderSet;
    FcResult result = FcResultNoMatch;
    FcPattern* match = count > 0 ? FcFontSetMatch(config, sets, count, pattern, &result) : nullptr;
    FcPatternDestroy(pattern);
    if (!match) return location;
    location = Describe(match);
    FcPatternDestroy(match);
    return location;
  }
};

Finder& TheFinder() {
  static Finder finder;
  return finder;
}

}  // namespace

FaceLocation FindFace(const std::string& name, bool bold, bool italic) {
  Finder& finder = TheFinder();
  std::lock_guard guard(finder.lock);
  auto key = std::make_tuple(name, bold, italic);
  auto it = finder.found.find(key);
  if (it != finder.found.end()) return it->second;
  FaceLocation location = finder.Match(name, bold, italic);
  if (finder.found.size() >= kRememberedNames) finder.found.clear();
  finder.found.emplace(std::move(key), location);
  return location;
}

std::vector<FolderFace> ReadFolderFaces(const std::string& folder) {
  std::vector<FolderFace> faces;
  if (DIR* dir = opendir(folder.c_str())) {
    // The raster files repeat the TrueType faces' family names for other code pages and
    // resolutions: only the TrueType ones are taken.
    while (const dirent* entry = readdir(dir)) {
      const std::string file = folder + "/" + entry->d_name;
      if (!IsTrueTypeFile(file)) continue;
      for (NamedFace& named : ReadNamedFaces(file)) {
        FolderFace face;
        face.families = std::move(named.families);
        face.location = {file, named.index, named.bold, named.italic};
        faces.push_back(std::move(face));
      }
    }
    closedir(dir);
  }
  // A fixed order, so that of two files with the same family and style the same one wins
  // wherever the folder lies.
  std::sort(faces.begin(), faces.end(), [](const FolderFace& a, const FolderFace& b) {
    return std::tie(a.location.file, a.location.index) <
           std::tie(b.location.file, b.location.index);
  });
  return faces;
}

}  // namespace gdi_text
