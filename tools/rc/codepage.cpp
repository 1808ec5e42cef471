#include "tools/rc/codepage.h"

namespace rc {
namespace {

// 0x80..0x9F of code page 1252; 0 marks the five unassigned bytes, which map to
// themselves as the system's own table does.
constexpr char16_t kWestern80[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::u16string FromWestern(const std::string& bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (unsigned char c : bytes) {
    char16_t u = c;
    if (c >= 0x80 && c < 0xA0 && kWestern80[c - 0x80] != 0) u = kWestern80[c - 0x80];
    out.push_back(u);
  }
  return out;
}

void AppendCodePoint(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

std::u16string FromUtf8(const std::string& bytes) {
  std::u16string out;
  size_t i = 0;
  while (i < bytes.size()) {
    unsigned char c = bytes[i];
    int extra = c < 0x80             ? 0
                : (c & 0xE0) == 0xC0 ? 1
                : (c & 0xF0) == 0xE0 ? 2
                : (c & 0xF8) == 0xF0 ? 3
                                     : -1;
    if (extra < 0 || i + extra >= bytes.size()) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      unsigned char cc = bytes[i + k];
      if ((cc & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (cc & 0x3F);
    }
    constexpr char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
    if (!ok || cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    AppendCodePoint(out, cp);
    i += extra + 1;
  }
  return out;
}

}  // namespace

bool IsSupportedCodePage(int codePage) {
  return codePage == kCodePageWestern || codePage == kCodePageUtf8;
}

std::u16string ToUtf16(const std::string& bytes, int codePage) {
  return codePage == kCodePageUtf8 ? FromUtf8(bytes) : FromWestern(bytes);
}

}  // namespace rc
