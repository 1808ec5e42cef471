#include "runtime/scope_exit.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

TEST(ScopeExitTest, RunsOnceOnEveryWayOutUnlessReleased) {
  enum class Way { Leave, Release, Run, Unwind, UnwindReleased, UnwindThrowingUndo };
  const struct {
    Way way;
    int runs;
  } cases[] = {{Way::Leave, 1},  {Way::Release, 0},        {Way::Run, 1},
               {Way::Unwind, 1}, {Way::UnwindReleased, 0}, {Way::UnwindThrowingUndo, 1}};
  for (const auto& c : cases) {
    int runs = 0;
    std::string caught;
    try {
      ScopeExit guard([&] {
        ++runs;
        if (c.way == Way::UnwindThrowingUndo) throw std::runtime_error("undo");
      });
      if (c.way == Way::Release || c.way == Way::UnwindReleased) guard.Release();
      if (c.way == Way::Run) guard.Run();
      if (c.way >= Way::Unwind) throw std::runtime_error("body");
    } catch (const std::runtime_error& e) {
      caught = e.what();
    }
    EXPECT_EQ(runs, c.runs) << static_cast<int>(c.way);
    // The body's own failure is what the caller sees, even when the undo fails too.
    EXPECT_EQ(caught, c.way >= Way::Unwind ? "body" : "") << static_cast<int>(c.way);
  }
}
