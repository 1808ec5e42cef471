// Times the launcher's tree on screen: reading TFORM1 into the real classes, a full
// repaint of the tree once the artwork is decoded, and, in the same run, one bare
// StretchBlt of the same decoded bitmap to 846 x 531 (the floor a repaint stands on:
// caches and lazy selection should make everything else nearly free). The repaint is
// timed twice: as the tree's own paint passes (the form-like root, then the panel, each
// on its window's DC) and end to end through RedrawWindow, which adds the windowing
// system's invalidation, erase and BeginPaint/EndPaint work. Also reports whether any
// repaint decoded the artwork again.
//
//   controls_bench.exe [iterations]      (run under Wine on an X display)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include "controls/image.h"
#include "graphics/bitmap.h"
#include "graphics/jpeg_image.h"
#include "platform/win32.h"
#include "runtime/exception.h"
#include "tests/controls/controls_modules.h"
#include "tests/controls/views_test_util.h"
#include "tests/support/host_window.h"

namespace {

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// Median of `n` timed runs of `body` (ms).
double Median(int n, const std::function<void()>& body) {
  std::vector<double> times;
  for (int i = 0; i < n; ++i) {
    const double start = Now();
    body();
    times.push_back(Now() - start);
  }
  return Median(std::move(times));
}

int Run(int iterations) {
  constexpr int kWidth = 846, kHeight = 531;
  const double read = Median(iterations, [] { views_test::ReadLauncherTree(); });
  std::printf("read TFORM1 into the real classes: %.3f ms\n", read);

  test_support::HostWindow host(0, 0, kWidth, kHeight);
  auto root = views_test::ReadLauncherTree();
  root->SetHostWindow(host.Get());
  root->SyncVisibilityState();
  const HWND window = root->Handle();
  const auto repaint = [window] {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
  };
  const double start = Now();
  repaint();
  std::printf("first paint (decodes the artwork): %.3f ms\n", Now() - start);

  auto* artwork = dynamic_cast<TJPEGImage*>(root->Image1->Picture()->Graphic());
  TBitmap* decoded = artwork != nullptr ? artwork->DecodedBitmap() : nullptr;
  if (decoded == nullptr) {
    std::printf("the artwork was not decoded by the first paint\n");
    return 1;
  }
  // All are timed in turns, so they see the same load on the machine.
  // The bitmap's memory DC is given back after every dispatched message, so it is asked
  // for again each time, as the repaint does.
  const auto bareStretch = [&] {
    const HDC source = decoded->Canvas()->Handle();
    WindowDC dc(window);
    SetStretchBltMode(dc.Get(), COLORONCOLOR);
    StretchBlt(dc.Get(), 0, 0, kWidth, kHeight, source, 0, 0, decoded->ImageWidth(),
               decoded->ImageHeight(), SRCCOPY);
    GdiFlush();
  };
  const HWND panelWindow = root->Panel1->Handle();
  const auto paintPasses = [&] {
    {
      WindowDC dc(window);
      Deliver(root.get(), WM_PAINT, reinterpret_cast<WPARAM>(dc.Get()));
    }
    WindowDC dc(panelWindow);
    Deliver(root->Panel1, WM_PAINT, reinterpret_cast<WPARAM>(dc.Get()));
    GdiFlush();
  };
  std::vector<double> passTimes, redrawTimes, bareTimes;
  for (int i = 0; i < iterations; ++i) {
    passTimes.push_back(Median(1, paintPasses));
    redrawTimes.push_back(Median(1, repaint));
    bareTimes.push_back(Median(1, bareStretch));
  }
  const double passes = Median(passTimes);
  const double redraw = Median(redrawTimes);
  const double bare = Median(bareTimes);
  std::printf("bare StretchBlt to %dx%d: %.3f ms\n", kWidth, kHeight, bare);
  std::printf(
      "full repaint, the tree's paint passes: %.3f ms (%.2f x the bare stretch, target <= 1.2)\n",
      passes, passes / bare);
  std::printf("full repaint through RedrawWindow: %.3f ms (%.2f x)\n", redraw, redraw / bare);
  const bool decodedAgain = artwork->DecodedBitmap() != decoded;
  std::printf("a repaint decoded again: %s\n", decodedAgain ? "yes" : "no");
  return decodedAgain ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  RunModuleStartups(kControlsModules);
  const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
  int status = 1;
  try {
    status = Run(iterations);
  } catch (const Exception& e) {
    std::printf("%s: %s\n", e.ClassName(), e.Message().c_str());
  }
  RunModuleShutdowns();
  return status;
}
