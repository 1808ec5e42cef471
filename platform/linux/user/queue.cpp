// One message queue per thread: sent messages from other threads, posted messages, input,
// then WM_QUIT, WM_PAINT (synthesised from update regions) and WM_TIMER, in Windows'
// order. Waiting blocks in poll() on the queue's eventfd and the display driver's
// descriptor until the next timer is due, so an idle program uses no processor time.
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <unordered_map>

#include "platform/linux/display/driver.h"
#include "platform/linux/user/internal.h"

namespace linux_user {

namespace {

using Clock = std::chrono::steady_clock;

struct Timer {
  HWND window;
  UINT_PTR id;
  UINT interval;
  TIMERPROC proc;
  Clock::time_point due;
};

// A message sent from another thread, waiting for the owner thread to handle it.
struct CrossSend {
  MSG message;
  LRESULT result = 0;
  bool done = false;
};

struct Queue {
  std::mutex lock;
  std::condition_variable replied;
  std::deque<MSG> posted;
  std::deque<MSG> input;
  std::deque<std::shared_ptr<CrossSend>> sent;
  bool quit = false;
  int quitCode = 0;
  int wake = -1;  // eventfd
  std::vector<Timer> timers;
  UINT_PTR nextTimerId = 1;
  DWORD lastTime = 0;
  POINT lastPos{0, 0};
  int inSend = 0;
};

std::mutex& QueuesLock() {
  static std::mutex lock;
  return lock;
}

std::unordered_map<DWORD, std::shared_ptr<Queue>>& Queues() {
  static std::unordered_map<DWORD, std::shared_ptr<Queue>> queues;
  return queues;
}

std::shared_ptr<Queue> QueueOf(DWORD thread) {
  std::lock_guard lock(QueuesLock());
  auto& slot = Queues()[thread];
  if (!slot) {
    slot = std::make_shared<Queue>();
    slot->wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  }
  return slot;
}

Queue& MyQueue() {
  thread_local std::shared_ptr<Queue> mine = QueueOf(GetCurrentThreadId());
  return *mine;
}

void Signal(Queue& queue) {
  uint64_t one = 1;
  if (queue.wake >= 0) (void)!write(queue.wake, &one, sizeof one);
}

void Drain(Queue& queue) {
  uint64_t value;
  while (queue.wake >= 0 && read(queue.wake, &value, sizeof value) > 0) {
  }
}

DWORD WindowThread(HWND handle) {
  std::lock_guard lock(TableLock());
  Window* window = Peek(handle);
  return window ? window->thread : 0;
}

bool InFilter(HWND target, HWND filter, UINT message, UINT first, UINT last) {
  if (filter && target != filter && !IsChild(filter, target)) return false;
  if (first == 0 && last == 0) return true;
  if (first > last) return message >= first || message <= last;
  return message >= first && message <= last;
}

// Handles messages other threads sent to this one.
void HandleCrossSends(Queue& queue) {
  for (;;) {
    std::shared_ptr<CrossSend> item;
    {
      std::lock_guard lock(queue.lock);
      if (queue.sent.empty()) return;
      item = queue.sent.front();
      queue.sent.pop_front();
    }
    LRESULT result =
        Send(item->message.hwnd, item->message.message, item->message.wParam, item->message.lParam);
    {
      std::lock_guard lock(queue.lock);
      item->result = result;
      item->done = true;
    }
    queue.replied.notify_all();
  }
}

// A window of this thread that needs WM_PAINT, parents before their children.
HWND FindPaintWindow(const std::vector<HWND>& list, DWORD thread, HWND filter) {
  for (HWND handle : list) {
    Window* window = Peek(handle);
    if (!window || !IsShowing(*window) || window->thread != thread) continue;
    if (NeedsPaint(*window) && (!filter || handle == filter || IsChild(filter, handle)))
      return handle;
    if (HWND child = FindPaintWindow(window->children, thread, filter)) return child;
  }
  return nullptr;
}

bool TakeTimer(Queue& queue, MSG* out, HWND filter, UINT first, UINT last, bool remove) {
  auto now = Clock::now();
  for (Timer& timer : queue.timers) {
    if (timer.due > now) continue;
    if (!InFilter(timer.window, filter, WM_TIMER, first, last)) continue;
    *out = MSG{timer.window,   WM_TIMER,     timer.id, reinterpret_cast<LPARAM>(timer.proc),
               GetTickCount(), queue.lastPos};
    if (remove) timer.due = now + std::chrono::milliseconds(timer.interval);
    return true;
  }
  return false;
}

bool TakeFrom(std::deque<MSG>& list, MSG* out, HWND filter, UINT first, UINT last, bool remove) {
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (!InFilter(it->hwnd, filter, it->message, first, last)) continue;
    *out = *it;
    if (remove) list.erase(it);
    return true;
  }
  return false;
}

bool PeekQueue(MSG* out, HWND filter, UINT first, UINT last, UINT flags) {
  Queue& queue = MyQueue();
  bool remove = flags & PM_REMOVE;
  HandleCrossSends(queue);
  PumpDriver();
  HandleCrossSends(queue);
  {
    std::lock_guard lock(queue.lock);
    if (TakeFrom(queue.posted, out, filter, first, last, remove) ||
        TakeFrom(queue.input, out, filter, first, last, remove)) {
      queue.lastTime = out->time;
      queue.lastPos = out->pt;
      return true;
    }
    if (queue.quit && ((first == 0 && last == 0) || (WM_QUIT >= first && WM_QUIT <= last))) {
      *out = MSG{nullptr, WM_QUIT,        static_cast<WPARAM>(queue.quitCode),
                 0,       GetTickCount(), queue.lastPos};
      if (remove) queue.quit = false;
      return true;
    }
  }
  if (InFilter(nullptr, nullptr, WM_PAINT, first, last)) {
    if (HWND paint = FindPaintWindow(TopLevels(), GetCurrentThreadId(), filter)) {
      *out = MSG{paint, WM_PAINT, 0, 0, GetTickCount(), queue.lastPos};
      return true;
    }
  }
  if (TakeTimer(queue, out, filter, first, last, remove)) return true;
  PresentDirty();
  return false;
}

int TimeoutToNextTimer(Queue& queue) {
  if (queue.timers.empty()) return -1;
  auto next = std::min_element(queue.timers.begin(), queue.timers.end(),
                               [](const Timer& a, const Timer& b) { return a.due < b.due; })
                  ->due;
  auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(wait + 1, 0, 1 << 30));
}

