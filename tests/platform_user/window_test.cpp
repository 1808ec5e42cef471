// Window state the framework reads back: registered messages, properties, subclassing through
// GWL_WNDPROC, the owner through GWL_HWNDPARENT, enumeration order, the coordinate systems,
// the client area of each frame style, window data and text, and owned popups.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "recorder.h"

namespace conform {
namespace {

TEST(Window, RegisteredMessagesShareNumbersByName) {
  const UINT first = RegisterWindowMessageA("Conform.Registered");
  EXPECT_GE(first, 0xC000u);
  EXPECT_LE(first, 0xFFFFu);
  EXPECT_EQ(RegisterWindowMessageA("Conform.Registered"), first);
  EXPECT_EQ(RegisterWindowMessageA("CONFORM.REGISTERED"), first);  // names ignore case
  const UINT second = RegisterWindowMessageA("Conform.Other");
  EXPECT_GE(second, 0xC000u);
  EXPECT_NE(second, first);
  EXPECT_EQ(RegisterWindowMessageA(""), 0u);
}

TEST(Window, PropertiesByNameAndByAtom) {
  Recorder rec;
  HWND hwnd = rec.Make(0, WS_POPUP, 0, 0, 10, 10);
  HANDLE value = reinterpret_cast<HANDLE>(0x1234);
  EXPECT_EQ(GetPropA(hwnd, "Conform.Prop"), nullptr);
  ASSERT_TRUE(SetPropA(hwnd, "Conform.Prop", value));
  EXPECT_EQ(GetPropA(hwnd, "Conform.Prop"), value);
  EXPECT_EQ(GetPropA(hwnd, "conform.prop"), value);
  // A name is a global atom: the atom finds the same property.
  const ATOM atom = GlobalAddAtomA("Conform.Prop");
  ASSERT_NE(atom, 0);
  EXPECT_EQ(GetPropA(hwnd, MAKEINTATOM(atom)), value);
  HANDLE second = reinterpret_cast<HANDLE>(0x5678);
  ASSERT_TRUE(SetPropA(hwnd, MAKEINTATOM(atom), second));
  EXPECT_EQ(GetPropA(hwnd, "Conform.Prop"), second);
  EXPECT_EQ(RemovePropA(hwnd, "Conform.Prop"), second);
  EXPECT_EQ(GetPropA(hwnd, MAKEINTATOM(atom)), nullptr);
  EXPECT_EQ(RemovePropA(hwnd, "Conform.Prop"), nullptr);
  GlobalDeleteAtom(atom);
  DestroyWindow(hwnd);
}

WNDPROC previousProc;
LRESULT CALLBACK Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) return 100 + CallWindowProcA(previousProc, hwnd, message, wParam, lParam);
  return CallWindowProcA(previousProc, hwnd, message, wParam, lParam);
}

TEST(Window, SubclassingThroughGwlWndProc) {
  Recorder rec;
  HWND hwnd = rec.Make(0, WS_POPUP, 0, 0, 10, 10);
  rec.Watch(hwnd, 0);
  rec.handler = [](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_USER) return static_cast<LRESULT>(wParam);
    return std::nullopt;
  };
  EXPECT_FALSE(IsWindowUnicode(hwnd));
  EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&Recorder::Proc));
  previousProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Subclass)));
  EXPECT_EQ(previousProc, &Recorder::Proc);
  EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&Subclass));
  rec.Clear();
  EXPECT_EQ(SendMessageA(hwnd, WM_USER, 5, 0), 105);
  EXPECT_TRUE(rec.Check({{WM_USER, kSent, 5}}, "through the subclass"));
  SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc));
  EXPECT_EQ(SendMessageA(hwnd, WM_USER, 5, 0), 5);
  DestroyWindow(hwnd);
}

TEST(Window, OwnerAndParentThroughGwlHwndParent) {
  Recorder rec;
  HWND owner = rec.Make(0, WS_POPUP, 0, 0, 10, 10);
  HWND owner2 = rec.Make(0, WS_POPUP, 0, 0, 10, 10);
  HWND popup = rec.Make(0, WS_POPUP, 0, 0, 10, 10, owner);
  HWND child = rec.Make(0, WS_CHILD, 0, 0, 10, 10, owner);
  EXPECT_EQ(reinterpret_cast<HWND>(GetWindowLongPtrA(popup, GWLP_HWNDPARENT)), owner);
  EXPECT_EQ(GetWindow(popup, GW_OWNER), owner);
  EXPECT_EQ(GetParent(popup), owner);  // a popup's "parent" is its owner
  EXPECT_EQ(reinterpret_cast<HWND>(GetWindowLongPtrA(child, GWLP_HWNDPARENT)), owner);
  EXPECT_EQ(GetParent(child), owner);
  EXPECT_EQ(GetWindow(child, GW_OWNER), nullptr);
  EXPECT_TRUE(IsChild(owner, child));
  EXPECT_FALSE(IsChild(owner, popup));
  EXPECT_EQ(reinterpret_cast<HWND>(GetWindowLongPtrA(owner, GWLP_HWNDPARENT)), nullptr);
  SetWindowLongPtrA(popup, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner2));
  EXPECT_EQ(GetWindow(popup, GW_OWNER), owner2);
  DestroyWindow(owner2);
  EXPECT_FALSE(IsWindow(popup));  // owned windows go with their owner
  DestroyWindow(owner);
}

