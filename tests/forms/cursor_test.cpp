// The screen's cursor table and the application-wide cursor override.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "forms/application.h"
#include "forms/screen.h"

namespace {

TEST(CursorTable, IsBuiltFromMinus22UpSoItListsMinus2First) {
  std::vector<int16_t> expected;
  for (int16_t id = -2; id >= -22; --id) expected.push_back(id);
  EXPECT_EQ(Screen()->Cursors().Identifiers(), expected);
}

TEST(CursorTable, GivesTheSystemsOrTheExecutablesCursorPerIdentifier) {
  HINSTANCE exe = GetModuleHandleA(nullptr);
  struct Case {
    int16_t id;
    HINSTANCE module;
    UINT name;
  };
  const Case cases[] = {
      {-2, nullptr, 0x7F00},  {-3, nullptr, 0x7F03},  {-4, nullptr, 0x7F01},  {-5, nullptr, 0x7F86},
      {-6, nullptr, 0x7F83},  {-7, nullptr, 0x7F85},  {-8, nullptr, 0x7F82},  {-9, nullptr, 0x7F84},
      {-10, nullptr, 0x7F04}, {-11, nullptr, 0x7F02}, {-12, exe, 32766},      {-13, exe, 32767},
      {-14, exe, 32765},      {-15, exe, 32764},      {-16, exe, 32763},      {-17, exe, 32762},
      {-18, nullptr, 0x7F88}, {-19, nullptr, 0x7F8A}, {-20, nullptr, 0x7F8B}, {-21, exe, 32761},
      {-22, nullptr, 0x7F86},
  };
  for (const Case& c : cases) {
    HCURSOR loaded = LoadCursorA(c.module, MAKEINTRESOURCEA(c.name));
    EXPECT_EQ(Screen()->CursorHandleFor(c.id), loaded) << c.id;
  }
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  EXPECT_EQ(Screen()->DefaultCursorHandle(), arrow);
  EXPECT_EQ(Screen()->CursorHandleFor(0), arrow);
  EXPECT_EQ(Screen()->CursorHandleFor(5), arrow);  // never inserted
  EXPECT_EQ(Screen()->CursorHandleFor(-1), nullptr);

  // Where the executable carries the hand, it points with its fingertip.
  HCURSOR hand = Screen()->CursorHandleFor(-21);
  ICONINFO info{};
  if (hand && GetIconInfo(hand, &info)) {
    EXPECT_EQ(info.xHotspot, 7u);
    EXPECT_EQ(info.yHotspot, 1u);
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
  }
}

TEST(CursorTable, AProgramsOwnCursorReplacesTheRecordAtTheHead) {
  CursorTable table;
  // The table destroys a program's cursor at the end: give it a copy of its own.
  HCURSOR cross = CopyIcon(LoadCursorA(nullptr, IDC_CROSS));
  table.SetHandle(7, cross);
  table.SetHandle(-3, LoadCursorA(nullptr, IDC_IBEAM));
  std::vector<int16_t> ids = table.Identifiers();
  ASSERT_GE(ids.size(), 2u);
  EXPECT_EQ(ids[0], -3);
  EXPECT_EQ(ids[1], 7);
  EXPECT_EQ(std::count(ids.begin(), ids.end(), -3), 1);
  EXPECT_EQ(table.HandleFor(7), cross);
  EXPECT_EQ(table.HandleFor(-3), LoadCursorA(nullptr, IDC_IBEAM));
}

// A visible window of this thread with the cross as its class cursor.
HWND CrossWindow() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_CROSS);
  windowClass.lpszClassName = "CursorTestWindow";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(WS_EX_TOPMOST, "CursorTestWindow", "", WS_POPUP | WS_VISIBLE, 40,
                                40, 200, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  UpdateWindow(window);
  return window;
}

TEST(CursorOverride, ShowsTheOverrideAndGivesTheWindowBackItsOwnCursor) {
  TScreen& screen = *Screen();
  HWND window = CrossWindow();
  ASSERT_NE(window, nullptr);
  SetCursorPos(500, 500);  // away from every window of ours
  int count = screen.CursorChangeCount();

  screen.SetCursorOverride(-11);
  EXPECT_EQ(GetCursor(), screen.CursorHandleFor(-11));
  screen.SetCursorOverride(-11);  // unchanged still counts
  EXPECT_EQ(screen.CursorChangeCount(), count + 2);

  screen.SetCursorOverride(0);  // nothing of ours under the pointer: the default arrow
  EXPECT_EQ(GetCursor(), screen.DefaultCursorHandle());
  EXPECT_EQ(screen.CursorChangeCount(), count + 3);

  screen.SetCursorOverride(-11);
  SetCursorPos(100, 100);  // over the window
  screen.SetCursorOverride(0);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_CROSS));
  EXPECT_EQ(screen.CursorChangeCount(), count + 4);  // the reset through the window is not counted
  DestroyWindow(window);
}

}  // namespace
