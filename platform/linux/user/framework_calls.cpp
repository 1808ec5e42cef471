// Calls the framework makes that need no state of their own in this layer.
#include "platform/win32.h"

extern "C" {

// No dialog windows exist here (the launcher has none), so no message is a dialog's.
BOOL WINAPI IsDialogMessageW(HWND /*hDlg*/, LPMSG /*lpMsg*/) { return FALSE; }

}  // extern "C"