void Wait(Queue& queue) {
  PresentDirty();
  pollfd fds[2];
  int count = 0;
  fds[count++] = pollfd{queue.wake, POLLIN, 0};
  int display = linux_display::CurrentDriver().EventDescriptor();
  if (display >= 0) fds[count++] = pollfd{display, POLLIN, 0};
  poll(fds, static_cast<nfds_t>(count), TimeoutToNextTimer(queue));
  Drain(queue);
}

bool HasWork(Queue& queue) {
  {
    std::lock_guard lock(queue.lock);
    if (!queue.posted.empty() || !queue.input.empty() || !queue.sent.empty() || queue.quit)
      return true;
  }
  if (FindPaintWindow(TopLevels(), GetCurrentThreadId(), nullptr)) return true;
  return TimeoutToNextTimer(queue) == 0;
}

class Sink : public linux_display::EventSink {
 public:
  void PointerMoved(POINT screen, unsigned buttons) override { OnPointerMoved(screen, buttons); }
  void ButtonChanged(linux_display::Button button, bool down, POINT screen,
                     unsigned buttons) override {
    OnButtonChanged(button, down, screen, buttons);
  }
  void Exposed(HWND handle, const RECT& area) override {
    Window* window = Peek(handle);
    if (!window || !window->surface) return;
    window->surface->dirty.Unite(linux_gdi::Region(area));
  }
  void CloseRequested(HWND handle) override {
    if (Peek(handle)) PostMessageA(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
  void IconifiedByUser(HWND handle, bool iconic) override {
    Window* window = Peek(handle);
    if (!window || iconic == ((window->style & WS_MINIMIZE) != 0)) return;
    PostMessageA(handle, WM_SYSCOMMAND, iconic ? SC_MINIMIZE : SC_RESTORE, 0);
  }
  void FocusChanged(HWND handle, bool focused) override { OnFocusChanged(handle, focused); }
  void KeyChanged(unsigned key, bool down) override { OnKeyChanged(key, down); }
};

}  // namespace

void PumpDriver() {
  static Sink sink;
  static bool installed = [] {
    InstallDcHooks();
    return true;
  }();
  (void)installed;
  if (!linux_display::CurrentDriver().Pump(sink)) {
    fprintf(stderr, "The display connection was lost.\n");
    _exit(1);
  }
}

LRESULT Send(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = Peek(handle);
  if (!window) return 0;
  if (window->thread != GetCurrentThreadId()) {
    auto queue = QueueOf(window->thread);
    auto item = std::make_shared<CrossSend>();
    item->message = MSG{handle, message, wParam, lParam, GetTickCount(), {0, 0}};
    {
      std::lock_guard lock(queue->lock);
      queue->sent.push_back(item);
    }
    Signal(*queue);
    Queue& mine = MyQueue();
    for (;;) {
      {
        std::unique_lock lock(queue->lock);
        if (queue->replied.wait_for(lock, std::chrono::milliseconds(5), [&] { return item->done; }))
          return item->result;
      }
      // Messages sent to us meanwhile are handled, so two threads sending to each other
      // do not deadlock; a receiver that is gone ends the wait.
      HandleCrossSends(mine);
      if (!Peek(handle)) return 0;
    }
  }
  WNDPROC proc = window->proc;
  if (!proc) return DefWindowProcA(handle, message, wParam, lParam);
  Queue& queue = MyQueue();
  ++queue.inSend;
  LRESULT result = proc(handle, message, wParam, lParam);
  --queue.inSend;
  return result;
}

Window* SendAndPeek(HWND handle, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  const LRESULT answer = Send(handle, message, wParam, lParam);
  if (result) *result = answer;
  return Peek(handle);
}

bool Post(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD thread = WindowThread(handle);
  if (!thread) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  auto queue = QueueOf(thread);
  {
    std::lock_guard lock(queue->lock);
    queue->posted.push_back(MSG{handle, message, wParam, lParam, GetTickCount(), queue->lastPos});
  }
  Signal(*queue);
  return true;
}

void PostInput(const MSG& message) {
  DWORD thread = message.hwnd ? WindowThread(message.hwnd) : GetCurrentThreadId();
  if (!thread) return;
  auto queue = QueueOf(thread);
  {
    std::lock_guard lock(queue->lock);
    // Moves coalesce: a move for the same window replaces one still waiting last in the
    // queue, so a burst of pointer reports (or a warp followed by a zero move) reads as one.
    const bool move = message.message == WM_MOUSEMOVE || message.message == WM_NCMOUSEMOVE;
    if (move && !queue->input.empty() && queue->input.back().hwnd == message.hwnd &&
        queue->input.back().message == message.message) {
      queue->input.back() = message;
    } else {
      queue->input.push_back(message);
    }
  }
  Signal(*queue);
}

void DropMessagesFor(HWND handle) {
  Queue& queue = MyQueue();
  std::lock_guard lock(queue.lock);
  auto match = [handle](const MSG& m) { return m.hwnd == handle; };
  queue.posted.erase(std::remove_if(queue.posted.begin(), queue.posted.end(), match),
                     queue.posted.end());
  queue.input.erase(std::remove_if(queue.input.begin(), queue.input.end(), match),
                    queue.input.end());
}

void KillTimersOf(HWND handle) {
  Queue& queue = MyQueue();
  queue.timers.erase(std::remove_if(queue.timers.begin(), queue.timers.end(),
                                    [handle](const Timer& t) { return t.window == handle; }),
                     queue.timers.end());
}

}  // namespace linux_user

