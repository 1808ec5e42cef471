// Mouse routing, capture, mouse-leave tracking, timers and the queue: WM_QUIT ordering and the
// filters of PeekMessage.
#include <gtest/gtest.h>

#include <vector>

#include "recorder.h"

namespace conform {
namespace {

HWND MakeShown(Recorder& rec, int x, int y) {
  HWND hwnd = rec.Make(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, x, y, 100, 80);
  Recorder::Pump();
  return hwnd;
}

void MouseTo(int x, int y) {
  SetCursorPos(x, y);
  // A move through the input queue, so the system routes it as real input.
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = MOUSEEVENTF_MOVE;
  SendInput(1, &input, sizeof input);
}

TEST(Input, CaptureKeepsMouseMessagesOutsideTheClient) {
  Recorder rec;
  HWND hwnd = MakeShown(rec, 300, 300);
  HWND other = MakeShown(rec, 600, 300);
  rec.Watch(hwnd, 0);
  rec.Watch(other, 3);
  MouseTo(330, 320);
  PumpUntil([&] { return rec.Of(WM_MOUSEMOVE).size() > 0; });
  SetCapture(hwnd);
  EXPECT_EQ(GetCapture(), hwnd);
  rec.Clear();
  // Over the other window and then left of the screen area of ours: still ours, in our
  // client coordinates.
  MouseTo(650, 330);
  ASSERT_TRUE(PumpUntil([&] { return rec.Of(WM_MOUSEMOVE).size() > 0; }));
  MouseTo(250, 290);
  ASSERT_TRUE(PumpUntil([&] { return rec.Of(WM_MOUSEMOVE).size() > 1; }));
  EXPECT_TRUE(rec.Check({{WM_MOUSEMOVE, kPosted, 0, MAKELPARAM(350, 30)},
                         {WM_MOUSEMOVE, kPosted, 0, MAKELPARAM(-50, -10)}},
                        "moves under capture"));
  ReleaseCapture();
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(rec.Check({{WM_CAPTURECHANGED, kSent, 0, 0}}, "release"));
  // Taking the capture to another window tells the old one who has it now.
  SetCapture(hwnd);
  SetCapture(other);
  EXPECT_TRUE(
      rec.Check({{WM_CAPTURECHANGED, kSent, 0, reinterpret_cast<LPARAM>(other)}}, "capture moved"));
  ReleaseCapture();
  Recorder::Pump();
  DestroyWindow(other);
  DestroyWindow(hwnd);
}

// A child's default WM_SETCURSOR asks its parent first; a parent that answers TRUE ends it.
TEST(Input, SetCursorGoesToTheParentThroughDefaultProcessing) {
  struct Case {
    const char* name;
    LRESULT parentAnswer;
    Table expected;
  } const cases[] = {
      {"parent declines", FALSE, {{WM_SETCURSOR}, {WM_SETCURSOR, kSent | kParent | kDefProc}}},
      {"parent claims", TRUE, {{WM_SETCURSOR}, {WM_SETCURSOR, kSent | kParent | kDefProc}}},
  };
  for (const Case& c : cases) {
    Recorder rec;
    HWND parent = rec.Make(0, WS_POPUP, 0, 0, 100, 100);
    HWND child = rec.Make(0, WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent);
    rec.Watch(child, 0);
    rec.Watch(parent, 1);
    rec.handler = [&](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (hwnd == parent && message == WM_SETCURSOR) return c.parentAnswer;
      return std::nullopt;
    };
    rec.Clear();
    const LRESULT result =
        SendMessageA(child, WM_SETCURSOR, WPARAM(child), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_TRUE(rec.Check(c.expected, c.name));
    EXPECT_EQ(result, c.parentAnswer) << c.name;
    DestroyWindow(parent);
  }
}

TEST(Input, TrackMouseLeavePostsOneLeave) {
  Recorder rec;
  HWND hwnd = MakeShown(rec, 300, 300);
  rec.Watch(hwnd, 0);
  MouseTo(340, 340);
  ASSERT_TRUE(PumpUntil([&] { return rec.Of(WM_MOUSEMOVE).size() > 0; }));
  TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, hwnd, HOVER_DEFAULT};
  ASSERT_TRUE(_TrackMouseEvent(&track));
  MouseTo(800, 800);
  ASSERT_TRUE(PumpUntil([&] { return rec.Of(WM_MOUSELEAVE).size() > 0; }));
  // Tracking ends with the leave: moving in and out again without a new request sends none.
  MouseTo(340, 340);
  PumpUntil([&] { return rec.Of(WM_MOUSEMOVE).size() > 1; });
  MouseTo(800, 800);
  Recorder::Pump();
  EXPECT_EQ(rec.Of(WM_MOUSELEAVE).size(), 1u);
  DestroyWindow(hwnd);
}

int threadTicks;
VOID CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++threadTicks; }

TEST(Input, TimersTickUntilKilled) {
  Recorder rec;
  HWND hwnd = rec.Make(0, WS_POPUP, 0, 0, 10, 10);
  rec.Watch(hwnd, 0);
  ASSERT_EQ(SetTimer(hwnd, 7, 10, nullptr), 7u);
  ASSERT_TRUE(PumpUntil([&] { return rec.Of(WM_TIMER).size() >= 2; }));
  for (const Logged& logged : rec.Of(WM_TIMER)) {
    EXPECT_EQ(logged.wParam, 7u);
    EXPECT_TRUE(logged.posted);
  }
  EXPECT_TRUE(KillTimer(hwnd, 7));
  EXPECT_FALSE(KillTimer(hwnd, 7));
  rec.Clear();
  Sleep(50);
  Recorder::Pump();
  EXPECT_TRUE(rec.Check({}, "after KillTimer"));

  // A thread timer: no window, the queue's message carries the id and the procedure.
  threadTicks = 0;
  const UINT_PTR id = SetTimer(nullptr, 0, 10, &CountTick);
  ASSERT_NE(id, 0u);
  MSG msg;
  ASSERT_TRUE(
      PumpUntil([&] { return PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE); }));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.wParam, id);
  ASSERT_TRUE(PumpUntil([&] { return threadTicks >= 2; }));
  EXPECT_TRUE(KillTimer(nullptr, id));
  const int stopped = threadTicks;
  Sleep(50);
  Recorder::Pump();
  EXPECT_EQ(threadTicks, stopped);
  DestroyWindow(hwnd);
}

