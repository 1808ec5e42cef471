#pragma once
// TControlCanvas: a canvas that borrows its device context from a control on first need.
// Canvases holding a window DC are kept in a small process-wide cache; the unlocked ones
// give their DC back after every dispatched message.
#include "graphics/canvas.h"

class TControl;

class TControlCanvas : public TCanvas {
 public:
  TControlCanvas() = default;
  ~TControlCanvas() override;

  TControl* Control() const { return control_; }
  // Frees the DC held for the previous control first.
  void SetControl(TControl* control);
  // Gives the borrowed DC back (no-op without one).
  void FreeDeviceContext();
  void AcquireDeviceContext() override;

 private:
  TControl* control_ = nullptr;
  HDC deviceContext_ = nullptr;
  HWND window_ = nullptr;
};

// At most this many canvases keep a window DC at once.
constexpr int kCanvasCacheLimit = 4;
// Frees the DCs of every cached canvas that is not locked right now.
void FreeCachedDeviceContexts();
// Frees the DCs of every cached canvas bound to `control` (locked or not).
void FreeDeviceContextsOf(const TControl* control);
// Number of canvases currently holding a DC (for tests and checks).
int CachedCanvasCount();
