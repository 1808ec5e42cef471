// Windows, geometry and message sequences, as the framework relies on them.
#include <gtest/gtest.h>

#include "platform/win32.h"
#include "tests/platform_user/message_log.h"

using user_test::ClearLog;
using user_test::LoggingClass;
using user_test::Messages;

namespace {

HWND Make(DWORD style, HWND parent = nullptr, DWORD exStyle = 0, RECT r = {10, 20, 210, 170}) {
  return CreateWindowExA(exStyle, LoggingClass(), "title", style, r.left, r.top, r.right - r.left,
                         r.bottom - r.top, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

TEST(UserWindow, CreationSequences) {
  struct Case {
    const char* name;
    DWORD style;
    std::vector<UINT> expected;
  } cases[] = {
      {"hidden popup", WS_POPUP, {WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}},
      // An overlapped window's first WM_SIZE and WM_MOVE wait until it is shown.
      {"hidden overlapped",
       WS_OVERLAPPEDWINDOW,
       {WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE}},
  };
  for (const Case& c : cases) {
    ClearLog();
    HWND window = Make(c.style);
    ASSERT_TRUE(window) << c.name;
    EXPECT_EQ(Messages(window), c.expected) << c.name;
    DestroyWindow(window);
  }
}

TEST(UserWindow, MoveResizeAndShowSequences) {
  HWND window = Make(WS_POPUP);
  ClearLog();
  SetWindowPos(window, nullptr, 30, 40, 100, 60, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(Messages(window), (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_NCCALCSIZE,
                                                 WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}));
  RECT rect;
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 30);
  EXPECT_EQ(rect.bottom, 100);

  ClearLog();
  SetWindowPos(window, nullptr, 35, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(Messages(window),
            (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE}));

  ClearLog();
  ShowWindow(window, SW_SHOWNOACTIVATE);
  EXPECT_EQ(Messages(window),
            (std::vector<UINT>{WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED}));
  EXPECT_TRUE(IsWindowVisible(window));

  ClearLog();
  ShowWindow(window, SW_HIDE);
  EXPECT_EQ(Messages(window),
            (std::vector<UINT>{WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED}));
  EXPECT_FALSE(IsWindowVisible(window));
  DestroyWindow(window);
}

TEST(UserWindow, DestructionOrder) {
  HWND owner = Make(WS_POPUP);
  HWND child = Make(WS_CHILD | WS_VISIBLE, owner, WS_EX_NOPARENTNOTIFY);
  HWND owned = Make(WS_POPUP, owner);
  ASSERT_EQ(GetWindow(owned, GW_OWNER), owner);
  ASSERT_EQ(GetParent(child), owner);
  ClearLog();
  EXPECT_TRUE(DestroyWindow(owner));
  std::vector<std::pair<HWND, UINT>> order;
  for (const auto& entry : user_test::Log())
    if (entry.message == WM_DESTROY || entry.message == WM_NCDESTROY)
      order.emplace_back(entry.window, entry.message);
  EXPECT_EQ(order, (std::vector<std::pair<HWND, UINT>>{{owned, WM_DESTROY},
                                                       {owned, WM_NCDESTROY},
                                                       {owner, WM_DESTROY},
                                                       {child, WM_DESTROY},
                                                       {child, WM_NCDESTROY},
                                                       {owner, WM_NCDESTROY}}));
  EXPECT_FALSE(IsWindow(owner));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(owned));
  // A stale handle never reaches a window created later.
  HWND later = Make(WS_POPUP);
  EXPECT_NE(later, owner);
  EXPECT_FALSE(IsWindow(owner));
  EXPECT_EQ(GetWindowLongA(owner, GWL_STYLE), 0);
  DestroyWindow(later);
}

TEST(UserWindow, ClientAreaFollowsFrameStyles) {
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
  for (const Case& c : cases) {
    HWND window = Make(c.style, nullptr, c.exStyle, RECT{0, 0, 300, 200});
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

TEST(UserWindow, LongsPropsAndText) {
  HWND window = Make(WS_POPUP);
  EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, 1234), 0);
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 1234);
  EXPECT_EQ(SetWindowLongA(window, 4, 77), 0);
  EXPECT_EQ(GetWindowLongA(window, 4), 77);
  SetLastError(0);
  EXPECT_EQ(GetWindowLongA(window, 8), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));

  static int subclassed = 0;
  struct Sub {
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
      if (m == WM_USER + 1) return ++subclassed;
      return DefWindowProcA(w, m, wp, lp);
    }
  };
  LONG_PTR old = SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Sub::Proc));
  EXPECT_NE(old, 0);
  EXPECT_EQ(SendMessageA(window, WM_USER + 1, 0, 0), 1);
  SetWindowLongPtrA(window, GWLP_WNDPROC, old);

  int marker = 0;
  EXPECT_TRUE(SetPropA(window, "Marker", &marker));
  EXPECT_EQ(GetPropA(window, "MARKER"), &marker);
  EXPECT_EQ(RemovePropA(window, "marker"), &marker);
  EXPECT_EQ(GetPropA(window, "Marker"), nullptr);

  char text[16];
  EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 5);
  EXPECT_STREQ(text, "title");
  EXPECT_TRUE(SetWindowTextA(window, "a longer caption"));
  EXPECT_EQ(GetWindowTextLengthA(window), 16);
  EXPECT_EQ(GetWindowTextA(window, text, 6), 5);
  EXPECT_STREQ(text, "a lon");

  UINT first = RegisterWindowMessageA("UserTestMessage");
  EXPECT_GE(first, 0xC000u);
  EXPECT_EQ(RegisterWindowMessageA("usertestmessage"), first);
  DestroyWindow(window);
}

TEST(UserWindow, OwnedPopupsFollowTheirOwner) {
  HWND owner = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND popup = Make(WS_POPUP | WS_VISIBLE, owner);
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

  const auto popupShows = [popup] {
    std::vector<LPARAM> reasons;
    for (const user_test::Logged& entry : user_test::Log()) {
      if (entry.window == popup && entry.message == WM_SHOWWINDOW) reasons.push_back(entry.lParam);
    }
    return reasons;
  };
  SetActiveWindow(owner);
  ClearLog();
  DefWindowProcA(owner, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(owner));
  EXPECT_FALSE(IsWindowVisible(popup));
  EXPECT_EQ(popupShows(), (std::vector<LPARAM>{SW_PARENTCLOSING, 0}));
  ClearLog();
  DefWindowProcA(owner, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(IsIconic(owner));
  EXPECT_TRUE(IsWindowVisible(popup));
  EXPECT_EQ(popupShows(), (std::vector<LPARAM>{SW_PARENTOPENING, 0}));

  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  ASSERT_TRUE(GetWindowPlacement(owner, &placement));
  EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
  EXPECT_EQ(placement.rcNormalPosition.left, 10);
  DestroyWindow(owner);
}

}  // namespace
