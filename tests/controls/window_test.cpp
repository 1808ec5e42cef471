// Windowed controls on real windows: creation order and classes, the messages a control
// sees, painting of the surface and the non-windowed children, and leak checks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/control_canvas.h"
#include "controls/controls_module.h"
#include "controls/custom_control.h"
#include "controls_test_support.h"
#include "handle_census.h"
#include "tests/controls/views_test_util.h"

namespace {

using test_support::HostWindow;

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);

TSwatch* AddSwatch(TWinControl* parent, RECT bounds, COLORREF fill, bool opaque) {
  auto* swatch = new TSwatch(nullptr);
  swatch->fill = fill;
  if (opaque) swatch->IncludeTrait(ctOpaque);
  swatch->SetBounds(bounds.left, bounds.top, bounds.right, bounds.bottom);
  swatch->SetParent(parent);
  return swatch;
}

// A root container shown in a host window: green background, three swatches.
struct PaintedTree {
  HostWindow host{100, 100, 300, 200};
  TLogWinControl* root = new TLogWinControl(nullptr);
  TSwatch* red;
  TSwatch* blue;
  TSwatch* yellow;
  TLogWinControl* inner;
  PaintedTree() {
    root->SetColor(static_cast<TColor>(kGreen));
    root->SetBounds(0, 0, 200, 100);
    red = AddSwatch(root, {10, 10, 50, 50}, kRed, true);
    blue = AddSwatch(root, {100, 10, 50, 50}, kBlue, false);
    yellow = AddSwatch(root, {30, 30, 40, 40}, kYellow, true);
    inner = new TLogWinControl(nullptr);
    inner->SetBounds(160, 70, 30, 20);
    inner->SetParent(root);
    root->SetHostWindow(host.Get());
    root->SyncVisibilityState();
    UpdateWindow(root->Handle());
  }
  ~PaintedTree() { root->Free(); }
};

TEST(Window, ParentsGetWindowsFirstAndChildrenFollowTheListOrder) {
  HostWindow host;
  auto* root = new TLogWinControl(nullptr);
  auto* first = new TLogWinControl(nullptr);
  auto* second = new TLogWinControl(nullptr);
  first->SetParent(root);
  second->SetParent(root);
  root->SetHostWindow(host.Get());
  // Asking the child creates its parent first.
  HWND secondWindow = second->Handle();
  EXPECT_TRUE(root->HandleAllocated());
  EXPECT_EQ(GetParent(secondWindow), root->HandleValue());
  EXPECT_EQ(TWinControl::FindControlOfWindow(secondWindow), second);
  EXPECT_EQ(GetWindowLongPtrA(secondWindow, GWLP_ID), reinterpret_cast<LONG_PTR>(secondWindow));
  HWND firstWindow = first->Handle();
  // The native z-order agrees with the list: the later sibling stays above.
  EXPECT_EQ(GetWindow(secondWindow, GW_HWNDNEXT), firstWindow);
  char className[64] = {};
  GetClassNameA(firstWindow, className, sizeof className);
  EXPECT_STREQ(className, "TLogWinControl");
  root->Free();
  EXPECT_FALSE(IsWindow(firstWindow));
  EXPECT_FALSE(IsWindow(secondWindow));
}

TEST(Window, ClassIsRegisteredOnceAndAgainWhenItsProcedureDiffers) {
  HostWindow host;
  auto* root = new TLogWinControl(nullptr);
  root->SetHostWindow(host.Get());
  root->Handle();
  WNDCLASSA info = {};
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "TLogWinControl", &info));
  const WNDPROC framework = info.lpfnWndProc;
  root->Free();
  // Someone else registers the name with their own procedure: the next control takes it back.
  UnregisterClassA("TLogWinControl", GetModuleHandleA(nullptr));
  WNDCLASSA other = {};
  other.lpfnWndProc = &DefWindowProcA;
  other.hInstance = GetModuleHandleA(nullptr);
  other.lpszClassName = "TLogWinControl";
  ASSERT_NE(RegisterClassA(&other), 0);
  root = new TLogWinControl(nullptr);
  root->SetHostWindow(host.Get());
  HWND window = root->Handle();
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "TLogWinControl", &info));
  EXPECT_EQ(info.lpfnWndProc, framework);
  EXPECT_EQ(TWinControl::FindControlOfWindow(window), root);
  EXPECT_EQ(SendMessageA(window, ObjectInstanceMessage(), 0, 0), reinterpret_cast<LRESULT>(root));
  root->Free();
}

