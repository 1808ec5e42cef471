#include "tools/rc/icon_files.h"

#include <stdexcept>

namespace rc {
namespace {

uint16_t Word(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}
uint32_t Dword(const std::vector<uint8_t>& b, size_t at) {
  return Word(b, at) | static_cast<uint32_t>(Word(b, at + 2)) << 16;
}
void PutWord(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void PutDword(std::vector<uint8_t>& b, uint32_t v) {
  PutWord(b, v & 0xFFFF);
  PutWord(b, v >> 16);
}

}  // namespace

// File: reserved WORD 0, type WORD (1 icon, 2 cursor), count WORD, then 16-byte entries
// {width, height, colours, reserved, planes-or-hotspot-x, bits-or-hotspot-y, size, offset}.
// A group entry is 14 bytes and names its image by id instead of an offset. For cursors
// the group gives width, twice the height (image plus mask), one plane and one bit, and
// each image starts with its hotspot.
void AddIconGroup(const std::vector<uint8_t>& file, bool isCursor, const ResId& name,
                  uint16_t language, uint16_t* nextImageId, std::vector<Resource>* out) {
  const uint16_t kind = isCursor ? 2 : 1;
  if (file.size() < 6 || Word(file, 0) != 0 || Word(file, 2) != kind)
    throw std::runtime_error(isCursor ? "not a cursor file" : "not an icon file");
  uint16_t count = Word(file, 4);
  if (count == 0) throw std::runtime_error("no images");
  if (file.size() < 6 + 16u * count) throw std::runtime_error("truncated directory");

  Resource group;
  group.type = ResId::Number(isCursor ? kRtGroupCursor : kRtGroupIcon);
  group.name = name;
  group.language = language;
  PutWord(group.data, 0);
  PutWord(group.data, kind);
  PutWord(group.data, count);

  for (uint16_t i = 0; i < count; ++i) {
    size_t entry = 6 + 16u * i;
    uint8_t width = file[entry], height = file[entry + 1], colours = file[entry + 2];
    uint16_t planesOrX = Word(file, entry + 4), bitsOrY = Word(file, entry + 6);
    uint32_t size = Dword(file, entry + 8), offset = Dword(file, entry + 12);
    if (offset > file.size() || size > file.size() - offset)
      throw std::runtime_error("image " + std::to_string(i) + " lies outside the file");
    if (*nextImageId == 0) throw std::runtime_error("too many images");
    uint16_t id = (*nextImageId)++;

    Resource image;
    image.type = ResId::Number(isCursor ? kRtCursor : kRtIcon);
    image.name = ResId::Number(id);
    image.language = language;
    if (isCursor) {
      PutWord(image.data, planesOrX);
      PutWord(image.data, bitsOrY);
    }
    image.data.insert(image.data.end(), file.begin() + offset, file.begin() + offset + size);
    uint32_t stored = static_cast<uint32_t>(image.data.size());
    out->push_back(std::move(image));

    if (isCursor) {
      PutWord(group.data, width);
      PutWord(group.data, height * 2u);
      PutWord(group.data, 1);
      PutWord(group.data, 1);
    } else {
      group.data.push_back(width);
      group.data.push_back(height);
      group.data.push_back(colours);
      group.data.push_back(0);
      PutWord(group.data, planesOrX ? planesOrX : 1);
      PutWord(group.data, bitsOrY);
    }
    PutDword(group.data, stored);
    PutWord(group.data, id);
  }
  out->push_back(std::move(group));
}

}  // namespace rc
