#include "graphics/canvas.h"

#include <algorithm>

#include "classes/metadata_builder.h"
#include "classes/standard_types.h"
#include "runtime/exception.h"
#include "runtime/messages.h"

std::unique_ptr<TCanvasList> AllCanvases;
std::unique_ptr<CriticalSection> CanvasCountLock;
HPEN StockPen = nullptr;
HBRUSH StockBrush = nullptr;
HFONT StockFont = nullptr;
HICON StockIcon = nullptr;

void TCanvasList::Add(TCanvas* canvas) {
  CriticalSectionGuard guard(lock_);
  items_.push_back(canvas);
}

void TCanvasList::Remove(TCanvas* canvas) {
  CriticalSectionGuard guard(lock_);
  auto it = std::find(items_.begin(), items_.end(), canvas);
  if (it != items_.end()) items_.erase(it);
}

TCanvas::TCanvas() : font_(new TFont), pen_(new TPen), brush_(new TBrush) {
  font_->OnChange = TNotifyEvent::Bind<&TCanvas::FontChanged>(this);
  font_->SetOwnerLock(&lock_);
  pen_->OnChange = TNotifyEvent::Bind<&TCanvas::PenChanged>(this);
  pen_->SetOwnerLock(&lock_);
  brush_->OnChange = TNotifyEvent::Bind<&TCanvas::BrushChanged>(this);
  brush_->SetOwnerLock(&lock_);
  if (AllCanvases) AllCanvases->Add(this);
}

TCanvas::~TCanvas() {
  if (AllCanvases) AllCanvases->Remove(this);
  // Through the handle write, so the stock objects go back into the DC first.
  SetHandle(nullptr);
}

void TCanvas::NotifyChange() { OnChange(this); }

void TCanvas::NotifyChanging() { OnChanging(this); }

void TCanvas::AcquireDeviceContext() {}

HDC TCanvas::Handle() {
  NotifyChanging();
  EnsureState(TCanvasState::All);
  return handle_;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == handle_) return;
  if (handle_) {
    ReleaseObjects();
    GetCurrentPositionEx(handle_, &penPos_);
    handle_ = nullptr;
    state_ = state_ & ~TCanvasState::HasDeviceContext;
  }
  if (dc) {
    state_ = state_ | TCanvasState::HasDeviceContext;
    handle_ = dc;
    MoveToEx(dc, penPos_.x, penPos_.y, nullptr);
  }
}

void TCanvas::EnsureState(TCanvasState required) {
  const TCanvasState missing = required & ~state_;
  if (missing == TCanvasState::None) return;
  if (Has(missing, TCanvasState::HasDeviceContext)) {
    AcquireDeviceContext();
    if (!handle_) throw EInvalidOperation(msg::kCanvasNoDrawing, {});
  }
  if (Has(missing, TCanvasState::FontSelected)) {
    SelectObject(handle_, font_->Handle());
    SetTextColor(handle_, ResolveColor(font_->Color()));
  }
  if (Has(missing, TCanvasState::PenSelected)) {
    SelectObject(handle_, pen_->Handle());
    SetROP2(handle_, RasterOp2Of(pen_->Mode()));
  }
  if (Has(missing, TCanvasState::BrushSelected)) {
    HBRUSH b = brush_->Handle();
    UnrealizeObject(b);
    SelectObject(handle_, b);
    const COLORREF color = ResolveColor(brush_->Color());
    if (brush_->Style() == bsSolid) {
      SetBkColor(handle_, color);
      SetBkMode(handle_, OPAQUE);
    } else {
      SetBkColor(handle_, ~color);
      SetBkMode(handle_, TRANSPARENT);
    }
  }
  state_ = state_ | missing;
}

void TCanvas::ReleaseObjects() {
  const TCanvasState objects =
      TCanvasState::FontSelected | TCanvasState::PenSelected | TCanvasState::BrushSelected;
  if (!handle_ || (state_ & objects) == TCanvasState::None) return;
  SelectObject(handle_, StockPen);
  SelectObject(handle_, StockBrush);
  SelectObject(handle_, StockFont);
  state_ = state_ & ~objects;
}

// An attribute change takes the old native object out of the DC, so the cache
// can delete it; the new one is selected on next use.
void TCanvas::FontChanged(TObject*) {
  if (!Has(state_, TCanvasState::FontSelected)) return;
  state_ = state_ & ~TCanvasState::FontSelected;
  SelectObject(handle_, StockFont);
}

void TCanvas::PenChanged(TObject*) {
  if (!Has(state_, TCanvasState::PenSelected)) return;
  state_ = state_ & ~TCanvasState::PenSelected;
  SelectObject(handle_, StockPen);
}

void TCanvas::BrushChanged(TObject*) {
  if (!Has(state_, TCanvasState::BrushSelected)) return;
  state_ = state_ & ~TCanvasState::BrushSelected;
  SelectObject(handle_, StockBrush);
}

void TCanvas::FillRectangle(const RECT& rect) {
  NotifyChanging();
  EnsureState(TCanvasState::HasDeviceContext | TCanvasState::BrushSelected);
  FillRect(handle_, &rect, brush_->Handle());
  NotifyChange();
}

