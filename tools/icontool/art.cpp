#include "tools/icontool/art.h"

#include <sstream>

namespace icontool {
namespace {

constexpr const char* kCursorPixels = ".#o~";

[[noreturn]] void Fail(int line, const std::string& what) {
  throw ArtError("line " + std::to_string(line) + ": " + what);
}

int Number(std::istringstream& words, int line, const char* what) {
  int value = -1;
  if (!(words >> value) || value < 0) Fail(line, std::string("expected ") + what);
  return value;
}

void CheckPixels(const ArtImage& image, const Art& art, ArtKind kind, int firstLine) {
  for (size_t y = 0; y < image.rows.size(); ++y) {
    const std::string& row = image.rows[y];
    const int line = firstLine + static_cast<int>(y);
    if (static_cast<int>(row.size()) != image.width)
      Fail(line,
           "row is " + std::to_string(row.size()) + " pixels, not " + std::to_string(image.width));
    for (char c : row) {
      bool known = kind == ArtKind::kCursor
                       ? std::string(kCursorPixels).find(c) != std::string::npos
                       : c == '.' || art.colours.count(c) != 0;
      if (!known) Fail(line, std::string("unknown pixel '") + c + "'");
    }
  }
}

}  // namespace

Art ParseArt(const std::string& text, ArtKind kind) {
  Art art;
  std::istringstream in(text);
  std::string raw;
  int line = 0;
  int imageLine = 0;
  auto finishImage = [&] {
    if (art.images.empty()) return;
    const ArtImage& last = art.images.back();
    if (static_cast<int>(last.rows.size()) != last.height)
      Fail(line, "image has " + std::to_string(last.rows.size()) + " rows, not " +
                     std::to_string(last.height));
    CheckPixels(last, art, kind, imageLine + 1);
  };
  while (std::getline(in, raw)) {
    ++line;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (!art.images.empty() &&
        static_cast<int>(art.images.back().rows.size()) < art.images.back().height) {
      art.images.back().rows.push_back(raw);
      continue;
    }
    std::istringstream words(raw);
    std::string keyword;
    if (!(words >> keyword) || keyword[0] == '#') continue;
    if (keyword == "colour") {
      std::string letter, hex;
      if (!(words >> letter >> hex) || letter.size() != 1 || letter == "." || hex.size() != 6 ||
          hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        Fail(line, "expected: colour <letter> RRGGBB");
      if (kind == ArtKind::kCursor) Fail(line, "cursors are black and white");
      art.colours[letter[0]] = static_cast<uint32_t>(std::stoul(hex, nullptr, 16));
    } else if (keyword == "image") {
      finishImage();
      ArtImage image;
      image.width = Number(words, line, "a width");
      image.height = Number(words, line, "a height");
      if (image.width < 1 || image.width > 256 || image.height < 1 || image.height > 256)
        Fail(line, "sizes run from 1 to 256");
      std::string hot;
      if (words >> hot) {
        if (hot != "hotspot" || kind != ArtKind::kCursor) Fail(line, "unexpected '" + hot + "'");
        image.hotX = Number(words, line, "a hot spot x");
        image.hotY = Number(words, line, "a hot spot y");
        if (image.hotX >= image.width || image.hotY >= image.height)
          Fail(line, "hot spot outside the image");
      }
      imageLine = line;
      art.images.push_back(std::move(image));
    } else {
      Fail(line, "unknown keyword '" + keyword + "'");
    }
  }
  finishImage();
  if (art.images.empty()) Fail(line, "no image");
  return art;
}

}  // namespace icontool
