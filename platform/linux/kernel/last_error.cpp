// Per-thread last error, as each Windows thread has its own.
#include "platform/win32.h"

namespace {
thread_local DWORD lastError = 0;
}

extern "C" {
DWORD WINAPI GetLastError(void) { return lastError; }
void WINAPI SetLastError(DWORD dwErrCode) { lastError = dwErrCode; }
}
