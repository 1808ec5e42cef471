#include "runtime/startup.h"

#include <atomic>

#include "platform/win32.h"

namespace {
constexpr int kShowDefault = 10;          // SW_SHOWDEFAULT
constexpr unsigned kUseShowWindow = 0x1;  // STARTF_USESHOWWINDOW

std::atomic<int> showCommand{kShowDefault};
std::atomic<unsigned> ansiCodePage{0};
std::atomic<unsigned long> mainThreadId{0};
}  // namespace

void RuntimeCoreStartup() {
  STARTUPINFOA info{};
  info.cb = sizeof(info);
  GetStartupInfoA(&info);
  showCommand = (info.dwFlags & kUseShowWindow) != 0 ? info.wShowWindow : kShowDefault;
  ansiCodePage = static_cast<unsigned>(GetACP());
  mainThreadId = static_cast<unsigned long>(GetCurrentThreadId());
}

void RuntimeCoreShutdown() {}

int StartupShowCommand() { return showCommand; }
void SetStartupShowCommand(int value) { showCommand = value; }
unsigned StartupAnsiCodePage() { return ansiCodePage; }
unsigned long MainThreadId() { return mainThreadId; }
