#pragma once
// Message recording for the windowing conformance tests: every window of the logging class
// records what its procedure receives, and one checker compares the record with an expected
// table. The same tables run on the real system and on our own windowing layer; where the two
// may legitimately differ the row says so (kOptional), never the test code.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace conform {

// Row flags. A row names the window it expects the message at by a slot (subject by
// default); the test binds slots to windows with Recorder::Watch.
enum : unsigned {
  kSent = 1u << 0,      // through a send (a direct call of the procedure)
  kPosted = 1u << 1,    // taken from the queue and dispatched (posted, paint, timer, input)
  kOptional = 1u << 2,  // may be absent
  kDefProc = 1u << 3,   // sent while a window's default processing ran
  kParent = 1u << 4,    // at the window bound to slot 1
  kChild = 2u << 4,     // slot 2
  kOther = 3u << 4,     // slot 3 (a second child, an owned window)
  kSlotMask = 3u << 4,
};

// What WM_WINDOWPOSCHANGING and WM_WINDOWPOSCHANGED carry, copied when they arrive.
struct Pos {
  int x = 0, y = 0, cx = 0, cy = 0;
  UINT flags = 0;
  bool operator==(const Pos&) const = default;
};

struct Row {
  UINT message;
  unsigned flags = kSent;
  std::optional<WPARAM> wParam = std::nullopt;  // empty: any value
  std::optional<LPARAM> lParam = std::nullopt;
  std::optional<Pos> pos = std::nullopt;  // the WINDOWPOS fields, when they matter
};
// A vector, not an initializer list: case tables keep their rows as members.
using Table = std::vector<Row>;

struct Logged {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool posted;
  bool defProc;
  Pos pos = {};  // the two WINDOWPOS messages only
};

// The window class every recorded window uses (white background, 8 bytes of window data),
// and the same with double clicks.
inline constexpr const char* kLogClass = "ConformLog";
inline constexpr const char* kLogClassDoubleClicks = "ConformLogDoubleClicks";

// One recorder is active at a time (tests run one after the other on one thread).
class Recorder {
 public:
  // A test's own handling: return a result to skip the default processing, or nothing to let
  // the message go to DefWindowProcA.
  using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

  Recorder();
  ~Recorder();
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  static Recorder* Current();

  // A window of a logging class; its creation messages are recorded too.
  HWND Make(DWORD exStyle, DWORD style, int x, int y, int width, int height, HWND parent = nullptr,
            const char* className = kLogClass);
  void Watch(HWND hwnd, unsigned slot);  // slot 0 subject, 1 parent, 2 child, 3 other
  void Clear() { log_.clear(); }
  const std::vector<Logged>& Log() const { return log_; }
  // Messages of the watched windows only, as the checker sees them.
  std::vector<Logged> Watched() const;
  // The watched windows' messages of one number, in order.
  std::vector<Logged> Of(UINT message) const;
  Handler handler;

  // Compares the record (watched windows, noise dropped) with the table: rows in order,
  // optional rows may be missing, nothing else may appear. Clears the record.
  ::testing::AssertionResult Check(const Table& expected, const std::string& context);
  // The same on the watched messages whose numbers are in `only`: their order among
  // themselves, whatever else arrives in between.
  ::testing::AssertionResult CheckOnly(const std::vector<UINT>& only, const Table& expected,
                                       const std::string& context);
  // Sends out everything the queue holds, marking what was dispatched as posted.
  static void Pump();

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Calls DefWindowProcA so that what it sends is marked as coming from it.
  static LRESULT Default(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Takes one message with PeekMessageA and dispatches it, marking it as posted.
  static bool DispatchOne(UINT filterMin = 0, UINT filterMax = 0);

 private:
  ::testing::AssertionResult Compare(const std::vector<Logged>& got, const Table& expected,
                                     const std::string& context) const;

  std::vector<Logged> log_;
  HWND slots_[4] = {};
  Recorder* previous_;
};

std::string MessageName(UINT message);
std::string Describe(const Logged& logged, const HWND slots[4]);

// Waits until the condition holds or a generous deadline passes, pumping meanwhile.
bool PumpUntil(const std::function<bool()>& done, DWORD deadlineMs = 5000);

}  // namespace conform
