#pragma once
// The mouse capture as the framework sees it: which control holds it, kept in step with
// the native capture of the process.
class TControl;

// Captures the mouse for `control` (null releases it).
void SetCaptureOwner(TControl* control);
// The control the native capture belongs to.
TControl* CaptureOwner();
// The control that holds the capture (a non-windowed one through its parent's window).
TControl* CaptureControl();
// Sets CaptureControl from the native capture (CaptureOwner).
void RefreshCaptureControl();
