// Turns a cursor or icon drawing kept as text into the .cur or .ico file a resource
// script names, or writes every image of an .ico file as <dir>/<W>x<H>/apps/<name>.png
// (the icon theme's layout).
//   icontool cursor|icon input.txt output
//   icontool png input.ico dir name
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "tools/icontool/decode.h"
#include "tools/icontool/encode.h"
#include "tools/icontool/png.h"

namespace {

bool ReadFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << path << ": cannot read\n";
    return false;
  }
  text.assign(std::istreambuf_iterator<char>(in), {});
  return true;
}

// Written through a temporary so an interrupted run never leaves a half file behind.
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::cerr << path << ": cannot write\n";
      return false;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::cerr << path << ": cannot write\n";
    return false;
  }
  return true;
}

int WritePngs(const std::string& input, const std::filesystem::path& dir, const std::string& name) {
  std::string text;
  if (!ReadFile(input, text)) return 1;
  try {
    for (const icontool::IconImage& image :
         icontool::DecodeIcon(std::vector<uint8_t>(text.begin(), text.end()))) {
      const std::filesystem::path folder =
          dir / (std::to_string(image.width) + "x" + std::to_string(image.height)) / "apps";
      std::filesystem::create_directories(folder);
      if (!WriteFile((folder / (name + ".png")).string(), icontool::EncodePng(image))) return 1;
    }
  } catch (const icontool::IconError& e) {
    std::cerr << input << ": " << e.what() << "\n";
    return 1;
  } catch (const std::filesystem::filesystem_error& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "png" && argc == 5) return WritePngs(argv[2], argv[3], argv[4]);
  if (argc != 4 || (mode != "cursor" && mode != "icon")) {
    std::cerr << "usage: icontool cursor|icon input.txt output\n"
                 "       icontool png input.ico dir name\n";
    return 2;
  }
  const bool cursor = mode == "cursor";
  std::string text;
  if (!ReadFile(argv[2], text)) return 1;
  std::vector<uint8_t> file;
  try {
    icontool::Art art =
        icontool::ParseArt(text, cursor ? icontool::ArtKind::kCursor : icontool::ArtKind::kIcon);
    file = cursor ? icontool::EncodeCursor(art) : icontool::EncodeIcon(art);
  } catch (const icontool::ArtError& e) {
    std::cerr << argv[2] << ": " << e.what() << "\n";
    return 1;
  }
  return WriteFile(argv[3], file) ? 0 : 1;
}
