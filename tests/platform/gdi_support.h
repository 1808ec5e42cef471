#pragma once
// Helpers for the drawing conformance tests: DIB sections of any format, hashes of their
// bits, and a fixture that proves every test gives back the GDI objects it made.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32.h"
#ifndef _WIN32
#include "platform/linux/gdi/objects.h"
#endif

namespace gdi_test {

struct Dib {
  HBITMAP bitmap = nullptr;
  uint8_t* bits = nullptr;
  size_t size = 0;
};

// A DIB section; formats of 8 bits or fewer get `colors` (default: a grey ramp), 16 and 32
// bits take `masks` as bit fields when given.
inline Dib MakeDib(int bpp, int width, int height, const std::vector<RGBQUAD>& colors = {},
                   const DWORD* masks = nullptr) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
  } info = {};
  info.header.biSize = sizeof info.header;
  info.header.biWidth = width;
  info.header.biHeight = height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bpp);
  info.header.biCompression = masks ? BI_BITFIELDS : BI_RGB;
  if (masks) {
    for (int i = 0; i < 3; ++i) reinterpret_cast<DWORD*>(info.colors)[i] = masks[i];
  } else if (bpp <= 8) {
    const int n = 1 << bpp;
    for (int i = 0; i < n; ++i) {
      if (i < static_cast<int>(colors.size())) {
        info.colors[i] = colors[static_cast<size_t>(i)];
      } else {
        const BYTE v = static_cast<BYTE>(i * 255 / (n - 1));
        info.colors[i] = {v, v, v, 0};
      }
    }
  }
  Dib dib;
  void* bits = nullptr;
  dib.bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                &bits, nullptr, 0);
  dib.bits = static_cast<uint8_t*>(bits);
  dib.size = static_cast<size_t>(((width * bpp + 31) / 32) * 4) *
             static_cast<size_t>(height < 0 ? -height : height);
  return dib;
}

inline uint32_t Hash(const uint8_t* data, size_t size) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
  return h;
}

// With LAUNCHER_GDI_DUMP=<folder>, writes the bits of a case there, to compare the two
// platforms pixel by pixel when a hash differs.
inline void Dump(const std::string& name, const uint8_t* data, size_t size) {
  const char* folder = std::getenv("LAUNCHER_GDI_DUMP");
  if (!folder || !*folder) return;
  if (FILE* f = std::fopen((std::string(folder) + "/" + name).c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
}

// Live GDI objects per type where the platform can say (the Linux subset), else in total.
inline std::array<int, 16> LiveObjects() {
  std::array<int, 16> counts{};
#ifdef _WIN32
  counts[0] = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
#else
  for (DWORD type = 1; type < 16; ++type) counts[type] = linux_gdi::LiveObjectCount(type);
#endif
  return counts;
}

class GdiTest : public ::testing::Test {
 protected:
  void SetUp() override { before_ = LiveObjects(); }
  void TearDown() override { EXPECT_EQ(LiveObjects(), before_) << "GDI objects leaked, by type"; }

 private:
  std::array<int, 16> before_{};
};

}  // namespace gdi_test
