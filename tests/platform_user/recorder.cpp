#include "recorder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace conform {
namespace {

Recorder* current = nullptr;
// The message DispatchOne is dispatching; the first matching call of a logging procedure
// is that message arriving from the queue, anything else is sent.
const MSG* dispatching = nullptr;
bool dispatchClaimed = false;
int defProcDepth = 0;

// Sent by the system at its own pace (icon queries, accessibility, input method) and not part
// of any sequence the framework depends on.
bool IsNoise(UINT message) {
  if (message >= WM_IME_SETCONTEXT && message <= WM_IME_KEYUP) return true;
  switch (message) {
    case WM_GETICON:
    case WM_GETOBJECT:
    case WM_DEVICECHANGE:
    case 0x0093:  // non-client theme drawing messages of newer systems
    case 0x0094:
    case 0x0095:
    case 0x031F:  // WM_DWMNCRENDERINGCHANGED
      return true;
    default:
      return false;
  }
}

unsigned SlotOf(HWND hwnd, const HWND slots[4]) {
  for (unsigned slot = 0; slot < 4; ++slot) {
    if (slots[slot] && slots[slot] == hwnd) return slot;
  }
  return 4;
}

std::string Hex(uintptr_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(value));
  return text;
}

bool CarriesPos(UINT message) {
  return message == WM_WINDOWPOSCHANGING || message == WM_WINDOWPOSCHANGED;
}

std::string DescribePos(const Pos& pos) {
  return " pos=" + std::to_string(pos.x) + "," + std::to_string(pos.y) + " " +
         std::to_string(pos.cx) + "x" + std::to_string(pos.cy) + " " + Hex(pos.flags);
}

std::string DescribeRow(const Row& row) {
  static const char* const kSlots[] = {"", " @parent", " @child", " @other"};
  std::string text = MessageName(row.message);
  text += (row.flags & kPosted) ? " posted" : (row.flags & kSent) ? " sent" : "";
  if (row.flags & kDefProc) text += " defproc";
  if (row.flags & kOptional) text += " optional";
  text += kSlots[(row.flags & kSlotMask) >> 4];
  text += " w=" + (row.wParam ? Hex(*row.wParam) : std::string("any"));
  text += " l=" + (row.lParam ? Hex(static_cast<uintptr_t>(*row.lParam)) : std::string("any"));
  if (row.pos) text += DescribePos(*row.pos);
  return text;
}

bool Matches(const Row& row, const Logged& logged, const HWND slots[4]) {
  if (row.message != logged.message) return false;
  if (SlotOf(logged.hwnd, slots) != (row.flags & kSlotMask) >> 4) return false;
  if ((row.flags & kPosted) && !logged.posted) return false;
  if ((row.flags & kSent) && logged.posted) return false;
  if (((row.flags & kDefProc) != 0) != logged.defProc) return false;
  if (row.wParam && *row.wParam != logged.wParam) return false;
  if (row.lParam && *row.lParam != logged.lParam) return false;
  if (row.pos && *row.pos != logged.pos) return false;
  return true;
}

void RegisterLogClasses() {
  static const bool registered = [] {
    WNDCLASSA cls = {};
    cls.lpfnWndProc = &Recorder::Proc;
    cls.cbWndExtra = 8;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    cls.lpszClassName = kLogClass;
    RegisterClassA(&cls);
    cls.style = CS_DBLCLKS;
    cls.lpszClassName = kLogClassDoubleClicks;
    RegisterClassA(&cls);
    return true;
  }();
  (void)registered;
}

}  // namespace

