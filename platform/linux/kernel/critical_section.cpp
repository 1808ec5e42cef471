// Critical sections over a recursive pthread mutex, which LockSemaphore owns.
// The same thread may enter again; each enter needs its own leave.
#include <pthread.h>

#include <new>

#include "platform/win32.h"

namespace {

pthread_mutex_t* MutexOf(LPCRITICAL_SECTION section) {
  return static_cast<pthread_mutex_t*>(section->LockSemaphore);
}

HANDLE CurrentThreadTag() {
  return reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(GetCurrentThreadId()));
}

// OwningThread is read by threads that do not hold the mutex (to refuse a
// leave by a non-owner), so it is accessed atomically.
void NoteEntered(LPCRITICAL_SECTION section) {
  if (++section->RecursionCount == 1) {
    __atomic_store_n(&section->OwningThread, CurrentThreadTag(), __ATOMIC_RELAXED);
  }
  ++section->LockCount;
}

}  // namespace

extern "C" {

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  auto* mutex = new pthread_mutex_t;
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(mutex, &attr);
  pthread_mutexattr_destroy(&attr);
  lpCriticalSection->DebugInfo = nullptr;
  // Windows starts LockCount at -1 (no one waiting, not held).
  lpCriticalSection->LockCount = -1;
  lpCriticalSection->RecursionCount = 0;
  lpCriticalSection->OwningThread = nullptr;
  lpCriticalSection->LockSemaphore = mutex;
  lpCriticalSection->SpinCount = 0;
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  pthread_mutex_lock(MutexOf(lpCriticalSection));
  NoteEntered(lpCriticalSection);
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  if (pthread_mutex_trylock(MutexOf(lpCriticalSection)) != 0) return FALSE;
  NoteEntered(lpCriticalSection);
  return TRUE;
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  // Leaving a section this thread does not hold is a caller error; ignore it
  // rather than unlock someone else's mutex.
  if (__atomic_load_n(&lpCriticalSection->OwningThread, __ATOMIC_RELAXED) != CurrentThreadTag() ||
      lpCriticalSection->RecursionCount <= 0) {
    return;
  }
  --lpCriticalSection->LockCount;
  if (--lpCriticalSection->RecursionCount == 0) {
    __atomic_store_n(&lpCriticalSection->OwningThread, HANDLE(nullptr), __ATOMIC_RELAXED);
  }
  pthread_mutex_unlock(MutexOf(lpCriticalSection));
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  if (pthread_mutex_t* mutex = MutexOf(lpCriticalSection)) {
    pthread_mutex_destroy(mutex);
    delete mutex;
  }
  lpCriticalSection->LockSemaphore = nullptr;
  lpCriticalSection->LockCount = -1;
  lpCriticalSection->RecursionCount = 0;
  lpCriticalSection->OwningThread = nullptr;
}

}  // extern "C"