void TCanvas::DrawRectangle(int x1, int y1, int x2, int y2) {
  NotifyChanging();
  EnsureState(TCanvasState::HasDeviceContext | TCanvasState::PenSelected |
              TCanvasState::BrushSelected);
  Rectangle(handle_, x1, y1, x2, y2);
  NotifyChange();
}

void TCanvas::MoveToPoint(int x, int y) {
  EnsureState(TCanvasState::HasDeviceContext);
  MoveToEx(handle_, x, y, nullptr);
}

void TCanvas::LineToPoint(int x, int y) {
  NotifyChanging();
  EnsureState(TCanvasState::HasDeviceContext | TCanvasState::PenSelected |
              TCanvasState::BrushSelected);
  LineTo(handle_, x, y);
  NotifyChange();
}

void TCanvas::DrawPolyline(std::span<const POINT> points) {
  NotifyChanging();
  EnsureState(TCanvasState::HasDeviceContext | TCanvasState::PenSelected |
              TCanvasState::BrushSelected);
  Polyline(handle_, points.data(), static_cast<int>(points.size()));
  NotifyChange();
}

COLORREF TCanvas::PixelAt(int x, int y) {
  EnsureState(TCanvasState::HasDeviceContext);
  return GetPixel(handle_, x, y);
}

void TCanvas::SetPixelAt(int x, int y, TColor color) {
  NotifyChanging();
  EnsureState(TCanvasState::HasDeviceContext | TCanvasState::PenSelected);
  SetPixel(handle_, x, y, ResolveColor(color));
  NotifyChange();
}

POINT TCanvas::PenPosition() {
  EnsureState(TCanvasState::HasDeviceContext);
  POINT p = {0, 0};
  GetCurrentPositionEx(handle_, &p);
  return p;
}

SIZE TCanvas::MeasureText(std::string_view text) {
  EnsureState(TCanvasState::HasDeviceContext | TCanvasState::FontSelected);
  SIZE size = {0, 0};
  GetTextExtentPoint32A(handle_, text.data(), static_cast<int>(text.size()), &size);
  return size;
}

void TCanvas::CopyArea(const RECT& dest, TCanvas* source, const RECT& sourceRect) {
  NotifyChanging();
  EnsureState(TCanvasState::HasDeviceContext | TCanvasState::FontSelected |
              TCanvasState::BrushSelected);
  source->EnsureState(TCanvasState::HasDeviceContext | TCanvasState::BrushSelected);
  StretchBlt(handle_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top,
             source->handle_, sourceRect.left, sourceRect.top, sourceRect.right - sourceRect.left,
             sourceRect.bottom - sourceRect.top, copyMode_);
  NotifyChange();
}

void TCanvas::LockCanvas() {
  CanvasCountLock->Enter();
  ++lockCount_;
  CanvasCountLock->Leave();
  lock_.Enter();
}

void TCanvas::UnlockCanvas() {
  lock_.Leave();
  CanvasCountLock->Enter();
  --lockCount_;
  CanvasCountLock->Leave();
}

bool TCanvas::TryLockCanvas() {
  CriticalSectionGuard guard(*CanvasCountLock);
  if (lockCount_ != 0) return false;
  LockCanvas();
  return true;
}

void RefreshSystemColors() {
  CriticalSectionGuard listGuard(AllCanvases->Lock());
  const std::vector<TCanvas*>& canvases = AllCanvases->Items();
  for (TCanvas* c : canvases) {
    c->LockCanvas();
    c->ReleaseObjects();
  }
  auto dropSystemColored = [](TResourceManager& cache, auto attributesOf) {
    cache.ForEachRecord([&](SharedResource& r) {
      if (r.handle && IsSystemColor(attributesOf(r)->color)) {
        DeleteObject(r.handle);
        r.handle = nullptr;
      }
    });
  };
  dropSystemColored(*PenManager, [](SharedResource& r) {
    return reinterpret_cast<const PenAttributes*>(r.Key());
  });
  dropSystemColored(*BrushManager, [](SharedResource& r) {
    return reinterpret_cast<const BrushAttributes*>(r.Key());
  });
  for (TCanvas* c : canvases) c->UnlockCanvas();
}

const ClassMetadata& TCanvas::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TCanvas>("TCanvas", &TPersistent::StaticMeta(), "graphics")
          .Property("Brush", kTBrushType, ByMethod(&TCanvas::Brush), ByMethod(&TCanvas::SetBrush))
          .Property("CopyMode", kIntegerType, ByMethod(&TCanvas::CopyMode),
                    ByMethod(&TCanvas::SetCopyMode))
          .Default(static_cast<int32_t>(kDefaultCopyMode))
          .Property("Font", kTFontType, ByMethod(&TCanvas::Font), ByMethod(&TCanvas::SetFont))
          .Property("Pen", kTPenType, ByMethod(&TCanvas::Pen), ByMethod(&TCanvas::SetPen))
          .Build();
  return meta;
}
