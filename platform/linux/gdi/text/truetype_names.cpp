// TrueType tables read by hand: the font directory, 'name' for the family and style names,
// 'OS/2' and 'head' for weight and slant. The names and style are taken as fontconfig takes
// them, so a face found here answers the same requests as the one fontconfig would list.
#include "platform/linux/gdi/text/truetype_names.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <tuple>

namespace gdi_text {
namespace {

using Bytes = std::vector<unsigned char>;

// Bounds against a corrupt file: no font needs more.
constexpr uint32_t kMaxFaces = 64;
constexpr uint32_t kMaxTables = 256;
constexpr uint32_t kMaxNameTable = 1u << 20;

class File {
 public:
  explicit File(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~File() {
    if (fd_ >= 0) close(fd_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  bool Open() const { return fd_ >= 0; }
  // Exactly `size` bytes at `offset`, or an empty answer.
  Bytes Read(uint32_t offset, uint32_t size) const {
    Bytes bytes(size);
    if (size == 0 || pread(fd_, bytes.data(), size, offset) != static_cast<ssize_t>(size)) {
      bytes.clear();
    }
    return bytes;
  }

 private:
  int fd_;
};

uint16_t U16(const Bytes& b, size_t at) {
  return at + 2 <= b.size() ? static_cast<uint16_t>(b[at] << 8 | b[at + 1]) : 0;
}
uint32_t U32(const Bytes& b, size_t at) {
  return at + 4 <= b.size() ? uint32_t{U16(b, at)} << 16 | U16(b, at + 2) : 0;
}
constexpr uint32_t Tag(const char (&t)[5]) {
  return uint32_t(uint8_t(t[0])) << 24 | uint32_t(uint8_t(t[1])) << 16 |
         uint32_t(uint8_t(t[2])) << 8 | uint8_t(t[3]);
}

void AppendUtf8(uint32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// A name record's text as UTF-8: UTF-16 for the Unicode and Windows platforms and ISO
// 10646, plain ASCII for the byte encodings; false for the others (the same names come in
// Windows' encoding too in every face worth finding).
bool DecodeName(uint16_t platform, uint16_t encoding, const unsigned char* p, size_t n,
                std::string& out) {
  const bool utf16 = platform == 0 || (platform == 3 && (encoding <= 1 || encoding == 10)) ||
                     (platform == 2 && encoding == 1);
  if (utf16) {
    for (size_t i = 0; i + 1 < n; i += 2) {
      uint32_t c = static_cast<uint32_t>(p[i] << 8 | p[i + 1]);
      if (c >= 0xD800 && c < 0xDC00 && i + 3 < n) {
        const uint32_t low = static_cast<uint32_t>(p[i + 2] << 8 | p[i + 3]);
        if (low >= 0xDC00 && low < 0xE000) {
          c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
          i += 2;
        }
      }
      AppendUtf8(c, out);
    }
    return true;
  }
  const bool bytes = (platform == 1 && encoding == 0) || (platform == 2 && encoding != 1);
  if (!bytes || std::any_of(p, p + n, [](unsigned char c) { return c >= 0x80; })) return false;
  out.assign(reinterpret_cast<const char*>(p), n);
  return true;
}

std::string Trimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

bool ContainsSlantWord(std::string style) {
  style.erase(std::remove(style.begin(), style.end(), ' '), style.end());
  std::transform(style.begin(), style.end(), style.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return style.find("italic") != std::string::npos || style.find("kursiv") != std::string::npos ||
         style.find("oblique") != std::string::npos;
}

struct NameRecord {
  uint16_t platform, encoding, language, id, length, offset;
};

// The family names (typographic ones before the legacy family) and whether a style name
// says italic, from the 'name' table. Platforms in the order Windows, Unicode, Macintosh,
// ISO; within each, the WWS, typographic and legacy family names, every language.
void ReadNames(const Bytes& table, NamedFace& face, bool& slantNamed) {
  const uint16_t count = U16(table, 2);
  const uint16_t storage = U16(table, 4);
  std::vector<NameRecord> records;
  for (uint16_t i = 0; i < count && 6 + 12u * (i + 1) <= table.size(); ++i) {
    const size_t at = 6 + 12u * i;
    records.push_back({U16(table, at), U16(table, at + 2), U16(table, at + 4), U16(table, at + 6),
                       U16(table, at + 8), U16(table, at + 10)});
  }
  std::stable_sort(records.begin(), records.end(), [](const NameRecord& a, const NameRecord& b) {
    return std::tie(a.platform, a.id, a.encoding, a.language) <
           std::tie(b.platform, b.id, b.encoding, b.language);
  });
  auto text = [&](const NameRecord& r, std::string& out) {
    const size_t at = size_t{storage} + r.offset;
    return at + r.length <= table.size() &&
           DecodeName(r.platform, r.encoding, table.data() + at, r.length, out);
  };
  for (uint16_t platform : {3, 0, 1, 2}) {
    for (uint16_t id : {21, 16, 1, 22, 17, 2}) {
      for (const NameRecord& r : records) {
        std::string name;
        if (r.platform != platform || r.id != id || !text(r, name)) continue;
        name = Trimmed(name);
        if (id == 21 || id == 16 || id == 1) {
          if (!name.empty() &&
              std::find(face.families.begin(), face.families.end(), name) == face.families.end()) {
            face.families.push_back(std::move(name));
          }
        } else if (ContainsSlantWord(name)) {
          slantNamed = true;
        }
      }
    }
  }
}

// One face from its table directory at `offset`; false when it has no family name.
bool ReadFace(const File& file, uint32_t offset, NamedFace& face) {
  const Bytes header = file.Read(offset, 12);
  const uint32_t tables = std::min<uint32_t>(U16(header, 4), kMaxTables);
  const Bytes directory = file.Read(offset + 12, 16 * tables);
  Bytes name, os2, head;
  for (uint32_t i = 0; i < tables && !directory.empty(); ++i) {
    const uint32_t tag = U32(directory, 16 * i);
    const uint32_t at = U32(directory, 16 * i + 8);
    const uint32_t length = U32(directory, 16 * i + 12);
    if (tag == Tag("name")) name = file.Read(at, std::min(length, kMaxNameTable));
    if (tag == Tag("OS/2") && length >= 64) os2 = file.Read(at, 64);
    if (tag == Tag("head") && length >= 54) head = file.Read(at, 54);
  }
  bool slantNamed = false;
  ReadNames(name, face, slantNamed);
  const uint16_t macStyle = U16(head, 44);
  if (!os2.empty() && U16(os2, 0) != 0xFFFF) {
    face.bold = U16(os2, 4) >= 600;
    face.italic = slantNamed || (U16(os2, 62) & (1u | 1u << 9)) != 0;
  } else {
    face.bold = (macStyle & 1) != 0;
    face.italic = slantNamed || (macStyle & 2) != 0;
  }
  return !face.families.empty();
}

}  // namespace

std::vector<NamedFace> ReadNamedFaces(const std::string& path) {
  std::vector<NamedFace> faces;
  File file(path);
  if (!file.Open()) return faces;
  const Bytes header = file.Read(0, 12);
  const uint32_t kind = U32(header, 0);
  std::vector<uint32_t> offsets;
  if (kind == Tag("ttcf")) {
    const uint32_t count = std::min(U32(header, 8), kMaxFaces);
    const Bytes table = file.Read(12, 4 * count);
    for (uint32_t i = 0; i < count && !table.empty(); ++i) offsets.push_back(U32(table, 4 * i));
  } else if (kind == 0x00010000 || kind == Tag("true") || kind == Tag("OTTO")) {
    offsets.push_back(0);
  }
  for (size_t i = 0; i < offsets.size(); ++i) {
    NamedFace face;
    face.index = static_cast<int>(i);
    if (ReadFace(file, offsets[i], face)) faces.push_back(std::move(face));
  }
  return faces;
}

}  // namespace gdi_text
