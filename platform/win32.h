#pragma once
// The one header through which the framework reaches the Win32 API.
// Windows: the real SDK headers. Linux: our own declarations of the subset the
// framework calls, with the same names, constants and (where read) layouts,
// implemented under platform/linux/.
#ifdef _WIN32
#include <windows.h>
// After <windows.h>: _TrackMouseEvent and the common-control declarations.
#include <commctrl.h>
#else
#include "platform/linux/win32_advapi.h"
#include "platform/linux/win32_cursors.h"
#include "platform/linux/win32_gdi.h"
#include "platform/linux/win32_kernel.h"
#include "platform/linux/win32_types.h"
#include "platform/linux/win32_user.h"
#if __has_include("platform/linux/win32_user_input.h")
#include "platform/linux/win32_user_input.h"
#endif
#endif
