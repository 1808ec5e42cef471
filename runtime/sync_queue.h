#pragma once
// Work that other threads hand to the main thread. Queuing wakes the main thread
// through the installed wake-up (the application object posts itself WM_NULL); the
// main thread runs the queue when woken and on every idle pass.
#include <functional>

// Queues `work` to run on the main thread and returns at once. Called on the main
// thread, the work still waits for the next run of the queue.
void QueueOnMainThread(std::function<void()> work);

// Runs `work` on the main thread and waits until it has run; an exception it throws is
// rethrown here. On the main thread it runs at once.
void RunOnMainThread(const std::function<void()>& work);

// Main thread only (elsewhere it does nothing and returns false): runs everything
// queued so far, oldest first; true when anything ran. An exception thrown by a work
// item queued with QueueOnMainThread propagates after the items before it have run;
// the items after it stay queued.
bool RunQueuedMainThreadWork();

// The wake-up called after each queuing; `context` is passed back. A null wake-up
// removes it. Unset only if `context` is still the installed one.
void SetMainThreadWakeup(void (*wakeup)(void* context), void* context);
void ClearMainThreadWakeup(void* context);
