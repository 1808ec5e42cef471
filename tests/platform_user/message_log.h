#pragma once
// A window class whose procedure records the messages it receives, for sequence tests.
#include <string>
#include <vector>

#include "platform/win32.h"

namespace user_test {

struct Logged {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

std::vector<Logged>& Log();
// The recorded messages of interest (others are dropped), as numbers.
std::vector<UINT> Messages(HWND window = nullptr);
void ClearLog();
// Registers "UserTestLog" (once); its procedure logs and then calls DefWindowProcA.
const char* LoggingClass();

}  // namespace user_test