BOOL CALLBACK Collect(HWND hwnd, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  return TRUE;
}

TEST(Window, EnumThreadWindowsInZOrder) {
  Recorder rec;
  const std::vector<HWND> made = {rec.Make(0, WS_POPUP, 0, 0, 10, 10),
                                  rec.Make(0, WS_POPUP, 0, 0, 10, 10),
                                  rec.Make(0, WS_POPUP, 0, 0, 10, 10)};
  HWND child = rec.Make(0, WS_CHILD, 0, 0, 5, 5, made[0]);
  std::vector<HWND> seen;
  EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(&seen));
  std::vector<HWND> ours;
  for (HWND hwnd : seen) {
    if (std::find(made.begin(), made.end(), hwnd) != made.end()) ours.push_back(hwnd);
  }
  // The newest window is created on top; children are not enumerated.
  EXPECT_EQ(ours, (std::vector<HWND>{made[2], made[1], made[0]}));
  EXPECT_EQ(std::find(seen.begin(), seen.end(), child), seen.end());
  for (HWND hwnd : made) DestroyWindow(hwnd);
}

TEST(Window, RectanglesAndMappedPoints) {
  Recorder rec;
  HWND bare = rec.Make(0, WS_POPUP, 30, 40, 120, 80);
  HWND child = rec.Make(0, WS_CHILD, 10, 20, 30, 30, bare);
  const DWORD captionStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  HWND captioned = rec.Make(0, captionStyle, 30, 40, 120, 80);
  RECT rect;
  POINT point;

  GetWindowRect(bare, &rect);
  EXPECT_EQ(rect.left, 30);
  EXPECT_EQ(rect.bottom, 120);
  GetClientRect(bare, &rect);
  EXPECT_EQ(rect.right, 120);
  EXPECT_EQ(rect.bottom, 80);
  point = {0, 0};
  ClientToScreen(bare, &point);
  EXPECT_EQ(point.x, 30);
  EXPECT_EQ(point.y, 40);
  POINT points[2] = {{1, 2}, {3, 4}};
  EXPECT_EQ(MapWindowPoints(child, bare, points, 2), MAKELONG(10, 20));
  EXPECT_EQ(points[0].x, 11);
  EXPECT_EQ(points[1].y, 24);
  MapWindowPoints(child, nullptr, points, 1);
  EXPECT_EQ(points[0].x, 51);
  EXPECT_EQ(points[0].y, 82);
  ScreenToClient(child, &points[0]);
  EXPECT_EQ(points[0].x, 11);
  GetWindowRect(child, &rect);
  EXPECT_EQ(rect.left, 40);
  EXPECT_EQ(rect.top, 60);

  // The caption and frame: the client area is what AdjustWindowRectEx takes away.
  RECT frame = {0, 0, 0, 0};
  AdjustWindowRectEx(&frame, captionStyle, FALSE, 0);
  EXPECT_LT(frame.top, frame.left);
  GetClientRect(captioned, &rect);
  EXPECT_EQ(rect.right, 120 - (frame.right - frame.left));
  EXPECT_EQ(rect.bottom, 80 - (frame.bottom - frame.top));
  point = {0, 0};
  ClientToScreen(captioned, &point);
  EXPECT_EQ(point.x, 30 - frame.left);
  EXPECT_EQ(point.y, 40 - frame.top);
  point = {5, 6};
  MapWindowPoints(captioned, nullptr, &point, 1);
  EXPECT_EQ(point.x, 35 - frame.left);
  EXPECT_EQ(point.y, 46 - frame.top);
  DestroyWindow(captioned);
  DestroyWindow(bare);
}

