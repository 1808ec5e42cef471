#pragma once
// Internal notification numbers the application window handles beyond those of the
// controls (controls/control_messages.h).
#include "platform/win32.h"

constexpr UINT IM_APP_KEYDOWN = 0xB016;
constexpr UINT IM_APP_SYSCOMMAND = 0xB017;
constexpr UINT IM_INVOKE_HELP = 0xB01F;
constexpr UINT IM_WINDOW_HOOK = 0xB020;
constexpr UINT IM_DIALOG_HANDLE = 0xB031;
constexpr UINT IM_ACTION_UPDATE = 0xB03F;
constexpr UINT IM_ACTION_EXECUTE = 0xB040;
