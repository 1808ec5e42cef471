// Times DrawTextA of the launcher's title as the title label paints it (bold Tahoma at
// -21, transparent, on the window's 846 x 531 32-bit surface): drawing, measuring
// (DT_CALCRECT), and the first draw in a size not used before (font and glyphs made).
// Self-timed, so the same source runs natively and under Wine.
//
//   text_bench [iterations]
//   text_bench first        the process's first CreateFontIndirectA + SelectObject +
//                           DrawTextA alone (the text layer's start-up cost), and the
//                           resident memory after it; bench/text_first.sh gives medians
//                           over fresh processes
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <vector>

#include "platform/gdi_handles.h"
#include "platform/win32.h"

namespace {

constexpr const char* kTitle = "BRASS LANTERN: THE RIVER WARDEN";
constexpr UINT kLabelFlags = DT_EXPANDTABS | DT_WORDBREAK | DT_CENTER;

HFONT TitleFont(LONG height) {
  LOGFONTA logFont{};
  logFont.lfHeight = height;
  logFont.lfWeight = FW_BOLD;
  logFont.lfCharSet = DEFAULT_CHARSET;
  std::strcpy(logFont.lfFaceName, "Tahoma");
  return CreateFontIndirectA(&logFont);
}

// Median time of `n` runs of `body`, in microseconds.
double MedianMicros(int n, const std::function<void(int)>& body) {
  std::vector<double> times;
  for (int i = 0; i < n; ++i) {
    const auto start = std::chrono::steady_clock::now();
    body(i);
    const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
    times.push_back(took.count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// A field of /proc/self/status in KiB (0 where the system does not report it).
long StatusKiB(const char* field) {
  long value = 0;
#ifdef __linux__
  if (FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    const size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, status)) {
      if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
        value = std::atol(line + length + 1);
      }
    }
    std::fclose(status);
  }
#else
  (void)field;
#endif
  return value;
}

// The process's processor time in microseconds: less disturbed by other load than the
// elapsed time.
double CpuMicros() { return 1e6 * double(std::clock()) / CLOCKS_PER_SEC; }

// A 32-bit top-down section the size of the launcher's window.
HBITMAP WindowSizedSurface(HDC dc) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = 846;
  info.bmiHeader.biHeight = -531;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  return CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

// The title drawn once on a fresh 32-bit surface, timed from the font's creation.
int FirstUse() {
  OwnedDC dc(CreateCompatibleDC(nullptr));
  GdiObject<HBITMAP> surface(WindowSizedSurface(dc.Get()));
  SelectGuard selectSurface(dc.Get(), surface.Get());
  SetBkMode(dc.Get(), TRANSPARENT);
  const long rssBefore = StatusKiB("VmRSS");
  const double cpuBefore = CpuMicros();
  const auto start = std::chrono::steady_clock::now();
  GdiObject<HFONT> font(TitleFont(-21));
  SelectGuard selectFont(dc.Get(), font.Get());
  RECT box{0, 240, 846, 280};
  DrawTextA(dc.Get(), kTitle, int(std::strlen(kTitle)), &box, kLabelFlags);
  const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
  const double cpu = CpuMicros() - cpuBefore;
  std::printf(
      "first CreateFontIndirectA + SelectObject + DrawTextA: %.1f us (cpu %.1f us); VmRSS %ld -> "
      "%ld KiB "
      "(+%ld), VmHWM %ld KiB\n",
      took.count(), cpu, rssBefore, StatusKiB("VmRSS"), StatusKiB("VmRSS") - rssBefore,
      StatusKiB("VmHWM"));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "first") == 0) return FirstUse();
  const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  OwnedDC dc(CreateCompatibleDC(nullptr));
  GdiObject<HBITMAP> surface(WindowSizedSurface(dc.Get()));
  SelectGuard selectSurface(dc.Get(), surface.Get());
  SetBkMode(dc.Get(), TRANSPARENT);
  SetTextColor(dc.Get(), RGB(255, 255, 0));
  GdiObject<HFONT> font(TitleFont(-21));
  SelectGuard selectFont(dc.Get(), font.Get());

  RECT box{0, 0, 846, 531};
  const int length = int(std::strlen(kTitle));
  DrawTextA(dc.Get(), kTitle, length, &box, kLabelFlags);  // warm the caches
  const double draw = MedianMicros(iterations, [&](int) {
    RECT r{0, 240, 846, 280};
    DrawTextA(dc.Get(), kTitle, length, &r, kLabelFlags);
  });
  const double measure = MedianMicros(iterations, [&](int) {
    RECT r{0, 0, 846, 0};
    DrawTextA(dc.Get(), kTitle, length, &r, kLabelFlags | DT_CALCRECT);
  });
  const double first = MedianMicros(40, [&](int i) {
    GdiObject<HFONT> fresh(TitleFont(-22 - i));
    SelectGuard select(dc.Get(), fresh.Get());
    RECT r{0, 240, 846, 300};
    DrawTextA(dc.Get(), kTitle, length, &r, kLabelFlags);
  });
  std::printf(
      "DrawTextA title, bold Tahoma -21, 846x531x32 (median of %d): draw %.1f us, "
      "measure %.1f us; first draw in a new size %.1f us\n",
      iterations, draw, measure, first);
  return 0;
}
