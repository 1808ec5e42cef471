// Loading the system's fontconfig configuration by hand: fontconfig follows relative
// includes through FONTCONFIG_PATH, so includes are taken out of each file and followed
// here; and a font folder without a valid cache leaves the system's fonts out rather than
// have fontconfig scan the folder and write a cache.
#include "platform/linux/gdi/text/system_font_config.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace gdi_text {
namespace {

namespace fs = std::filesystem;

constexpr const char* kConfigFolder = "/etc/fonts";
constexpr const char* kConfigFile = "/etc/fonts/fonts.conf";
constexpr int kMaxIncludeDepth = 8;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Trimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::string();
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// A file's text without its include elements, and the paths those name: relative ones
// from the system's folder; the user's (prefix="xdg", ~) left out.
std::string TakeIncludes(const std::string& text, std::vector<std::string>& includes) {
  static constexpr std::string_view kClose = "</include>";
  std::string kept;
  size_t at = 0;
  for (;;) {
    const size_t comment = text.find("<!--", at);
    const size_t include = text.find("<include", at);
    if (include == std::string::npos) break;
    if (comment < include) {
      const size_t end = text.find("-->", comment);
      if (end == std::string::npos) break;
      kept.append(text, at, end + 3 - at);
      at = end + 3;
      continue;
    }
    const size_t open = text.find('>', include);
    const size_t close = open == std::string::npos ? open : text.find(kClose, open);
    if (close == std::string::npos) break;
    const std::string attributes = text.substr(include, open - include);
    const std::string target = Trimmed(text.substr(open + 1, close - open - 1));
    kept.append(text, at, include - at);
    at = close + kClose.size();
    if (attributes.find("prefix") != std::string::npos || target.empty() || target[0] == '~') {
      continue;
    }
    includes.push_back(target[0] == '/' ? target : std::string(kConfigFolder) + "/" + target);
  }
  kept.append(text, at);
  return kept;
}

// A configuration file, or each numbered .conf file of a folder in name order, as
// fontconfig loads them, each include after the rest of its file (the system's files
// place no rule after one).
void LoadRules(FcConfig* config, const std::string& path, int depth) {
  if (depth > kMaxIncludeDepth) return;
  std::error_code error;
  if (fs::is_directory(path, error)) {
    std::vector<std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(path, error)) {
      const std::string name = entry.path().filename().string();
      if (name.size() > 5 && name[0] >= '0' && name[0] <= '9' && name.ends_with(".conf")) {
        files.push_back(entry.path().string());
      }
    }
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) LoadRules(config, file, depth + 1);
    return;
  }
  const std::string text = ReadText(path);
  if (text.empty()) return;
  std::vector<std::string> includes;
  const std::string kept = TakeIncludes(text, includes);
  FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(kept.c_str()), FcFalse);
  for (const std::string& include : includes) LoadRules(config, include, depth + 1);
}

// Whether the folder, and every folder below it, has a cache fontconfig takes (a missing
// folder needs none). The caches loaded are kept, so the build maps each once.
bool Cached(FcConfig* config, const FcChar8* folder, std::vector<FcCache*>& caches) {
  std::error_code error;
  if (!fs::exists(reinterpret_cast<const char*>(folder), error)) return true;
  FcCache* cache = FcDirCacheLoad(folder, config, nullptr);
  if (!cache) return false;
  caches.push_back(cache);
  for (int i = 0; i < FcCacheNumSubdir(cache); ++i) {
    if (!Cached(config, FcCacheSubdir(cache, i), caches)) return false;
  }
  return true;
}

}  // namespace

FcConfig* LoadSystemFontConfig() {
  FcConfigEnableHome(FcFalse);
  FcConfig* config = FcConfigCreate();
  if (!config) return nullptr;
  FcConfigSetSysRoot(config, nullptr);
  LoadRules(config, kConfigFile, 0);
  std::vector<FcCache*> caches;
  bool cached = true;
  if (FcStrList* folders = FcConfigGetFontDirs(config)) {
    while (const FcChar8* folder = FcStrListNext(folders)) {
      if (!Cached(config, folder, caches)) {
        cached = false;
        break;
      }
    }
    FcStrListDone(folders);
  }
  if (cached) FcConfigBuildFonts(config);
  for (FcCache* cache : caches) FcDirCacheUnload(cache);
  return config;
}

}  // namespace gdi_text
