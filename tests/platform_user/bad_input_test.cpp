// Hostile use: windows destroyed from inside their own handlers, re-entrant sends, stale
// handles and absurd parameters. Every call must fail cleanly or do something bounded.
#include <gtest/gtest.h>

#include "recorder.h"

namespace conform {
namespace {

TEST(BadInput, WindowDestroyedInsideItsOwnHandler) {
  Recorder rec;
  HWND hwnd = rec.Make(0, WS_POPUP, 0, 0, 10, 10);
  rec.Watch(hwnd, 0);
  rec.handler = [](HWND self, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message != WM_USER) return std::nullopt;
    DestroyWindow(self);
    return 7;
  };
  rec.Clear();
  EXPECT_EQ(SendMessageA(hwnd, WM_USER, 0, 0), 7);
  EXPECT_TRUE(rec.Check({{WM_USER}, {WM_DESTROY}, {WM_NCDESTROY}}, "destroy self"));
  EXPECT_FALSE(IsWindow(hwnd));
}

// A child's handler destroys its parent: both go, the send into the child returns.
TEST(BadInput, ChildDestroysItsParentFromItsHandler) {
  Recorder rec;
  HWND parent = rec.Make(0, WS_POPUP, 0, 0, 100, 100);
  HWND child = rec.Make(0, WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent);
  rec.Watch(child, 0);
  rec.Watch(parent, 1);
  rec.handler = [&](HWND self, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (self != child || message != WM_USER) return std::nullopt;
    DestroyWindow(parent);
    return 1;
  };
  rec.Clear();
  EXPECT_EQ(SendMessageA(child, WM_USER, 0, 0), 1);
  EXPECT_TRUE(rec.Check({{WM_USER},
                         {WM_DESTROY, kSent | kParent},
                         {WM_DESTROY},
                         {WM_NCDESTROY},
                         {WM_NCDESTROY, kSent | kParent}},
                        "child destroys parent"));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(parent));
  // A message posted to it before is dropped with it.
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE));
}

// Sends nest: each handler's result comes back through the chain of sends, in order.
TEST(BadInput, ReentrantSendChains) {
  Recorder rec;
  HWND a = rec.Make(0, WS_POPUP, 0, 0, 10, 10);
  HWND b = rec.Make(0, WS_POPUP, 0, 0, 10, 10);
  rec.Watch(a, 0);
  rec.Watch(b, 3);
  rec.handler = [&](HWND self, UINT message, WPARAM depth, LPARAM) -> std::optional<LRESULT> {
    if (message != WM_USER) return std::nullopt;
    if (depth == 0) return 1;
    return 1 + SendMessageA(self == a ? b : a, WM_USER, depth - 1, 0);
  };
  rec.Clear();
  EXPECT_EQ(SendMessageA(a, WM_USER, 3, 0), 4);
  EXPECT_TRUE(rec.Check({{WM_USER, kSent, 3},
                         {WM_USER, kSent | kOther, 2},
                         {WM_USER, kSent, 1},
                         {WM_USER, kSent | kOther, 0}},
                        "ping-pong"));
  // Deep, but within the nesting the reference system allows (it returns 0 past 64).
  EXPECT_EQ(SendMessageA(a, WM_USER, 60, 0), 61);
  rec.Clear();
  DestroyWindow(a);
  DestroyWindow(b);
}

TEST(BadInput, StaleHandlesFailCleanly) {
  Recorder rec;
  HWND hwnd = rec.Make(0, WS_POPUP, 0, 0, 10, 10);
  ASSERT_TRUE(DestroyWindow(hwnd));
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(IsWindow(nullptr));
  RECT rect;
  POINT point = {0, 0};
  struct Call {
    const char* name;
    bool (*fails)(HWND hwnd);
  } const calls[] = {
      {"DestroyWindow", [](HWND h) { return !DestroyWindow(h); }},
      {"SendMessageA", [](HWND h) { return SendMessageA(h, WM_USER, 1, 2) == 0; }},
      {"PostMessageA", [](HWND h) { return !PostMessageA(h, WM_USER, 1, 2); }},
      {"ShowWindow", [](HWND h) { return !ShowWindow(h, SW_SHOW); }},
      {"SetWindowPos", [](HWND h) { return !SetWindowPos(h, nullptr, 1, 2, 3, 4, 0x0014); }},
      {"GetWindowLongA", [](HWND h) { return GetWindowLongA(h, GWL_STYLE) == 0; }},
      {"SetWindowLongA", [](HWND h) { return SetWindowLongA(h, GWL_USERDATA, 5) == 0; }},
      {"GetParent", [](HWND h) { return GetParent(h) == nullptr; }},
      {"SetPropA", [](HWND h) { return !SetPropA(h, "Conform.Stale", h); }},
      {"GetPropA", [](HWND h) { return GetPropA(h, "Conform.Stale") == nullptr; }},
      {"InvalidateRect", [](HWND h) { return !InvalidateRect(h, nullptr, TRUE); }},
      {"SetTimer", [](HWND h) { return SetTimer(h, 1, 10, nullptr) == 0; }},
      {"GetDC", [](HWND h) { return GetDC(h) == nullptr; }},
      {"IsWindowVisible", [](HWND h) { return !IsWindowVisible(h); }},
      {"SetCapture", [](HWND h) { return SetCapture(h), GetCapture() == nullptr; }},
  };
  for (const Call& call : calls) {
    SetLastError(0);
    EXPECT_TRUE(call.fails(hwnd)) << call.name;
  }
  SetLastError(0);
  EXPECT_FALSE(GetClientRect(hwnd, &rect));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(ClientToScreen(hwnd, &point));
  EXPECT_FALSE(GetWindowRect(hwnd, &rect));
}

TEST(BadInput, AbsurdParameters) {
  Recorder rec;
  HWND hwnd = rec.Make(0, WS_POPUP, 0, 0, 10, 10);
  RECT rect;
  // A negative size is taken as empty.
  ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 5, 5, -20, -30, SWP_NOZORDER | SWP_NOACTIVATE));
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect.right - rect.left, 0);
  EXPECT_EQ(rect.bottom - rect.top, 0);
  // Far off the screen, the client area still follows.
  ASSERT_TRUE(MoveWindow(hwnd, -30000, 30000, 50, 60, FALSE));
  GetClientRect(hwnd, &rect);
  EXPECT_EQ(rect.right, 50);
  POINT point = {0, 0};
  ClientToScreen(hwnd, &point);
  EXPECT_EQ(point.x, -30000);
  // Unknown indexes and messages.
  SetLastError(0);
  EXPECT_EQ(GetWindowLongA(hwnd, 4000), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
  EXPECT_EQ(SendMessageA(hwnd, 0xBFFF, ~WPARAM(0), -1), 0);
  EXPECT_FALSE(KillTimer(hwnd, 12345));
  RECT inverted = {50, 50, 10, 10};
  EXPECT_TRUE(InvalidateRect(hwnd, &inverted, TRUE));
  EXPECT_FALSE(GetUpdateRect(hwnd, &rect, FALSE));
  DestroyWindow(hwnd);
}

}  // namespace
}  // namespace conform
