// Message sequences of window creation, showing, moving, minimising and destruction, as the
// framework's window procedures see them.
#include <gtest/gtest.h>

#include <functional>

#include "recorder.h"

namespace conform {
namespace {

// The window's screen rectangle after a step, edge by edge so a failure names the edge.
void ExpectWindowRect(HWND hwnd, const RECT& expected, const char* name) {
  RECT rect;
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect.left, expected.left) << name;
  EXPECT_EQ(rect.top, expected.top) << name;
  EXPECT_EQ(rect.right, expected.right) << name;
  EXPECT_EQ(rect.bottom, expected.bottom) << name;
}

constexpr DWORD kCaptioned = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

TEST(Sequences, Creation) {
  struct Case {
    const char* name;
    DWORD style;
    Table expected;
  } const cases[] = {
      {"hidden popup",
       WS_POPUP,
       {{WM_NCCREATE},
        {WM_NCCALCSIZE, kSent, FALSE},
        {WM_CREATE},
        {WM_SIZE, kSent, SIZE_RESTORED, MAKELPARAM(120, 80)},
        {WM_MOVE, kSent, 0, MAKELPARAM(30, 40)}}},
      // No WM_GETMINMAXINFO without a sizing border or the overlapped style.
      {"captioned popup",
       kCaptioned,
       {{WM_NCCREATE},
        {WM_NCCALCSIZE, kSent, FALSE},
        {WM_CREATE},
        {WM_SIZE, kSent, SIZE_RESTORED},
        {WM_MOVE, kSent}}},
      // An overlapped window gets its first WM_SIZE and WM_MOVE only when it is shown.
      {"overlapped",
       WS_OVERLAPPEDWINDOW,
       {{WM_GETMINMAXINFO}, {WM_NCCREATE}, {WM_NCCALCSIZE, kSent, FALSE}, {WM_CREATE}}},
  };
  for (const Case& c : cases) {
    Recorder rec;
    HWND hwnd = rec.Make(0, c.style, 30, 40, 120, 80);
    ASSERT_TRUE(hwnd) << c.name;
    rec.Watch(hwnd, 0);
    EXPECT_TRUE(rec.Check(c.expected, c.name));
    DestroyWindow(hwnd);
  }
}

TEST(Sequences, ChildCreationNotifiesParent) {
  Recorder rec;
  HWND parent = rec.Make(0, WS_POPUP, 0, 0, 200, 200);
  rec.Clear();
  HWND child = rec.Make(0, WS_CHILD | WS_VISIBLE, 10, 20, 50, 60, parent);
  rec.Watch(child, 0);
  rec.Watch(parent, 1);
  EXPECT_TRUE(
      rec.Check({{WM_NCCREATE},
                 {WM_NCCALCSIZE, kSent, FALSE},
                 {WM_CREATE},
                 {WM_SIZE, kSent, SIZE_RESTORED, MAKELPARAM(50, 60)},
                 {WM_MOVE, kSent, 0, MAKELPARAM(10, 20)},
                 {WM_PARENTNOTIFY, kSent | kParent, WM_CREATE, reinterpret_cast<LPARAM>(child)},
                 {WM_SHOWWINDOW, kSent, TRUE, 0}},
                "child creation"));
  DestroyWindow(parent);
}

// The first window shown activates the application; an owned popup shown after it takes the
// activation and the focus from its owner.
TEST(Sequences, ShowOwnedPopupActivates) {
  Recorder rec;
  HWND owner = rec.Make(0, kCaptioned, 100, 100, 300, 200);
  HWND popup = rec.Make(0, WS_POPUP, 150, 150, 100, 50, owner);
  rec.Watch(popup, 0);
  rec.Watch(owner, 1);
  rec.Clear();
  ShowWindow(owner, SW_SHOWNORMAL);
  // WM_ACTIVATEAPP goes to every top-level window of the thread, hidden ones too, in z-order.
  EXPECT_TRUE(rec.Check({{WM_SHOWWINDOW, kSent | kParent, TRUE, 0},
                         {WM_WINDOWPOSCHANGING, kSent | kParent},
                         {WM_QUERYNEWPALETTE, kSent | kParent | kOptional},
                         {WM_ACTIVATEAPP, kSent, TRUE},
                         {WM_ACTIVATEAPP, kSent | kParent, TRUE},
                         {WM_NCACTIVATE, kSent | kParent, TRUE},
                         {WM_GETTEXT, kSent | kParent | kDefProc | kOptional},
                         {WM_ACTIVATE, kSent | kParent, WA_ACTIVE, 0},
                         {WM_SETFOCUS, kSent | kParent | kDefProc, 0},
                         {WM_NCPAINT, kSent | kParent | kOptional},
                         {WM_GETTEXT, kSent | kParent | kDefProc | kOptional},
                         {WM_ERASEBKGND, kSent | kParent | kOptional},
                         {WM_WINDOWPOSCHANGED, kSent | kParent}},
                        "show owner"));
  EXPECT_EQ(GetActiveWindow(), owner);
  EXPECT_EQ(GetFocus(), owner);
  Recorder::Pump();
  rec.Clear();
  ShowWindow(popup, SW_SHOWNORMAL);
  const LPARAM ownerL = reinterpret_cast<LPARAM>(owner), popupL = reinterpret_cast<LPARAM>(popup);
  EXPECT_TRUE(rec.Check({{WM_SHOWWINDOW, kSent, TRUE, 0},
                         {WM_WINDOWPOSCHANGING},
                         {WM_NCACTIVATE, kSent | kParent, FALSE},
                         {WM_GETTEXT, kSent | kParent | kDefProc | kOptional},
                         {WM_ACTIVATE, kSent | kParent, WA_INACTIVE, popupL},
                         {WM_QUERYNEWPALETTE, kSent | kOptional},
                         {WM_NCACTIVATE, kSent, TRUE},
                         {WM_ACTIVATE, kSent, WA_ACTIVE, ownerL},
                         {WM_KILLFOCUS, kSent | kParent | kDefProc, WPARAM(popup)},
                         {WM_SETFOCUS, kSent | kDefProc, WPARAM(owner)},
                         {WM_NCPAINT, kSent | kOptional},
                         {WM_ERASEBKGND, kSent | kOptional},
                         {WM_WINDOWPOSCHANGED}},
                        "show owned popup"));
  EXPECT_EQ(GetActiveWindow(), popup);
  EXPECT_EQ(GetFocus(), popup);
  DestroyWindow(owner);
}

// SetWindowPos with the flag sets the framework uses, on a shown popup at (100, 100)
// 200 x 100; WM_MOVE and WM_SIZE come from the default processing of WM_WINDOWPOSCHANGED.
TEST(Sequences, SetWindowPos) {
  struct Case {
    const char* name;
    UINT flags;
    RECT to;  // x, y, width, height
    Table expected;
    RECT rectAfter;
  } const cases[] = {
      {"0x0014 move and size",
       0x0014,
       {120, 130, 220, 110},
       {{WM_WINDOWPOSCHANGING},
        {WM_NCCALCSIZE, kSent, TRUE},
        {WM_NCPAINT, kSent | kOptional},
        {WM_ERASEBKGND, kSent | kOptional},
        {WM_WINDOWPOSCHANGED},
        {WM_MOVE, kSent | kDefProc, 0, MAKELPARAM(120, 130)},
        {WM_SIZE, kSent | kDefProc, SIZE_RESTORED, MAKELPARAM(220, 110)}},
       {120, 130, 340, 240}},
      {"0x0016 size only",
       0x0016,
       {0, 0, 150, 90},
       {{WM_WINDOWPOSCHANGING},
        {WM_NCCALCSIZE, kSent, TRUE},
        {WM_WINDOWPOSCHANGED},
        {WM_SIZE, kSent | kDefProc, SIZE_RESTORED, MAKELPARAM(150, 90)}},
       {100, 100, 250, 190}},
      // A pure move needs no new client area: the real system skips WM_NCCALCSIZE.
      {"0x001D move only, no redraw",
       0x001D,
       {50, 60, 0, 0},
       {{WM_WINDOWPOSCHANGING},
        {WM_NCCALCSIZE, kSent | kOptional, TRUE},
        {WM_WINDOWPOSCHANGED},
        {WM_MOVE, kSent | kDefProc, 0, MAKELPARAM(50, 60)}},
       {50, 60, 250, 160}},
      // Raised above the cover window: the uncovered part is repainted.
      {"0x0013 z-order only",
       0x0013,
       {0, 0, 0, 0},
       {{WM_WINDOWPOSCHANGING},
        {WM_NCPAINT, kSent | kOptional},
        {WM_ERASEBKGND, kSent | kOptional},
        {WM_WINDOWPOSCHANGED}},
       {100, 100, 300, 200}},
      {"0x0233 frame changed",
       0x0233,
       {0, 0, 0, 0},
       {{WM_WINDOWPOSCHANGING},
        {WM_NCCALCSIZE, kSent, TRUE},
        {WM_NCPAINT, kSent | kOptional},
        {WM_ERASEBKGND, kSent | kOptional},
        {WM_WINDOWPOSCHANGED}},
       {100, 100, 300, 200}},
      // Showing and hiding through SetWindowPos sends no WM_SHOWWINDOW.
      {"0x0097 hide",
       0x0097,
       {0, 0, 0, 0},
       {{WM_WINDOWPOSCHANGING}, {WM_WINDOWPOSCHANGED}},
       {100, 100, 300, 200}},
  };
  for (const Case& c : cases) {
    Recorder rec;
    HWND hwnd = rec.Make(WS_EX_TOOLWINDOW, WS_POPUP | WS_VISIBLE, 100, 100, 200, 100);
    HWND cover = rec.Make(WS_EX_TOOLWINDOW, WS_POPUP | WS_VISIBLE, 150, 150, 100, 100);
    rec.Watch(hwnd, 0);
    Recorder::Pump();
    rec.Clear();
    SetWindowPos(hwnd, HWND_TOP, c.to.left, c.to.top, c.to.right, c.to.bottom, c.flags);
    EXPECT_TRUE(rec.Check(c.expected, c.name));
    ExpectWindowRect(hwnd, c.rectAfter, c.name);
    DestroyWindow(cover);
    DestroyWindow(hwnd);
  }
}

// A hidden popup moved and sized, moved, shown without activation and hidden again. Hidden,
// it is not painted, and a pure move needs no new client area.
TEST(Sequences, HiddenPopupMovedShownAndHidden) {
  Recorder rec;
  HWND hwnd = rec.Make(0, WS_POPUP, 10, 20, 200, 150);
  rec.Watch(hwnd, 0);
  rec.Clear();
  constexpr UINT kQuiet = SWP_NOZORDER | SWP_NOACTIVATE;
  struct Step {
    const char* name;
    std::function<void()> action;
    Table expected;
    RECT rectAfter;
    bool visibleAfter;
  } const steps[] = {
      {"move and size",
       [&] { SetWindowPos(hwnd, nullptr, 30, 40, 100, 60, kQuiet); },
       {{WM_WINDOWPOSCHANGING},
        {WM_NCCALCSIZE},
        {WM_WINDOWPOSCHANGED},
        {WM_MOVE, kSent | kDefProc},
        {WM_SIZE, kSent | kDefProc}},
       {30, 40, 130, 100},
       false},
      {"move only",
       [&] { SetWindowPos(hwnd, nullptr, 35, 40, 0, 0, SWP_NOSIZE | kQuiet); },
       {{WM_WINDOWPOSCHANGING}, {WM_WINDOWPOSCHANGED}, {WM_MOVE, kSent | kDefProc}},
       {35, 40, 135, 100},
       false},
      {"show without activation",
       [&] { ShowWindow(hwnd, SW_SHOWNOACTIVATE); },
       {{WM_SHOWWINDOW, kSent, TRUE},
        {WM_WINDOWPOSCHANGING},
        {WM_NCPAINT, kSent | kOptional},
        {WM_ERASEBKGND, kSent | kOptional},
        {WM_WINDOWPOSCHANGED}},
       {35, 40, 135, 100},
       true},
      {"hide",
       [&] { ShowWindow(hwnd, SW_HIDE); },
       {{WM_SHOWWINDOW, kSent, FALSE}, {WM_WINDOWPOSCHANGING}, {WM_WINDOWPOSCHANGED}},
       {35, 40, 135, 100},
       false},
  };
  for (const Step& step : steps) {
    step.action();
    EXPECT_TRUE(rec.Check(step.expected, step.name));
    ExpectWindowRect(hwnd, step.rectAfter, step.name);
    EXPECT_EQ(IsWindowVisible(hwnd) != FALSE, step.visibleAfter) << step.name;
  }
  DestroyWindow(hwnd);
}

TEST(Sequences, ShowHiddenWithSetWindowPos0x0057) {
  Recorder rec;
  HWND hwnd = rec.Make(WS_EX_TOOLWINDOW, WS_POPUP, 100, 100, 200, 100);
  rec.Watch(hwnd, 0);
  rec.Clear();
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, 0x0057);
  EXPECT_TRUE(rec.Check({{WM_WINDOWPOSCHANGING},
                         {WM_NCPAINT, kSent | kOptional},
                         {WM_ERASEBKGND, kSent | kOptional},
                         {WM_WINDOWPOSCHANGED}},
                        "0x0057"));
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_NE(GetActiveWindow(), hwnd);
  DestroyWindow(hwnd);
}