// WM_QUIT is taken only once no posted message is left, whatever the order of posting.
TEST(Input, QuitComesAfterPostedMessages) {
  Recorder rec;
  HWND hwnd = rec.Make(0, WS_POPUP, 0, 0, 10, 10);
  PostQuitMessage(3);
  PostMessageA(hwnd, WM_USER, 1, 0);
  PostMessageA(hwnd, WM_USER, 2, 0);
  std::vector<UINT> order;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    order.push_back(msg.message);
    if (msg.message == WM_QUIT) {
      EXPECT_EQ(msg.wParam, 3u);
      EXPECT_EQ(msg.hwnd, nullptr);
    }
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_USER, WM_QUIT}));
  DestroyWindow(hwnd);
}

TEST(Input, PeekMessageFilters) {
  Recorder rec;
  HWND a = rec.Make(0, WS_POPUP, 0, 0, 10, 10);
  HWND b = rec.Make(0, WS_POPUP, 0, 0, 10, 10);
  PostMessageA(a, WM_USER + 1, 0, 0);
  PostMessageA(b, WM_USER + 2, 0, 0);
  PostMessageA(a, WM_APP, 0, 0);
  MSG msg;
  struct Step {
    const char* name;
    HWND window;
    UINT first, last, remove;
    BOOL found;
    UINT message;
  } const steps[] = {
      {"window b, keep", b, 0, 0, PM_NOREMOVE, TRUE, WM_USER + 2},
      {"window b, take", b, 0, 0, PM_REMOVE, TRUE, WM_USER + 2},
      {"window b, empty", b, 0, 0, PM_REMOVE, FALSE, 0},
      {"range of WM_APP", nullptr, WM_APP, WM_APP, PM_REMOVE, TRUE, WM_APP},
      {"range with nothing", nullptr, WM_USER + 2, WM_USER + 10, PM_REMOVE, FALSE, 0},
      {"the rest", nullptr, 0, 0, PM_REMOVE, TRUE, WM_USER + 1},
      {"empty", nullptr, 0, 0, PM_REMOVE, FALSE, 0},
  };
  for (const Step& step : steps) {
    const BOOL found = PeekMessageA(&msg, step.window, step.first, step.last, step.remove);
    EXPECT_EQ(found, step.found) << step.name;
    if (found) {
      EXPECT_EQ(msg.message, step.message) << step.name;
    }
  }
  DestroyWindow(a);
  DestroyWindow(b);
}

}  // namespace
}  // namespace conform
