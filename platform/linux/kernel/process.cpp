// Process and thread queries: tick count, ids, version, start-up information.
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/linux/kernel/test_overrides.h"
#include "platform/win32.h"

extern "C" {

DWORD WINAPI GetTickCount(void) {
  // Milliseconds since boot, wrapping at 2^32 like the real counter.
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return static_cast<DWORD>(uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u);
}

void WINAPI Sleep(DWORD dwMilliseconds) {
  timespec delay{time_t(dwMilliseconds / 1000), long(dwMilliseconds % 1000) * 1000000L};
  while (nanosleep(&delay, &delay) != 0) {
  }
}

// Asked for on every message and window lookup: the system call once per thread.
DWORD WINAPI GetCurrentThreadId(void) {
  thread_local const DWORD id = static_cast<DWORD>(syscall(SYS_gettid));
  return id;
}

DWORD WINAPI GetCurrentProcessId(void) { return static_cast<DWORD>(getpid()); }

DWORD WINAPI GetVersion(void) {
  // What an application without a compatibility manifest sees on current
  // Windows: 6.2, build 9200, NT platform (bit 31 clear).
  return 6u | (2u << 8) | (9200u << 16);
}

void WINAPI GetStartupInfoA(LPSTARTUPINFOA lpStartupInfo) {
  std::memset(lpStartupInfo, 0, sizeof(*lpStartupInfo));
  lpStartupInfo->cb = sizeof(*lpStartupInfo);
  // In test programs a parent's show command (our WinExec passes one) arrives here, the
  // way Windows passes it in the child's start-up information. Natively nothing else
  // gives one.
  if (!linux_kernel::TestOverridesEnabled()) return;
  if (const char* show = std::getenv("LAUNCHER_SHOWWINDOW"); show && *show) {
    char* end = nullptr;
    unsigned long value = std::strtoul(show, &end, 10);
    if (*end == '\0' && value <= 0xFFFF) {
      lpStartupInfo->dwFlags = STARTF_USESHOWWINDOW;
      lpStartupInfo->wShowWindow = static_cast<WORD>(value);
    }
  }
}

int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator) {
  if (nDenominator == 0) return -1;
  int64_t product = int64_t(nNumber) * nNumerator;
  int64_t divisor = nDenominator;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  // Round half away from zero.
  int64_t result =
      product >= 0 ? (product + divisor / 2) / divisor : (product - divisor / 2) / divisor;
  if (result > 2147483647 || result < -2147483647) return -1;
  return static_cast<int>(result);
}

}  // extern "C"