// A window of the recording class with a caption text, at (10, 20) 200 x 150 unless told.
HWND MakeTitled(DWORD style, HWND parent = nullptr, DWORD exStyle = 0,
                RECT r = {10, 20, 210, 170}) {
  return CreateWindowExA(exStyle, kLogClass, "title", style, r.left, r.top, r.right - r.left,
                         r.bottom - r.top, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

TEST(Window, ClientAreaFollowsFrameStyles) {
  struct Case {
    DWORD style;
    DWORD exStyle;
  } cases[] = {
      {WS_POPUP, 0},
      {WS_POPUP | WS_BORDER, 0},
      {WS_POPUP | WS_CAPTION, 0},
      {WS_OVERLAPPEDWINDOW, 0},
      {WS_POPUP | WS_THICKFRAME, 0},
      {WS_POPUP, WS_EX_CLIENTEDGE},
      {WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW},
      {WS_POPUP | WS_DLGFRAME, WS_EX_DLGMODALFRAME},
  };
  Recorder rec;
  for (const Case& c : cases) {
    HWND window = MakeTitled(c.style, nullptr, c.exStyle, RECT{0, 0, 300, 200});
    ASSERT_TRUE(window);
    RECT frame{0, 0, 0, 0};
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 300 - (frame.right - frame.left)) << std::hex << c.style;
    EXPECT_EQ(client.bottom, 200 - (frame.bottom - frame.top)) << std::hex << c.style;
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    EXPECT_EQ(origin.x, -frame.left) << std::hex << c.style;
    EXPECT_EQ(origin.y, -frame.top) << std::hex << c.style;
    DestroyWindow(window);
  }
}

TEST(Window, LongsAndText) {
  Recorder rec;
  HWND window = MakeTitled(WS_POPUP);
  EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, 1234), 0);
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 1234);
  // The class has 8 bytes of window data.
  EXPECT_EQ(SetWindowLongA(window, 4, 77), 0);
  EXPECT_EQ(GetWindowLongA(window, 4), 77);
  SetLastError(0);
  EXPECT_EQ(GetWindowLongA(window, 8), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));

  char text[16];
  EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 5);
  EXPECT_STREQ(text, "title");
  EXPECT_TRUE(SetWindowTextA(window, "a longer caption"));
  EXPECT_EQ(GetWindowTextLengthA(window), 16);
  EXPECT_EQ(GetWindowTextA(window, text, 6), 5);
  EXPECT_STREQ(text, "a lon");
  DestroyWindow(window);
}

TEST(Window, OwnedPopupsFollowTheirOwner) {
  Recorder rec;
  HWND owner = MakeTitled(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND popup = MakeTitled(WS_POPUP | WS_VISIBLE, owner);
  EXPECT_EQ(GetWindow(popup, GW_HWNDNEXT) != nullptr, true);
  // Raising the owner keeps the owned window above it.
  SetWindowPos(owner, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  HWND above = GetWindow(owner, GW_HWNDPREV);
  EXPECT_EQ(above, popup);

  // ShowWindow alone leaves owned popups visible; the default minimise command hides them
  // (SW_PARENTCLOSING) and the restore command shows them again (SW_PARENTOPENING). The
  // popup's default processing of that reason shows or hides it, with a plain WM_SHOWWINDOW.
  ShowWindow(owner, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(owner));
  EXPECT_TRUE(IsWindowVisible(popup));
  ShowWindow(owner, SW_RESTORE);
  EXPECT_FALSE(IsIconic(owner));
  EXPECT_TRUE(IsWindowVisible(popup));

  rec.Watch(popup, 0);
  SetActiveWindow(owner);
  rec.Clear();
  DefWindowProcA(owner, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(owner));
  EXPECT_FALSE(IsWindowVisible(popup));
  EXPECT_TRUE(rec.CheckOnly({WM_SHOWWINDOW},
                            {{WM_SHOWWINDOW, kSent, std::nullopt, SW_PARENTCLOSING},
                             {WM_SHOWWINDOW, kSent | kDefProc, std::nullopt, 0}},
                            "minimise command"));
  DefWindowProcA(owner, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(IsIconic(owner));
  EXPECT_TRUE(IsWindowVisible(popup));
  EXPECT_TRUE(rec.CheckOnly({WM_SHOWWINDOW},
                            {{WM_SHOWWINDOW, kSent, std::nullopt, SW_PARENTOPENING},
                             {WM_SHOWWINDOW, kSent | kDefProc, std::nullopt, 0}},
                            "restore command"));

  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  ASSERT_TRUE(GetWindowPlacement(owner, &placement));
  EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
  EXPECT_EQ(placement.rcNormalPosition.left, 10);
  DestroyWindow(owner);
}

}  // namespace
}  // namespace conform
