// The artwork's stretch onto the launcher window through the Linux drawing subset
// (StretchBlt, COLORONCOLOR, 1152 x 846 24-bit DIB section onto 846 x 531 32-bit),
// next to a plain nearest-neighbour loop over the same buffers as the yardstick.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "platform/win32.h"

namespace {

constexpr int kSourceWidth = 1152, kSourceHeight = 846;
constexpr int kTargetWidth = 846, kTargetHeight = 531;

struct Section {
  HBITMAP bitmap = nullptr;
  uint8_t* bits = nullptr;
};

Section MakeSection(int width, int height, int bpp) {
  BITMAPINFO info{};
  info.bmiHeader = {
      sizeof(BITMAPINFOHEADER), width, -height, 1, static_cast<WORD>(bpp), BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  Section s;
  s.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  s.bits = static_cast<uint8_t*>(bits);
  return s;
}

struct Fixture {
  Section source = MakeSection(kSourceWidth, kSourceHeight, 24);
  Section target = MakeSection(kTargetWidth, kTargetHeight, 32);
  HDC from = CreateCompatibleDC(nullptr);
  HDC to = CreateCompatibleDC(nullptr);
  Fixture() {
    for (size_t i = 0; i < size_t{kSourceWidth} * 3 * kSourceHeight; ++i)
      source.bits[i] = static_cast<uint8_t>(i * 7 + (i >> 11));
    SelectObject(from, source.bitmap);
    SelectObject(to, target.bitmap);
    SetStretchBltMode(to, COLORONCOLOR);
  }
  ~Fixture() {
    DeleteDC(from);
    DeleteDC(to);
    DeleteObject(source.bitmap);
    DeleteObject(target.bitmap);
  }
};

void BM_StretchBlt(benchmark::State& state) {
  Fixture f;
  for (auto _ : state) {
    StretchBlt(f.to, 0, 0, kTargetWidth, kTargetHeight, f.from, 0, 0, kSourceWidth, kSourceHeight,
               SRCCOPY);
    benchmark::DoNotOptimize(f.target.bits[0]);
  }
}
BENCHMARK(BM_StretchBlt)->Unit(benchmark::kMillisecond);

// The simplest nearest-neighbour stretch of the same pixels, column table precomputed.
void BM_PlainLoop(benchmark::State& state) {
  Fixture f;
  const int sourceStride = kSourceWidth * 3;
  std::vector<int> columns(kTargetWidth);
  for (auto _ : state) {
    for (int x = 0; x < kTargetWidth; ++x) columns[x] = x * kSourceWidth / kTargetWidth * 3;
    auto* out = reinterpret_cast<uint32_t*>(f.target.bits);
    for (int y = 0; y < kTargetHeight; ++y) {
      const uint8_t* row =
          f.source.bits + static_cast<size_t>(y * kSourceHeight / kTargetHeight) * sourceStride;
      for (int x = 0; x < kTargetWidth; ++x) {
        const uint8_t* p = row + columns[x];
        *out++ = p[0] | (p[1] << 8) | (p[2] << 16);
      }
    }
    benchmark::DoNotOptimize(f.target.bits[0]);
  }
}
BENCHMARK(BM_PlainLoop)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
