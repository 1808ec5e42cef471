// Work queued for the main thread, and the procedures run at the program's end.
#include "runtime/sync_queue.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "runtime/exit_procedures.h"
#include "runtime/startup.h"

namespace {

int wakeups = 0;
void CountWakeup(void*) { ++wakeups; }

TEST(MainThreadQueue, RunsInOrderOnTheMainThreadAndKeepsWhatFollowsAFailure) {
  RuntimeCoreStartup();
  int context = 0;
  SetMainThreadWakeup(&CountWakeup, &context);
  wakeups = 0;
  std::vector<std::string> ran;
  std::thread([&] {
    QueueOnMainThread([&] { ran.push_back("first"); });
    QueueOnMainThread([&] { throw std::runtime_error("second"); });
    QueueOnMainThread([&] { ran.push_back("third"); });
    EXPECT_FALSE(RunQueuedMainThreadWork());  // not the main thread: nothing runs
  }).join();
  EXPECT_EQ(wakeups, 3);
  EXPECT_TRUE(ran.empty());

  EXPECT_THROW(RunQueuedMainThreadWork(), std::runtime_error);
  EXPECT_EQ(ran, std::vector<std::string>{"first"});
  EXPECT_TRUE(RunQueuedMainThreadWork());
  EXPECT_EQ(ran, (std::vector<std::string>{"first", "third"}));
  EXPECT_FALSE(RunQueuedMainThreadWork());

  ClearMainThreadWakeup(nullptr);  // not the installed context: stays
  QueueOnMainThread([] {});
  EXPECT_EQ(wakeups, 4);
  ClearMainThreadWakeup(&context);
  QueueOnMainThread([] {});
  EXPECT_EQ(wakeups, 4);
  EXPECT_TRUE(RunQueuedMainThreadWork());

  bool direct = false;
  RunOnMainThread([&] { direct = true; });  // on the main thread it runs at once
  EXPECT_TRUE(direct);
}

std::vector<int> exitOrder;
void ExitOne() { exitOrder.push_back(1); }
void ExitTwo() {
  exitOrder.push_back(2);
  throw std::runtime_error("two");
}
void ExitThree() { exitOrder.push_back(3); }

TEST(ExitProcedures, RunNewestFirstOnceEachAndReportTheFirstFailureAtTheEnd) {
  AddExitProcedure(&ExitOne);
  AddExitProcedure(&ExitTwo);
  AddExitProcedure(&ExitThree);
  AddExitProcedure(&ExitOne);  // already registered
  EXPECT_THROW(RunExitProcedures(), std::runtime_error);
  EXPECT_EQ(exitOrder, (std::vector<int>{3, 2, 1}));
  RunExitProcedures();
  EXPECT_EQ(exitOrder.size(), 3u);
}

}  // namespace
