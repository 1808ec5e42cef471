#pragma once
// The modules this subset knows: the main program and pseudo handles for the
// system DLLs the framework names. Shared by the module and resource code.
#include "platform/linux/win32_types.h"

namespace linux_kernel {

HMODULE MainModule();
// True for NULL and the main module's handle: both mean "this program".
bool IsMainModule(HMODULE module);
// The DLL's lower-case file name ("user32.dll"), or nullptr when `module` is
// not one of the system DLL pseudo handles.
const char* SystemDllName(HMODULE module);

// GetProcAddress's table: one row per exported function this subset knows.
// `address` stays nullptr until the function is implemented here.
struct ProcEntry {
  const char* dll;  // lower-case file name, e.g. "user32.dll"
  const char* name;
  FARPROC address;
};
extern const ProcEntry kProcTable[];
extern const unsigned kProcTableSize;

}  // namespace linux_kernel