TEST(Window, StateSetBeforeOrAfterCreationReachesTheWindow) {
  HostWindow host;
  for (const bool createFirst : {false, true}) {
    auto* root = new TLogWinControl(nullptr);
    root->SetHostWindow(host.Get());
    if (createFirst) root->Handle();
    root->SetBounds(5, 6, 70, 40);
    root->SetCaption("Brass");
    root->SetEnabled(false);
    HWND window = root->Handle();
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(HWND_DESKTOP, host.Get(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 5) << createFirst;
    EXPECT_EQ(r.bottom - r.top, 40) << createFirst;
    char text[16] = {};
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "Brass") << createFirst;
    EXPECT_EQ(root->Caption(), "Brass");
    EXPECT_FALSE(IsWindowEnabled(window)) << createFirst;
    root->Free();
  }
}

TEST(Window, ShowingFollowsVisibleWithTheNotificationsInOrder) {
  HostWindow host;
  auto* root = new TLogWinControl(nullptr);
  root->SetHostWindow(host.Get());
  root->SyncVisibilityState();
  ASSERT_TRUE(root->Showing());
  root->log.clear();
  root->SetVisible(false);
  EXPECT_FALSE(IsWindowVisible(root->HandleValue()));
  root->SetVisible(true);
  EXPECT_TRUE(IsWindowVisible(root->HandleValue()));
  const std::vector<UINT> wanted = {IM_VISIBLE_CHANGED, IM_SHOWING_CHANGED, WM_WINDOWPOSCHANGED};
  EXPECT_EQ(Filtered(root->log, wanted),
            (std::vector<UINT>{IM_VISIBLE_CHANGED, IM_SHOWING_CHANGED, WM_WINDOWPOSCHANGED,
                               IM_VISIBLE_CHANGED, IM_SHOWING_CHANGED, WM_WINDOWPOSCHANGED}));
  root->Free();
}

TEST(Window, PaintsSurfaceThenChildrenInZOrder) {
  PaintedTree tree;
  const auto pixels = views_test::ReadWindow(tree.root->HandleValue());
  struct Probe {
    int x, y;
    COLORREF expected;
  } probes[] = {{2, 2, kGreen},    {12, 12, kRed},   {35, 35, kYellow}, {69, 69, kYellow},
                {59, 59, kYellow}, {105, 15, kBlue}, {170, 50, kGreen}};
  for (const Probe& p : probes) {
    EXPECT_EQ(pixels->At(p.x, p.y), p.expected) << p.x << "," << p.y;
  }
}

TEST(Window, OpaqueChildrenCoveringEverythingSkipTheSurface) {
  PaintedTree tree;
  platform_testing::PumpUntilIdle();
  tree.root->surfacePaints = 0;
  const RECT underRed = {12, 12, 20, 20};
  InvalidateRect(tree.root->HandleValue(), &underRed, FALSE);
  UpdateWindow(tree.root->HandleValue());
  EXPECT_EQ(tree.root->surfacePaints, 0);
  const RECT beside = {12, 12, 90, 20};
  InvalidateRect(tree.root->HandleValue(), &beside, FALSE);
  UpdateWindow(tree.root->HandleValue());
  EXPECT_EQ(tree.root->surfacePaints, 1);
}

