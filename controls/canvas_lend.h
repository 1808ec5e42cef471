#pragma once
// Lends a device context to a control's canvas for one paint pass: the canvas is locked
// and bound to it while the guard lives, unbound and unlocked after, however the pass ends.
#include "controls/control_canvas.h"

class CanvasLend {
 public:
  // Bound in a delegating constructor's body so that a failing bind still unlocks.
  CanvasLend(TControlCanvas& canvas, HDC dc) : CanvasLend(canvas) { canvas_.SetHandle(dc); }
  CanvasLend(const CanvasLend&) = delete;
  CanvasLend& operator=(const CanvasLend&) = delete;
  ~CanvasLend() {
    canvas_.SetHandle(nullptr);
    canvas_.UnlockCanvas();
  }

 private:
  explicit CanvasLend(TControlCanvas& canvas) : canvas_(canvas) { canvas_.LockCanvas(); }

  TControlCanvas& canvas_;
};
