// Face look-up: one fontconfig configuration for the process, with the folder of the
// Windows-compatible faces added, and a memo of earlier answers.
#include "platform/linux/gdi/text/font_face.h"

#include <dirent.h>
#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <map>
#include <mutex>
#include <tuple>
#include <vector>

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

// A face of the compatible folder. They are matched by family name before fontconfig is
// asked, because the system configuration rejects bitmap-only faces such as
// "MS Sans Serif".
struct KnownFace {
  std::vector<std::string> families;
  FaceLocation location;
};

std::vector<KnownFace> ScanFolder(const char* folder) {
  std::vector<KnownFace> faces;
  DIR* dir = opendir(folder);
  if (!dir) return faces;
  while (const dirent* entry = readdir(dir)) {
    // Only the TrueType files: the folder's raster files repeat the same family names
    // for other code pages and resolutions.
    const std::string name = entry->d_name;
    if (name.size() < 4 || strcasecmp(name.c_str() + name.size() - 4, ".ttf") != 0) continue;
    const std::string file = std::string(folder) + "/" + name;
    FcFontSet* set = FcFontSetCreate();
    int count = 0;
    FcFreeTypeQueryAll(reinterpret_cast<const FcChar8*>(file.c_str()), -1, nullptr, &count, set);
    for (int i = 0; i < set->nfont; ++i) {
      KnownFace face;
      face.location = Describe(set->fonts[i]);
      FcChar8* family = nullptr;
      for (int n = 0; FcPatternGetString(set->fonts[i], FC_FAMILY, n, &family) == FcResultMatch;
           ++n) {
        face.families.emplace_back(reinterpret_cast<const char*>(family));
      }
      if (!face.location.file.empty()) faces.push_back(std::move(face));
    }
    FcFontSetDestroy(set);
  }
  closedir(dir);
  return faces;
}

struct Finder {
  std::mutex lock;
  FcConfig* config = nullptr;
  std::vector<KnownFace> known;
  std::map<std::tuple<std::string, bool, bool>, FaceLocation> found;

  Finder() : known(ScanFolder(kCompatibleFontFolder)) {
    config = FcInitLoadConfigAndFonts();
    if (config) {
      FcConfigAppFontAddDir(config, reinterpret_cast<const FcChar8*>(kCompatibleFontFolder));
    }
  }
  ~Finder() {
    if (config) FcConfigDestroy(config);
  }
  Finder(const Finder&) = delete;
  Finder& operator=(const Finder&) = delete;

  // The compatible face of that family closest in style, if there is one.
  const FaceLocation* MatchKnown(const std::string& name, bool bold, bool italic) const {
    const FaceLocation* best = nullptr;
    int bestScore = -1;
    for (const KnownFace& face : known) {
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

  FaceLocation Match(const std::string& name, bool bold, bool italic) const {
    if (const FaceLocation* face = MatchKnown(name, bold, italic)) return *face;
    FaceLocation location;
    if (!config) return location;
    FcPattern* pattern = FcPatternCreate();
    if (!name.empty()) {
      FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    }
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
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

}  // namespace gdi_text