std::string MessageName(UINT message) {
  static const struct {
    UINT number;
    const char* name;
  } kNames[] = {
      {WM_CREATE, "WM_CREATE"},
      {WM_DESTROY, "WM_DESTROY"},
      {WM_MOVE, "WM_MOVE"},
      {WM_SIZE, "WM_SIZE"},
      {WM_ACTIVATE, "WM_ACTIVATE"},
      {WM_SETFOCUS, "WM_SETFOCUS"},
      {WM_KILLFOCUS, "WM_KILLFOCUS"},
      {WM_ENABLE, "WM_ENABLE"},
      {WM_SETTEXT, "WM_SETTEXT"},
      {WM_GETTEXT, "WM_GETTEXT"},
      {WM_PAINT, "WM_PAINT"},
      {WM_CLOSE, "WM_CLOSE"},
      {WM_QUIT, "WM_QUIT"},
      {WM_ERASEBKGND, "WM_ERASEBKGND"},
      {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
      {WM_ACTIVATEAPP, "WM_ACTIVATEAPP"},
      {WM_CANCELMODE, "WM_CANCELMODE"},
      {WM_SETCURSOR, "WM_SETCURSOR"},
      {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"},
      {WM_CHILDACTIVATE, "WM_CHILDACTIVATE"},
      {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"},
      {WM_QUERYDRAGICON, "WM_QUERYDRAGICON"},
      {WM_QUERYOPEN, "WM_QUERYOPEN"},
      {WM_QUERYNEWPALETTE, "WM_QUERYNEWPALETTE"},
      {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
      {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
      {WM_NCCREATE, "WM_NCCREATE"},
      {WM_NCDESTROY, "WM_NCDESTROY"},
      {WM_NCCALCSIZE, "WM_NCCALCSIZE"},
      {WM_NCHITTEST, "WM_NCHITTEST"},
      {WM_NCPAINT, "WM_NCPAINT"},
      {WM_NCACTIVATE, "WM_NCACTIVATE"},
      {WM_SYNCPAINT, "WM_SYNCPAINT"},
      {WM_NCMOUSEMOVE, "WM_NCMOUSEMOVE"},
      {WM_KEYDOWN, "WM_KEYDOWN"},
      {WM_SYSCOMMAND, "WM_SYSCOMMAND"},
      {WM_TIMER, "WM_TIMER"},
      {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
      {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
      {WM_LBUTTONUP, "WM_LBUTTONUP"},
      {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
      {WM_PARENTNOTIFY, "WM_PARENTNOTIFY"},
      {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"},
      {WM_MOUSELEAVE, "WM_MOUSELEAVE"},
      {WM_NCMOUSELEAVE, "WM_NCMOUSELEAVE"},
      {WM_ICONERASEBKGND, "WM_ICONERASEBKGND"},
      {WM_USER, "WM_USER"},
      {WM_APP, "WM_APP"},
  };
  for (const auto& entry : kNames) {
    if (entry.number == message) return entry.name;
  }
  if (message > WM_USER && message < WM_APP) return "WM_USER+" + std::to_string(message - WM_USER);
  if (message > WM_APP && message < 0xC000) return "WM_APP+" + std::to_string(message - WM_APP);
  return Hex(message);
}

std::string Describe(const Logged& logged, const HWND slots[4]) {
  static const char* const kSlots[] = {"subject", "parent", "child", "other", "unwatched"};
  std::string text = MessageName(logged.message);
  text += logged.posted ? " posted" : " sent";
  if (logged.defProc) text += " defproc";
  text += std::string(" @") + kSlots[SlotOf(logged.hwnd, slots)];
  text += " w=" + Hex(logged.wParam) + " l=" + Hex(static_cast<uintptr_t>(logged.lParam));
  if (CarriesPos(logged.message)) text += DescribePos(logged.pos);
  return text;
}

Recorder::Recorder() : previous_(current) {
  RegisterLogClasses();
  current = this;
}

Recorder::~Recorder() { current = previous_; }

Recorder* Recorder::Current() { return current; }

HWND Recorder::Make(DWORD exStyle, DWORD style, int x, int y, int width, int height, HWND parent,
                    const char* className) {
  return CreateWindowExA(exStyle, className, "", style, x, y, width, height, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void Recorder::Watch(HWND hwnd, unsigned slot) { slots_[slot] = hwnd; }

std::vector<Logged> Recorder::Watched() const {
  std::vector<Logged> watched;
  for (const Logged& logged : log_) {
    if (SlotOf(logged.hwnd, slots_) < 4 && !IsNoise(logged.message)) watched.push_back(logged);
  }
  return watched;
}

std::vector<Logged> Recorder::Of(UINT message) const {
  std::vector<Logged> of;
  for (const Logged& logged : Watched()) {
    if (logged.message == message) of.push_back(logged);
  }
  return of;
}

::testing::AssertionResult Recorder::Check(const Table& expected, const std::string& context) {
  const std::vector<Logged> got = Watched();
  log_.clear();
  return Compare(got, expected, context);
}

::testing::AssertionResult Recorder::CheckOnly(const std::vector<UINT>& only, const Table& expected,
                                               const std::string& context) {
  std::vector<Logged> got;
  for (const Logged& logged : Watched()) {
    if (std::find(only.begin(), only.end(), logged.message) != only.end()) got.push_back(logged);
  }
  log_.clear();
  return Compare(got, expected, context);
}

::testing::AssertionResult Recorder::Compare(const std::vector<Logged>& got, const Table& expected,
                                             const std::string& context) const {
  auto recorded = [&] {
    std::string text = "\n  recorded:";
    for (const Logged& logged : got) text += "\n    " + Describe(logged, slots_);
    return text;
  };
  if (std::getenv("CONFORM_DUMP")) std::printf("%s:%s\n", context.c_str(), recorded().c_str());
  auto row = expected.begin();
  for (size_t at = 0; at < got.size(); ++at) {
    while (row != expected.end() && (row->flags & kOptional) && !Matches(*row, got[at], slots_)) {
      ++row;
    }
    if (row == expected.end()) {
      return ::testing::AssertionFailure() << context << ": unexpected message #" << at << " "
                                           << Describe(got[at], slots_) << recorded();
    }
    if (!Matches(*row, got[at], slots_)) {
      return ::testing::AssertionFailure()
             << context << ": message #" << at << " is " << Describe(got[at], slots_)
             << ", expected " << DescribeRow(*row) << recorded();
    }
    ++row;
  }
  for (; row != expected.end(); ++row) {
    if (!(row->flags & kOptional)) {
      return ::testing::AssertionFailure()
             << context << ": missing " << DescribeRow(*row) << " at the end" << recorded();
    }
  }
  return ::testing::AssertionSuccess();
}

LRESULT CALLBACK Recorder::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  bool posted = false;
  if (dispatching && !dispatchClaimed && dispatching->hwnd == hwnd &&
      dispatching->message == message && dispatching->wParam == wParam &&
      dispatching->lParam == lParam) {
    posted = true;
    dispatchClaimed = true;
  }
  // The procedure's own work starts a new frame: what it sends is not the default
  // processing's even when it runs inside someone's DefWindowProc.
  const int outerDepth = defProcDepth;
  Recorder* recorder = current;
  if (recorder) {
    Pos pos;
    if (CarriesPos(message) && lParam) {
      const auto* windowPos = reinterpret_cast<const WINDOWPOS*>(lParam);
      pos = {windowPos->x, windowPos->y, windowPos->cx, windowPos->cy, windowPos->flags};
    }
    recorder->log_.push_back({hwnd, message, wParam, lParam, posted, outerDepth > 0, pos});
  }
  defProcDepth = 0;
  std::optional<LRESULT> result;
  if (recorder && recorder->handler) result = recorder->handler(hwnd, message, wParam, lParam);
  if (!result) result = Default(hwnd, message, wParam, lParam);
  defProcDepth = outerDepth;
  return *result;
}

LRESULT Recorder::Default(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ++defProcDepth;
  const LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
  --defProcDepth;
  return result;
}

bool Recorder::DispatchOne(UINT filterMin, UINT filterMax) {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, filterMin, filterMax, PM_REMOVE)) return false;
  const MSG* outer = dispatching;
  const bool outerClaimed = dispatchClaimed;
  dispatching = &msg;
  dispatchClaimed = false;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  dispatching = outer;
  dispatchClaimed = outerClaimed;
  return true;
}

void Recorder::Pump() {
  while (DispatchOne()) {
  }
}

bool PumpUntil(const std::function<bool()>& done, DWORD deadlineMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > deadlineMs) return false;
    Recorder::Pump();
    Sleep(5);
  }
  return true;
}

}  // namespace conform