using namespace linux_user;

extern "C" {

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (!hWnd) return PostThreadMessageA(GetCurrentThreadId(), Msg, wParam, lParam);
  return Post(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
  auto queue = QueueOf(idThread);
  {
    std::lock_guard lock(queue->lock);
    queue->posted.push_back(MSG{nullptr, Msg, wParam, lParam, GetTickCount(), queue->lastPos});
  }
  Signal(*queue);
  return TRUE;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (!Find(hWnd)) return 0;
  return Send(hWnd, Msg, wParam, lParam);
}

LRESULT WINAPI SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return SendMessageA(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT first, UINT last, UINT wRemoveMsg) {
  if (!lpMsg) return FALSE;
  return PeekQueue(lpMsg, hWnd, first, last, wRemoveMsg);
}

BOOL WINAPI PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT first, UINT last, UINT wRemoveMsg) {
  return PeekMessageA(lpMsg, hWnd, first, last, wRemoveMsg);
}

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT first, UINT last) {
  if (!lpMsg) return -1;
  Queue& queue = MyQueue();
  while (!PeekQueue(lpMsg, hWnd, first, last, PM_REMOVE)) Wait(queue);
  return lpMsg->message != WM_QUIT;
}

BOOL WINAPI WaitMessage(void) {
  Queue& queue = MyQueue();
  HandleCrossSends(queue);
  PumpDriver();
  if (!HasWork(queue)) Wait(queue);
  HandleCrossSends(queue);
  return TRUE;
}

