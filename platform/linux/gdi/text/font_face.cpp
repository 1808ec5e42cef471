// Face look-up: the faces of the folder of Windows-compatible faces, read once through a
// small fontconfig configuration of that folder with a cache, then the system's fontconfig
// configuration, loaded only for a name that folder does not have; and a memo of answers.
#include "platform/linux/gdi/text/font_face.h"

#include <dirent.h>
#include <fontconfig/fontconfig.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
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

bool IsTrueTypeFile(const std::string& file) {
  return file.size() >= 4 && strcasecmp(file.c_str() + file.size() - 4, ".ttf") == 0;
}

// Text as XML character data.
std::string XmlText(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// The families and location of a fontconfig pattern, when it is a TrueType face: the
// folder's raster files repeat the same family names for other code pages and resolutions.
void AddTrueTypeFace(FcPattern* pattern, std::vector<FolderFace>& faces) {
  FolderFace face;
  face.location = Describe(pattern);
  if (face.location.file.empty() || !IsTrueTypeFile(face.location.file)) return;
  FcChar8* family = nullptr;
  for (int n = 0; FcPatternGetString(pattern, FC_FAMILY, n, &family) == FcResultMatch; ++n) {
    face.families.emplace_back(reinterpret_cast<const char*>(family));
  }
  faces.push_back(std::move(face));
}

// fontconfig's folder in the user's cache folder; empty when there is no such place.
std::string UserCacheFolder() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/fontconfig";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.cache/fontconfig";
  return std::string();
}

// Whether a cache can be kept there, making the folder if need be. fontconfig itself
// complains on the error stream for every process when it cannot write one.
bool CanWriteFolder(const std::string& folder) {
  if (folder.empty()) return false;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return std::filesystem::is_directory(folder, error) && access(folder.c_str(), W_OK) == 0;
}

// The folder's faces through a configuration of that folder alone: once its cache is
// written, no font file is opened.
std::vector<FolderFace> ReadThroughCache(const std::string& folder, const std::string& cache) {
  std::vector<FolderFace> faces;
  FcConfig* config = FcConfigCreate();
  if (!config) return faces;
  const std::string xml = "<fontconfig><dir>" + XmlText(folder) + "</dir><cachedir>" +
                          XmlText(cache) + "</cachedir></fontconfig>";
  if (FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(xml.c_str()),
                                     FcFalse) &&
      FcConfigBuildFonts(config)) {
    if (FcFontSet* set = FcConfigGetFonts(config, FcSetSystem)) {
      for (int i = 0; i < set->nfont; ++i) AddTrueTypeFace(set->fonts[i], faces);
    }
  }
  FcConfigDestroy(config);
  return faces;
}

// The folder's faces read from each TrueType file, for when no cache can be kept.
std::vector<FolderFace> QueryFiles(const std::string& folder) {
  std::vector<FolderFace> faces;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return faces;
  while (const dirent* entry = readdir(dir)) {
    const std::string file = folder + "/" + entry->d_name;
    if (!IsTrueTypeFile(file)) continue;
    FcFontSet* set = FcFontSetCreate();
    if (!set) continue;
    int count = 0;
    FcFreeTypeQueryAll(reinterpret_cast<const FcChar8*>(file.c_str()), -1, nullptr, &count, set);
    for (int i = 0; i < set->nfont; ++i) AddTrueTypeFace(set->fonts[i], faces);
    FcFontSetDestroy(set);
  }
  closedir(dir);
  return faces;
}

// The folder's faces are matched by family name before the system configuration is asked,
// because that configuration rejects bitmap-only faces such as "MS Sans Serif" and would
// cost the full font set's load (several milliseconds) on every process's first text.
struct Finder {
  std::mutex lock;
  std::vector<FolderFace> known;
  FcConfig* config = nullptr;  // the system's, made on the first name the folder lacks
  bool configTried = false;
  std::map<std::tuple<std::string, bool, bool>, FaceLocation> found;

  Finder() : known(ReadFolderFaces(kCompatibleFontFolder, std::string())) {}
  ~Finder() {
    if (config) FcConfigDestroy(config);
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
      config = FcInitLoadConfigAndFonts();
      if (config) {
        FcConfigAppFontAddDir(config, reinterpret_cast<const FcChar8*>(kCompatibleFontFolder));
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

std::vector<FolderFace> ReadFolderFaces(const std::string& folder, const std::string& cacheFolder) {
  const std::string cache = cacheFolder.empty() ? UserCacheFolder() : cacheFolder;
  std::vector<FolderFace> faces =
      CanWriteFolder(cache) ? ReadThroughCache(folder, cache) : QueryFiles(folder);
  // A fixed order, so that of two files with the same family and style the same one wins
  // wherever the folder lies.
  std::sort(faces.begin(), faces.end(), [](const FolderFace& a, const FolderFace& b) {
    return std::tie(a.location.file, a.location.index) <
           std::tie(b.location.file, b.location.index);
  });
  return faces;
}

}  // namespace gdi_text
