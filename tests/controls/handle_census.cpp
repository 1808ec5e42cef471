#include "tests/controls/handle_census.h"

#include "platform/win32.h"

namespace views_test {
namespace {

BOOL CALLBACK CountChild(HWND /*window*/, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  EnumChildWindows(window, &CountChild, count);
  return TRUE;
}

}  // namespace

HandleCensus TakeHandleCensus() {
  HandleCensus census;
  for (ULONG_PTR index = 1; index <= 0xFFFF; ++index) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++census.gdiObjects;
  }
  EnumThreadWindows(GetCurrentThreadId(), &CountTopLevel,
                    reinterpret_cast<LPARAM>(&census.windows));
  return census;
}

}  // namespace views_test
