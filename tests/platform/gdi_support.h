#pragma once
// Helpers for the drawing conformance tests: DIB sections of any format (the shared test
// surfaces'), hashes of their bits, and a fixture that proves every test gives back the GDI
// objects it made.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32.h"
#include "tests/support/dib_surface.h"
#ifndef _WIN32
#include "platform/linux/gdi/objects.h"
#endif

namespace gdi_test {

using test_support::Dib;
using test_support::MakeDib;

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
