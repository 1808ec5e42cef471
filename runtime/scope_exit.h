#pragma once
// Runs a callable when the scope ends, unless released: undoes temporary state on every way
// out of a block. Run() undoes early (so a throwing undo propagates like any call), and a
// guard released on the success path undoes only on failure.
#include <exception>
#include <utility>

template <class F>
class ScopeExit {
 public:
  explicit ScopeExit(F fn) : fn_(std::move(fn)), uncaught_(std::uncaught_exceptions()) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  // Outside unwinding a throwing undo ends the process, as any destructor's would.
  ~ScopeExit() {  // NOLINT(bugprone-exception-escape): see above
    if (!armed_) return;
    if (std::uncaught_exceptions() > uncaught_) {
      // The failure already unwinding is the one to report; an undo that fails too must not
      // end the process.
      try {
        fn_();
      } catch (...) {  // NOLINT(bugprone-empty-catch): see above
      }
    } else {
      fn_();
    }
  }

  void Release() noexcept { armed_ = false; }
  void Run() {
    armed_ = false;
    fn_();
  }

 private:
  F fn_;
  int uncaught_;
  bool armed_ = true;
};
