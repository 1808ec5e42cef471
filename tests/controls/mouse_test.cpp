// Mouse input through the real system path: the pointer is moved and buttons pressed with
// SetCursorPos / SendInput over a tree shown on the display.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/mouse_capture.h"
#include "controls_test_support.h"
#include "runtime/exception.h"

namespace {

using test_support::HostWindow;

class Recorder : public TObject {
 public:
  void Click(TObject*) { events += "click;"; }
  void DoubleClick(TObject*) { events += "dbl;"; }
  void Enter(TObject*) { events += "enter;"; }
  void Leave(TObject*) { events += "leave;"; }
  void Up(TObject*, TMouseButton button, TShiftState, int32_t x, int32_t y) {
    events +=
        "up" + std::to_string(button) + "(" + std::to_string(x) + "," + std::to_string(y) + ");";
  }
  void Down(TObject*, TMouseButton, TShiftState shift, int32_t, int32_t) {
    events += (shift & ShiftBit(ssDouble)) ? "down2;" : "down;";
  }
  std::string events;
};

// Host window at screen (100, 100); container over all of it; a label-like swatch at
// (50, 50, 40 x 20) in the container, so its screen rectangle is (150, 150)-(190, 170).
struct MouseTree {
  HostWindow host{100, 100, 300, 200};
  TLogWinControl* root = new TLogWinControl(nullptr);
  TSwatch* label = new TSwatch(nullptr);
  Recorder recorder;
  MouseTree() {
    root->SetBounds(0, 0, 300, 200);
    root->SetCursor(crDefault);
    label->SetBounds(50, 50, 40, 20);
    label->SetCursor(crHandPoint);
    label->SetParent(root);
    label->OnClick = TNotifyEvent::Bind<&Recorder::Click>(&recorder);
    label->OnDblClick = TNotifyEvent::Bind<&Recorder::DoubleClick>(&recorder);
    label->OnMouseUp = TMouseEvent::Bind<&Recorder::Up>(&recorder);
    label->OnMouseDown = TMouseEvent::Bind<&Recorder::Down>(&recorder);
    label->OnMouseEnter = TNotifyEvent::Bind<&Recorder::Enter>(&recorder);
    label->OnMouseLeave = TNotifyEvent::Bind<&Recorder::Leave>(&recorder);
    root->SetHostWindow(host.Get());
    root->SyncVisibilityState();
    UpdateWindow(root->Handle());
    MoveTo(10, 10);
    recorder.events.clear();
  }
  ~MouseTree() { root->Free(); }

  // An absolute move through the input queue, so hit testing and WM_SETCURSOR run.
  static void MoveTo(int x, int y) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(x + 100, 65535, width - 1);
    input.mi.dy = MulDiv(y + 100, 65535, height - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
    platform_testing::PumpUntilIdle();
  }
  static void Button(bool down) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof input);
    platform_testing::PumpUntilIdle();
  }
  void Press(int x, int y) {
    MoveTo(x, y);
    Button(true);
  }
  void Release(int x, int y) {
    MoveTo(x, y);
    Button(false);
  }
};

TEST(Mouse, ClickFiresOnlyForAPressAndReleaseInside) {
  struct Case {
    const char* name;
    POINT press, release;
    const char* expected;
  } cases[] = {
      {"inside", {60, 55}, {60, 55}, "down;click;up0(10,5);"},
      {"last column", {60, 55}, {89, 55}, "down;click;up0(39,5);"},
      {"one pixel right", {60, 55}, {90, 55}, "down;up0(40,5);"},
      {"one pixel below", {60, 55}, {60, 70}, "down;up0(10,20);"},
      {"dragged away", {60, 55}, {150, 150}, "down;up0(100,100);"},
      {"pressed outside", {20, 20}, {60, 55}, ""},
  };
  for (const Case& c : cases) {
    MouseTree tree;
    tree.Press(c.press.x, c.press.y);
    tree.Release(c.release.x, c.release.y);
    std::string events = tree.recorder.events;
    for (const char* noise : {"enter;", "leave;"}) {
      for (size_t at; (at = events.find(noise)) != std::string::npos;) {
        events.erase(at, std::string(noise).size());
      }
    }
    EXPECT_EQ(events, c.expected) << c.name;
    EXPECT_EQ(GetCapture(), nullptr) << c.name;
  }
}

TEST(Mouse, DoubleClickFiresOnceAfterOneClick) {
  MouseTree tree;
  tree.MoveTo(60, 55);
  tree.recorder.events.clear();
  for (int i = 0; i < 2; ++i) {
    MouseTree::Button(true);
    MouseTree::Button(false);
  }
  EXPECT_EQ(tree.recorder.events, "down;click;up0(10,5);dbl;down2;up0(10,5);");
}

TEST(Mouse, EnterAndLeaveFollowThePointer) {
  MouseTree tree;
  tree.MoveTo(60, 55);
  EXPECT_EQ(tree.root->MouseControl(), tree.label);
  tree.MoveTo(200, 150);
  EXPECT_EQ(tree.root->MouseControl(), tree.root);
  EXPECT_EQ(tree.recorder.events, "enter;leave;");
}

TEST(Mouse, CursorComesFromTheChildThenTheOverride) {
  MouseTree tree;
  const HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
  const HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
  tree.MoveTo(60, 55);
  EXPECT_EQ(GetCursor(), hand);
  tree.MoveTo(200, 150);  // over the container: its crDefault leaves the class arrow
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
  tree.label->SetEnabled(false);  // a disabled child lets the container decide
  tree.MoveTo(60, 55);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
  tree.label->SetEnabled(true);
  TestHost().cursorOverride = crArrow;
  tree.MoveTo(61, 55);
  EXPECT_EQ(GetCursor(), cross);
  TestHost().cursorOverride = crDefault;
}

TEST(Mouse, DestroyingTheCapturingChildReleasesTheCapture) {
  MouseTree tree;
  tree.Press(60, 55);
  EXPECT_EQ(CaptureControl(), tree.label);
  EXPECT_EQ(GetCapture(), tree.root->HandleValue());
  tree.label->Free();
  EXPECT_EQ(CaptureControl(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(tree.root->MouseControl(), nullptr);
  MouseTree::Button(false);
}

TEST(Mouse, AnEscapingHandlerIsReportedAndTheCaptureIsGone) {
  MouseTree tree;
  class Thrower : public TObject {
   public:
    void Click(TObject*) { throw EInvalidOperation("refused"); }
  } thrower;
  tree.label->OnClick = TNotifyEvent::Bind<&Thrower::Click>(&thrower);
  TestHost().reported.clear();
  tree.Press(60, 55);
  tree.Release(60, 55);
  EXPECT_EQ(TestHost().reported, std::vector<std::string>{"refused"});
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
