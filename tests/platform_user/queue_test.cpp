// The message queue: retrieval order and filters, WM_QUIT, WM_PAINT from update regions,
// timers and posting from another thread.
#include <gtest/gtest.h>

#include <thread>

#include "platform/win32.h"
#include "recorder.h"

namespace conform {
namespace {

// A window of the recording class; nothing here is recorded.
HWND MakePopup(DWORD style = WS_POPUP) {
  Recorder rec;
  return rec.Make(0, style, 0, 0, 100, 80);
}

void Drain() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

TEST(UserQueue, OrderFiltersAndQuit) {
  HWND window = MakePopup(WS_POPUP | WS_VISIBLE);
  Drain();
  InvalidateRect(window, nullptr, TRUE);
  PostMessageA(window, WM_USER + 1, 1, 0);
  PostMessageA(window, WM_USER + 2, 2, 0);
  PostQuitMessage(3);
  MSG msg;
  // A range filter picks the later message first and leaves the other one.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
  ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
  std::vector<UINT> order;
  while (GetMessageA(&msg, nullptr, 0, 0)) {
    order.push_back(msg.message);
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(msg.wParam, 3u);
  // WM_QUIT comes after the posted messages, before the pending WM_PAINT.
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 1}));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  DispatchMessageA(&msg);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  DestroyWindow(window);
  EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
}

TEST(UserQueue, UpdateRegionAccumulatesAndValidates) {
  HWND window = MakePopup(WS_POPUP | WS_VISIBLE);
  Drain();
  RECT a{0, 0, 10, 10}, b{20, 30, 40, 50}, update;
  InvalidateRect(window, &a, FALSE);
  InvalidateRect(window, &b, FALSE);
  ASSERT_TRUE(GetUpdateRect(window, &update, FALSE));
  EXPECT_EQ(update.right, 40);
  EXPECT_EQ(update.bottom, 50);
  ValidateRect(window, nullptr);
  EXPECT_FALSE(GetUpdateRect(window, &update, FALSE));

  // Painting erases with the class brush (white), over what was drawn before.
  HDC dc = GetDC(window);
  const RECT all{0, 0, 100, 80};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ASSERT_EQ(GetPixel(dc, 5, 5), RGB(0, 0, 0));
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
  EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 255, 255));
  ReleaseDC(window, dc);
  DestroyWindow(window);
}

TEST(UserQueue, TimersAndOtherThreads) {
  HWND window = MakePopup();
  Drain();
  EXPECT_EQ(SetTimer(window, 7, 10, nullptr), 7u);
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_TRUE(KillTimer(window, 7));
  EXPECT_FALSE(KillTimer(window, 7));

  std::thread poster([window] { PostMessageA(window, WM_USER + 5, 0, 0); });
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 5));
  poster.join();

  // A send from another thread is handled while this one retrieves messages; the
  // sender's post afterwards ends the loop.
  SetWindowTextA(window, "abc");
  LRESULT sent = 0;
  std::thread sender([window, &sent] {
    sent = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    PostMessageA(window, WM_USER + 6, 0, 0);
  });
  while (GetMessageA(&msg, nullptr, 0, 0) && msg.message != WM_USER + 6) DispatchMessageA(&msg);
  sender.join();
  EXPECT_EQ(sent, 3);
  DestroyWindow(window);
}

}  // namespace
}  // namespace conform