// The owned popup is told its owner closes or opens, and its own default processing hides or
// shows it. Minimising through the default WM_SYSCOMMAND and through ShowOwnedPopups (both
// as the application object does it); only the popup's messages are compared.
TEST(Sequences, MinimizeOwnerHidesAndRestoresOwnedPopups) {
  Recorder rec;
  HWND owner = rec.Make(0, kCaptioned | WS_VISIBLE, 100, 100, 300, 200);
  HWND popup = rec.Make(0, WS_POPUP | WS_VISIBLE, 150, 150, 100, 50, owner);
  Recorder::Pump();
  rec.Watch(popup, 0);
  rec.Clear();
  Recorder::Default(owner, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(rec.Check({{WM_SHOWWINDOW, kSent | kDefProc, FALSE, SW_PARENTCLOSING},
                         {WM_SHOWWINDOW, kSent | kDefProc, FALSE, 0},
                         {WM_WINDOWPOSCHANGING, kSent | kDefProc},
                         {WM_WINDOWPOSCHANGED, kSent | kDefProc},
                         {WM_NCACTIVATE, kSent | kDefProc, FALSE},
                         {WM_ACTIVATE, kSent | kDefProc, WA_INACTIVE},
                         {WM_KILLFOCUS, kSent | kDefProc}},
                        "minimise owner"));
  EXPECT_TRUE(IsIconic(owner));
  EXPECT_FALSE(IsWindowVisible(popup));
  Recorder::Default(owner, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(rec.Check({{WM_SHOWWINDOW, kSent | kDefProc, TRUE, SW_PARENTOPENING},
                         {WM_SHOWWINDOW, kSent | kDefProc, TRUE, 0},
                         {WM_WINDOWPOSCHANGING, kSent | kDefProc},
                         {WM_NCPAINT, kSent | kDefProc | kOptional},
                         {WM_ERASEBKGND, kSent | kDefProc | kOptional},
                         {WM_WINDOWPOSCHANGED, kSent | kDefProc}},
                        "restore owner"));
  EXPECT_FALSE(IsIconic(owner));
  EXPECT_TRUE(IsWindowVisible(popup));
  Recorder::Pump();
  rec.Clear();

  ShowOwnedPopups(owner, FALSE);
  EXPECT_TRUE(rec.Check({{WM_SHOWWINDOW, kSent, FALSE, SW_PARENTCLOSING},
                         {WM_SHOWWINDOW, kSent | kDefProc, FALSE, 0},
                         {WM_WINDOWPOSCHANGING, kSent | kDefProc},
                         {WM_WINDOWPOSCHANGED, kSent | kDefProc}},
                        "ShowOwnedPopups FALSE"));
  EXPECT_FALSE(IsWindowVisible(popup));
  ShowOwnedPopups(owner, TRUE);
  EXPECT_TRUE(rec.Check({{WM_SHOWWINDOW, kSent, TRUE, SW_PARENTOPENING},
                         {WM_SHOWWINDOW, kSent | kDefProc, TRUE, 0},
                         {WM_WINDOWPOSCHANGING, kSent | kDefProc},
                         {WM_NCPAINT, kSent | kDefProc | kOptional},
                         {WM_ERASEBKGND, kSent | kDefProc | kOptional},
                         {WM_WINDOWPOSCHANGED, kSent | kDefProc}},
                        "ShowOwnedPopups TRUE"));
  EXPECT_TRUE(IsWindowVisible(popup));
  DestroyWindow(owner);
}

// The parent's WM_DESTROY comes before its children's, WM_NCDESTROY after theirs; owned
// windows go first, completely.
TEST(Sequences, DestroyParentWithChildrenAndOwned) {
  Recorder rec;
  HWND parent = rec.Make(0, WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
  HWND child = rec.Make(0, WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent);
  HWND child2 = rec.Make(0, WS_CHILD | WS_VISIBLE, 60, 0, 50, 50, parent);
  HWND owned = rec.Make(0, WS_POPUP, 0, 0, 50, 50, parent);
  rec.Watch(parent, 1);
  rec.Watch(child, 2);
  rec.Watch(owned, 3);
  rec.Watch(child2, 0);
  Recorder::Pump();
  rec.Clear();
  DestroyWindow(parent);
  // Hidden first (no WM_SHOWWINDOW), then the owned window destroyed completely, then the
  // parent deactivated; WM_DESTROY outside in, WM_NCDESTROY inside out.
  EXPECT_TRUE(rec.Check({{WM_WINDOWPOSCHANGING, kSent | kParent},
                         {WM_WINDOWPOSCHANGED, kSent | kParent},
                         {WM_DESTROY, kSent | kOther},
                         {WM_NCDESTROY, kSent | kOther},
                         {WM_NCACTIVATE, kSent | kParent, FALSE},
                         {WM_ACTIVATE, kSent | kParent, WA_INACTIVE},
                         {WM_ACTIVATEAPP, kSent | kParent, FALSE},
                         {WM_KILLFOCUS, kSent | kParent, 0},
                         {WM_DESTROY, kSent | kParent},
                         {WM_DESTROY, kSent | kChild},
                         {WM_DESTROY, kSent},
                         {WM_NCDESTROY, kSent | kChild},
                         {WM_NCDESTROY, kSent},
                         {WM_NCDESTROY, kSent | kParent}},
                        "destroy parent"));
  for (HWND gone : {parent, child, child2, owned}) EXPECT_FALSE(IsWindow(gone));
  // A stale handle never reaches a window created later.
  HWND later = rec.Make(0, WS_POPUP, 0, 0, 50, 50);
  EXPECT_NE(later, parent);
  EXPECT_FALSE(IsWindow(parent));
  EXPECT_EQ(GetWindowLongA(parent, GWL_STYLE), 0);
  DestroyWindow(later);
}

// The same order when the parent was never shown.
TEST(Sequences, DestroyHiddenOwnerWithChildAndOwned) {
  Recorder rec;
  HWND owner = rec.Make(0, WS_POPUP, 10, 20, 200, 150);
  HWND child = rec.Make(WS_EX_NOPARENTNOTIFY, WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, owner);
  HWND owned = rec.Make(0, WS_POPUP, 0, 0, 50, 50, owner);
  ASSERT_EQ(GetWindow(owned, GW_OWNER), owner);
  ASSERT_EQ(GetParent(child), owner);
  rec.Watch(owner, 1);
  rec.Watch(child, 2);
  rec.Watch(owned, 3);
  rec.Clear();
  EXPECT_TRUE(DestroyWindow(owner));
  EXPECT_TRUE(rec.CheckOnly({WM_DESTROY, WM_NCDESTROY},
                            {{WM_DESTROY, kSent | kOther},
                             {WM_NCDESTROY, kSent | kOther},
                             {WM_DESTROY, kSent | kParent},
                             {WM_DESTROY, kSent | kChild},
                             {WM_NCDESTROY, kSent | kChild},
                             {WM_NCDESTROY, kSent | kParent}},
                            "destroy hidden owner"));
  for (HWND gone : {owner, child, owned}) EXPECT_FALSE(IsWindow(gone));
}

}  // namespace
}  // namespace conform
