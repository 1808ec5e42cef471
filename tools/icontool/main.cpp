// Turns a cursor or icon drawing kept as text into the .cur or .ico file a resource
// script names.
//   icontool cursor|icon input.txt output
#include <fstream>
#include <iostream>
#include <iterator>

#include "tools/icontool/encode.h"

int main(int argc, char** argv) {
  if (argc != 4 || (std::string(argv[1]) != "cursor" && std::string(argv[1]) != "icon")) {
    std::cerr << "usage: icontool cursor|icon input.txt output\n";
    return 2;
  }
  const bool cursor = std::string(argv[1]) == "cursor";
  std::ifstream in(argv[2], std::ios::binary);
  if (!in) {
    std::cerr << argv[2] << ": cannot read\n";
    return 1;
  }
  std::string text((std::istreambuf_iterator<char>(in)), {});
  std::vector<uint8_t> file;
  try {
    icontool::Art art =
        icontool::ParseArt(text, cursor ? icontool::ArtKind::kCursor : icontool::ArtKind::kIcon);
    file = cursor ? icontool::EncodeCursor(art) : icontool::EncodeIcon(art);
  } catch (const icontool::ArtError& e) {
    std::cerr << argv[2] << ": " << e.what() << "\n";
    return 1;
  }
  // Written through a temporary so an interrupted run never leaves a half file behind.
  const std::string temp = std::string(argv[3]) + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    if (!out) {
      std::cerr << argv[3] << ": cannot write\n";
      return 1;
    }
  }
  if (std::rename(temp.c_str(), argv[3]) != 0) {
    std::cerr << argv[3] << ": cannot write\n";
    return 1;
  }
  return 0;
}
