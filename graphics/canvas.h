#pragma once
// A drawing surface over a device context. The canvas owns a font, a pen and a
// brush and selects their native objects into the DC only when an operation
// needs them; an attribute change or a DC change takes them out again.
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "classes/events.h"
#include "classes/persistent.h"
#include "graphics/brush.h"
#include "graphics/font.h"
#include "graphics/pen.h"
#include "platform/win32.h"
#include "runtime/critical_section.h"

class TGraphic;

// What the canvas has set up in its DC.
enum class TCanvasState : uint8_t {
  None = 0,
  HasDeviceContext = 1,
  FontSelected = 2,
  PenSelected = 4,
  BrushSelected = 8,
  All = 15,
};
constexpr TCanvasState operator|(TCanvasState a, TCanvasState b) {
  return static_cast<TCanvasState>(static_cast<uint8_t>(a) | static_cast<uint8_t>(b));
}
constexpr TCanvasState operator&(TCanvasState a, TCanvasState b) {
  return static_cast<TCanvasState>(static_cast<uint8_t>(a) & static_cast<uint8_t>(b));
}
constexpr TCanvasState operator~(TCanvasState a) {
  return static_cast<TCanvasState>(~static_cast<uint8_t>(a) & 15);
}
constexpr bool Has(TCanvasState set, TCanvasState flags) { return (set & flags) == flags; }

constexpr uint32_t kDefaultCopyMode = SRCCOPY;  // 0xCC0020

class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

  virtual void NotifyChange();
  virtual void NotifyChanging();
  // Supplies a DC when one is needed; the plain canvas has none to offer.
  virtual void AcquireDeviceContext();

  // Reading the handle prepares it for outside drawing: font, pen and brush are
  // selected. HandleValue() is the raw DC without side effects.
  HDC Handle();
  void SetHandle(HDC dc);
  HDC HandleValue() const { return handle_; }
  bool HandleAllocated() const { return handle_ != nullptr; }

  TCanvasState State() const { return state_; }
  // Makes every flag in `required` true; raises EInvalidOperation "Canvas does
  // not allow drawing" when no DC can be had.
  void EnsureState(TCanvasState required);
  // Selects the stock objects back into the DC.
  void ReleaseObjects();

  TFont* Font() const { return font_.get(); }
  TPen* Pen() const { return pen_.get(); }
  TBrush* Brush() const { return brush_.get(); }
  // These copy the given object into the canvas's own.
  void SetFont(const TFont* value) { font_->Assign(value); }
  void SetPen(const TPen* value) { pen_->Assign(value); }
  void SetBrush(const TBrush* value) { brush_->Assign(value); }
  uint32_t CopyMode() const { return copyMode_; }
  void SetCopyMode(uint32_t value) { copyMode_ = value; }
  bool RightToLeftReading() const { return rightToLeft_; }
  void SetRightToLeftReading(bool value) { rightToLeft_ = value; }

  void FillRectangle(const RECT& rect);
  void DrawRectangle(int x1, int y1, int x2, int y2);
  void MoveToPoint(int x, int y);
  void LineToPoint(int x, int y);
  void DrawPolyline(std::span<const POINT> points);
  COLORREF PixelAt(int x, int y);
  void SetPixelAt(int x, int y, TColor color);
  POINT PenPosition();
  SIZE MeasureText(std::string_view text);
  int TextWidthOf(std::string_view text) { return MeasureText(text).cx; }
  int TextHeightOf(std::string_view text) { return MeasureText(text).cy; }
  void DrawGraphic(int x, int y, TGraphic* graphic);
  void StretchGraphic(const RECT& rect, TGraphic* graphic);
  void CopyArea(const RECT& dest, TCanvas* source, const RECT& sourceRect);

  void LockCanvas();
  void UnlockCanvas();
  bool TryLockCanvas();
  int32_t LockCount() const { return lockCount_; }
  CriticalSection& Lock() { return lock_; }

 private:
  void FontChanged(TObject* sender);
  void PenChanged(TObject* sender);
  void BrushChanged(TObject* sender);
  friend struct CanvasMetadata;

  HDC handle_ = nullptr;
  TCanvasState state_ = TCanvasState::None;
  // Declared before the attribute objects that use it as their OwnerLock, so it
  // outlives them.
  CriticalSection lock_;
  TOwnedPtr<TFont> font_;
  TOwnedPtr<TPen> pen_;
  TOwnedPtr<TBrush> brush_;
  POINT penPos_ = {0, 0};
  uint32_t copyMode_ = kDefaultCopyMode;
  bool rightToLeft_ = false;
  int32_t lockCount_ = 0;
};

// Every live canvas, in creation order, guarded by its own lock.
class TCanvasList {
 public:
  void Add(TCanvas* canvas);
  void Remove(TCanvas* canvas);
  CriticalSection& Lock() { return lock_; }
  // Only while holding Lock().
  const std::vector<TCanvas*>& Items() const { return items_; }

 private:
  CriticalSection lock_;
  std::vector<TCanvas*> items_;
};

// Made by the graphics module start-up; freed at shut-down after the canvases.
extern std::unique_ptr<TCanvasList> AllCanvases;
// Guards every canvas's lock count.
extern std::unique_ptr<CriticalSection> CanvasCountLock;

// Drops every cached pen and brush handle made from a system colour, so that
// the next use picks up the new scheme. Canvases let go of their objects first.
void RefreshSystemColors();

// Stock objects fetched at start-up.
extern HPEN StockPen;      // BLACK_PEN
extern HBRUSH StockBrush;  // NULL_BRUSH
extern HFONT StockFont;    // SYSTEM_FONT
extern HICON StockIcon;    // IDI_APPLICATION
