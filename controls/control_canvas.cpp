#include "controls/control_canvas.h"

#include <algorithm>
#include <vector>

#include "controls/control.h"
#include "runtime/critical_section.h"

namespace {
struct CanvasCache {
  CriticalSection lock;
  std::vector<TControlCanvas*> canvases;  // those holding a DC, oldest first
};

CanvasCache& Cache() {
  static CanvasCache cache;
  return cache;
}
}  // namespace

TControlCanvas::~TControlCanvas() { FreeDeviceContext(); }

void TControlCanvas::SetControl(TControl* control) {
  if (control == control_) return;
  FreeDeviceContext();
  control_ = control;
}

void TControlCanvas::FreeDeviceContext() {
  if (deviceContext_ == nullptr) return;
  CanvasCache& cache = Cache();
  CriticalSectionGuard guard(cache.lock);
  SetHandle(nullptr);
  std::erase(cache.canvases, this);
  ReleaseDC(window_, deviceContext_);
  deviceContext_ = nullptr;
  window_ = nullptr;
}

void TControlCanvas::AcquireDeviceContext() {
  if (control_ == nullptr) {
    TCanvas::AcquireDeviceContext();
    return;
  }
  if (deviceContext_ == nullptr) {
    CanvasCache& cache = Cache();
    CriticalSectionGuard guard(cache.lock);
    if (static_cast<int>(cache.canvases.size()) >= kCanvasCacheLimit) {
      for (TControlCanvas* other : cache.canvases) {
        if (!other->TryLockCanvas()) continue;
        other->FreeDeviceContext();
        other->UnlockCanvas();
        break;
      }
    }
    HWND window = nullptr;
    HDC dc = control_->AcquireDC(window);
    deviceContext_ = dc;
    window_ = window;
    cache.canvases.push_back(this);
  }
  SetHandle(deviceContext_);
  SetRightToLeftReading(false);
}

void FreeCachedDeviceContexts() {
  CanvasCache& cache = Cache();
  CriticalSectionGuard guard(cache.lock);
  // Walk a copy: freeing removes the canvas from the list.
  const std::vector<TControlCanvas*> held = cache.canvases;
  for (TControlCanvas* canvas : held) {
    if (!canvas->TryLockCanvas()) continue;
    canvas->FreeDeviceContext();
    canvas->UnlockCanvas();
  }
}

void FreeDeviceContextsOf(const TControl* control) {
  CanvasCache& cache = Cache();
  CriticalSectionGuard guard(cache.lock);
  const std::vector<TControlCanvas*> held = cache.canvases;
  for (TControlCanvas* canvas : held) {
    if (canvas->Control() == control) canvas->FreeDeviceContext();
  }
}

int CachedCanvasCount() {
  CanvasCache& cache = Cache();
  CriticalSectionGuard guard(cache.lock);
  return static_cast<int>(cache.canvases.size());
}
