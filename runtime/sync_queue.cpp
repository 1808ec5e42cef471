#include "runtime/sync_queue.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>

#include "platform/win32.h"
#include "runtime/startup.h"

namespace {

// One queued call. A waiting caller keeps `done` and `error` to learn the outcome.
struct WorkItem {
  std::function<void()> work;
  bool waited = false;
  bool done = false;
  std::exception_ptr error;
};

struct Queue {
  std::mutex mutex;
  std::condition_variable finished;
  std::deque<std::shared_ptr<WorkItem>> items;
  void (*wakeup)(void*) = nullptr;
  void* wakeupContext = nullptr;
};

Queue& TheQueue() {
  static Queue queue;
  return queue;
}

bool OnMainThread() { return MainThreadId() == 0 || GetCurrentThreadId() == MainThreadId(); }

void Enqueue(const std::shared_ptr<WorkItem>& item) {
  Queue& queue = TheQueue();
  void (*wakeup)(void*) = nullptr;
  void* context = nullptr;
  {
    std::lock_guard<std::mutex> guard(queue.mutex);
    queue.items.push_back(item);
    wakeup = queue.wakeup;
    context = queue.wakeupContext;
  }
  if (wakeup) wakeup(context);
}

}  // namespace

void QueueOnMainThread(std::function<void()> work) {
  auto item = std::make_shared<WorkItem>();
  item->work = std::move(work);
  Enqueue(item);
}

void RunOnMainThread(const std::function<void()>& work) {
  if (OnMainThread()) {
    work();
    return;
  }
  auto item = std::make_shared<WorkItem>();
  item->work = work;
  item->waited = true;
  Enqueue(item);
  Queue& queue = TheQueue();
  std::unique_lock<std::mutex> lock(queue.mutex);
  queue.finished.wait(lock, [&] { return item->done; });
  if (item->error) std::rethrow_exception(item->error);
}

bool RunQueuedMainThreadWork() {
  if (!OnMainThread()) return false;
  Queue& queue = TheQueue();
  std::deque<std::shared_ptr<WorkItem>> batch;
  {
    std::lock_guard<std::mutex> guard(queue.mutex);
    batch.swap(queue.items);
  }
  if (batch.empty()) return false;
  while (!batch.empty()) {
    std::shared_ptr<WorkItem> item = batch.front();
    batch.pop_front();
    std::exception_ptr error;
    try {
      item->work();
    } catch (...) {
      error = std::current_exception();
    }
    if (item->waited) {
      // The waiting thread gets the outcome, exception included.
      std::lock_guard<std::mutex> guard(queue.mutex);
      item->error = error;
      item->done = true;
      queue.finished.notify_all();
    } else if (error) {
      // Put back what was not run yet, ahead of anything queued meanwhile.
      std::lock_guard<std::mutex> guard(queue.mutex);
      queue.items.insert(queue.items.begin(), batch.begin(), batch.end());
      std::rethrow_exception(error);
    }
  }
  return true;
}

void SetMainThreadWakeup(void (*wakeup)(void* context), void* context) {
  Queue& queue = TheQueue();
  std::lock_guard<std::mutex> guard(queue.mutex);
  queue.wakeup = wakeup;
  queue.wakeupContext = wakeup ? context : nullptr;
}

void ClearMainThreadWakeup(void* context) {
  Queue& queue = TheQueue();
  std::lock_guard<std::mutex> guard(queue.mutex);
  if (queue.wakeupContext != context) return;
  queue.wakeup = nullptr;
  queue.wakeupContext = nullptr;
}
