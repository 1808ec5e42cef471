#include "launcher/program.h"
#include "platform/win32.h"

#ifdef _WIN32
int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*showCommand*/) {
  return RunLauncher();
}
#else
// Natively the same entry; the program reads no arguments. The show command reaches the
// application through GetStartupInfoA, as on Windows; natively nothing starts us with one.
int main() { return RunLauncher(); }
#endif