VOID WINAPI PostQuitMessage(int nExitCode) {
  Queue& queue = MyQueue();
  {
    std::lock_guard lock(queue.lock);
    queue.quit = true;
    queue.quitCode = nExitCode;
  }
  Signal(queue);
}

BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
  return lpMsg && (lpMsg->message == WM_KEYDOWN || lpMsg->message == WM_SYSKEYDOWN);
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
  if (!lpMsg) return 0;
  if (lpMsg->message == WM_TIMER && lpMsg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(lpMsg->lParam);
    proc(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, GetTickCount());
    return 0;
  }
  if (!lpMsg->hwnd) return 0;
  Window* window = Find(lpMsg->hwnd);
  if (!window) return 0;
  LRESULT result = 0;
  window = SendAndPeek(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam, &result);
  if (lpMsg->message == WM_PAINT && window && NeedsPaint(*window)) {
    // A window procedure that did not paint would get WM_PAINT for ever: validate it.
    ValidateAll(*window);
  }
  return result;
}

LRESULT WINAPI DispatchMessageW(const MSG* lpMsg) { return DispatchMessageA(lpMsg); }

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
  if (hWnd && !Find(hWnd)) return 0;
  Queue& queue = MyQueue();
  uElapse = std::clamp<UINT>(uElapse, 10, 0x7FFFFFFF);
  if (!hWnd) {
    nIDEvent = queue.nextTimerId++;
  }
  for (Timer& timer : queue.timers) {
    if (timer.window == hWnd && timer.id == nIDEvent) {
      timer.interval = uElapse;
      timer.proc = lpTimerFunc;
      timer.due = Clock::now() + std::chrono::milliseconds(uElapse);
      return hWnd ? 1 : nIDEvent;
    }
  }
  queue.timers.push_back(Timer{hWnd, nIDEvent, uElapse, lpTimerFunc,
                               Clock::now() + std::chrono::milliseconds(uElapse)});
  return hWnd ? (nIDEvent ? nIDEvent : 1) : nIDEvent;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
  Queue& queue = MyQueue();
  auto it = std::find_if(queue.timers.begin(), queue.timers.end(),
                         [&](const Timer& t) { return t.window == hWnd && t.id == uIDEvent; });
  if (it == queue.timers.end()) return FALSE;
  queue.timers.erase(it);
  return TRUE;
}

DWORD WINAPI GetMessagePos(void) {
  Queue& queue = MyQueue();
  return static_cast<DWORD>(
      MAKELONG(static_cast<WORD>(queue.lastPos.x), static_cast<WORD>(queue.lastPos.y)));
}

LONG WINAPI GetMessageTime(void) { return static_cast<LONG>(MyQueue().lastTime); }

BOOL WINAPI IsDialogMessageA(HWND, LPMSG) { return FALSE; }

BOOL WINAPI InSendMessage(void) { return FALSE; }

DWORD WINAPI GetQueueStatus(UINT flags) {
  Queue& queue = MyQueue();
  DWORD status = 0;
  {
    std::lock_guard lock(queue.lock);
    if (!queue.posted.empty()) status |= QS_POSTMESSAGE;
    if (!queue.input.empty()) status |= QS_INPUT;
    if (!queue.sent.empty()) status |= QS_SENDMESSAGE;
  }
  if (FindPaintWindow(TopLevels(), GetCurrentThreadId(), nullptr)) status |= QS_PAINT;
  if (TimeoutToNextTimer(queue) == 0) status |= QS_TIMER;
  status &= flags;
  return status | (status << 16);
}

}  // extern "C"
