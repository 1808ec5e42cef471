// The launcher window must not gain native objects as it lives: repaints and minimise /
// restore cycles end with as many GDI objects and windows as they started with.
#include <gtest/gtest.h>

#include "forms/application.h"
#include "launcher/launcher_form.h"
#include "platform/testing.h"

namespace {

// Live GDI objects of this process. The system's own counter is not available everywhere
// (Wine answers 0), but every GDI handle is also reachable by its table index alone.
int LiveGdiObjects() {
  int count = 0;
  for (UINT_PTR index = 1; index < 0x10000; ++index) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
  }
  return count;
}

BOOL CALLBACK CountChild(HWND /*window*/, LPARAM data) {
  ++*reinterpret_cast<int*>(data);
  return TRUE;
}
BOOL CALLBACK CountTopLevel(HWND window, LPARAM data) {
  ++*reinterpret_cast<int*>(data);
  EnumChildWindows(window, CountChild, data);
  return TRUE;
}
// Windows of this thread, top-level ones and all their descendants.
int LiveWindows() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountTopLevel, reinterpret_cast<LPARAM>(&count));
  return count;
}

void RepaintNow(HWND window) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

TEST(LauncherLeaks, RepaintsAndMinimiseRestoreCyclesKeepObjectsAndWindows) {
  Application()->MakeForm(TForm1::StaticMeta(), LauncherForm);
  ASSERT_NE(LauncherForm, nullptr);
  LauncherForm->SetVisible(true);
  const HWND window = LauncherForm->HandleValue();
  // The census sees what is made and freed.
  const int before = LiveGdiObjects();
  HBRUSH probe = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_EQ(LiveGdiObjects(), before + 1);
  DeleteObject(probe);

  // One of each first, so that what is made once and kept (the decoded picture, the
  // cached fonts and brushes) is in the baseline.
  RepaintNow(window);
  Application()->MinimizeApp();
  platform_testing::PumpUntilIdle();
  Application()->RestoreApp();
  platform_testing::PumpUntilIdle();
  const int gdiObjects = LiveGdiObjects();
  const int windows = LiveWindows();

  for (int i = 0; i < 100; ++i) RepaintNow(window);
  platform_testing::PumpUntilIdle();
  for (int i = 0; i < 20; ++i) {
    Application()->MinimizeApp();
    platform_testing::PumpUntilIdle();
    Application()->RestoreApp();
    platform_testing::PumpUntilIdle();
    RepaintNow(window);
  }
  EXPECT_EQ(LiveGdiObjects(), gdiObjects);
  EXPECT_EQ(LiveWindows(), windows);
  EXPECT_TRUE(IsWindowVisible(window));

  LauncherForm->Free();
  LauncherForm = nullptr;
  platform_testing::PumpUntilIdle();
}

}  // namespace