// A windowed control that paints its own surface through its canvas.
class TPlate : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int surfaces = 0;

 protected:
  void DrawContent() override {
    ++surfaces;
    Canvas()->Brush()->SetColor(static_cast<TColor>(kBlue));
    const RECT all = {0, 0, Width(), Height()};
    Canvas()->FillRectangle(all);
  }
};

TEST(Window, PaintWithADeviceContextLeavesTheUpdateRegion) {
  HostWindow host;
  auto* plate = new TPlate(nullptr);
  plate->SetBounds(0, 0, 100, 50);
  TSwatch* red = AddSwatch(plate, {10, 10, 20, 20}, kRed, true);
  plate->SetHostWindow(host.Get());
  plate->SyncVisibilityState();
  HWND window = plate->Handle();
  UpdateWindow(window);
  HDC screen = GetDC(window);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 100, 50);
  ReleaseDC(window, screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  InvalidateRect(window, nullptr, FALSE);
  const int redPaints = red->paints, surfaces = plate->surfaces;
  plate->Perform(WM_PAINT, reinterpret_cast<WPARAM>(memory));
  RECT pending;
  EXPECT_TRUE(GetUpdateRect(window, &pending, FALSE));
  EXPECT_EQ(red->paints, redPaints + 1);
  EXPECT_EQ(plate->surfaces, surfaces + 1);
  EXPECT_EQ(GetPixel(memory, 12, 12), kRed);
  EXPECT_EQ(GetPixel(memory, 50, 40), kBlue);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  plate->Free();
}

TEST(Window, HidingAChildRepaintsWhatWasUnderIt) {
  PaintedTree tree;
  tree.blue->SetVisible(false);
  UpdateWindow(tree.root->HandleValue());
  EXPECT_EQ(views_test::ReadWindow(tree.root->HandleValue())->At(105, 15), kGreen);
}

TEST(Window, AtMostFourCanvasesKeepAWindowDCAndLockedOnesSurviveTheSweep) {
  PaintedTree tree;
  std::vector<TSwatch*> swatches = {tree.red, tree.blue, tree.yellow};
  for (int i = 0; i < 3; ++i) swatches.push_back(AddSwatch(tree.root, {0, 0, 5, 5}, kRed, false));
  for (TSwatch* s : swatches) s->Canvas()->Handle();
  EXPECT_EQ(CachedCanvasCount(), kCanvasCacheLimit);
  TControlCanvas* newest = swatches.back()->Canvas();
  newest->LockCanvas();
  FreeCachedDeviceContexts();
  EXPECT_EQ(CachedCanvasCount(), 1);
  EXPECT_TRUE(newest->HandleAllocated());
  newest->UnlockCanvas();
  FreeCachedDeviceContexts();
  EXPECT_EQ(CachedCanvasCount(), 0);
}

TEST(Window, RepaintsAndHideShowCyclesLeakNothing) {
  { PaintedTree warmUp; }  // system caches (window DCs, classes) fill on first use
  platform_testing::PumpUntilIdle();
  const HandleCensus before = HandleCensus::Take();
  HandleRecorder recorder;
  {
    PaintedTree tree;
    recorder.Record(tree.root->HandleValue());
    recorder.Record(tree.inner->HandleValue());
    for (int i = 0; i < 100; ++i) {
      tree.root->RepaintNow();
      tree.red->RepaintNow();
    }
    for (int i = 0; i < 20; ++i) {
      tree.root->SetVisible(false);
      tree.root->SetVisible(true);
      tree.blue->SetVisible(false);
      tree.blue->SetVisible(true);
      UpdateWindow(tree.root->HandleValue());
    }
    tree.red->Canvas()->Handle();
    EXPECT_EQ(CachedCanvasCount(), 1);
    FreeCachedDeviceContexts();
    EXPECT_EQ(CachedCanvasCount(), 0);
  }
  platform_testing::PumpUntilIdle();
  EXPECT_EQ(recorder.AliveWindows(), 0);
  const HandleCensus after = HandleCensus::Take();
  EXPECT_EQ(before.GrowthTo(after), "");
}

}  // namespace
