#include "controls/panel.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "classes/metadata_builder.h"
#include "controls/frame3d.h"
#include "controls/published_properties.h"

namespace {

// Top-left and bottom-right colours of a bevel.
std::pair<TColor, TColor> BevelColors(TBevelCut cut) {
  if (cut == bvLowered) return {clBtnShadow, clBtnHighlight};
  return {clBtnHighlight, clBtnShadow};
}

}  // namespace

bool NewStyleControls() { return LOBYTE(LOWORD(GetVersion())) >= 4; }

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
  SetTraits(TraitBit(ctContainer) | TraitBit(ctCaptureMouse) | TraitBit(ctClickEvents) |
            TraitBit(ctSetCaption) | TraitBit(ctOpaque) | TraitBit(ctDoubleClicks) |
            TraitBit(ctReplicatable) | TraitBit(ctPannable));
  SetBounds(Left(), Top(), 185, 41);
  SetBevelOuter(bvRaised);
  SetBevelWidth(1);
  SetColor(clBtnFace);
  // Visual themes count as off; ParentBackground still starts true, so a new panel is
  // not opaque until a stream stores ParentBackground = False.
  SetParentBackground(true);
}

void TCustomPanel::SetAlignment(TAlignment value) {
  alignment_ = value;
  QueueRepaint();
}

void TCustomPanel::SetVerticalAlignment(TVerticalAlignment value) {
  verticalAlignment_ = value;
  QueueRepaint();
}

void TCustomPanel::SetBevelInner(TBevelCut value) {
  bevelInner_ = value;
  Rearrange();
  QueueRepaint();
}

void TCustomPanel::SetBevelOuter(TBevelCut value) {
  bevelOuter_ = value;
  Rearrange();
  QueueRepaint();
}

void TCustomPanel::SetBevelWidth(int32_t value) {
  bevelWidth_ = value;
  Rearrange();
  QueueRepaint();
}

void TCustomPanel::SetBorderWidth(int32_t value) {
  borderWidth_ = value;
  Rearrange();
  QueueRepaint();
}

void TCustomPanel::SetBorderStyle(TPanelBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  if (HandleAllocated()) Perform(IM_RECREATE_WINDOW);
}

void TCustomPanel::SetParentBackground(bool value) {
  if (value) {
    ExcludeTrait(ctOpaque);
  } else {
    IncludeTrait(ctOpaque);
  }
  parentBackgroundSet_ = true;
  TCustomControl::SetParentBackground(value);
}

int64_t TCustomPanel::EdgeWidth() const {
  int64_t edge = borderWidth_;
  if (bevelInner_ != bvNone) edge += bevelWidth_;
  if (bevelOuter_ != bvNone) edge += bevelWidth_;
  return edge;
}

void TCustomPanel::ShrinkClientArea(RECT& rect) {
  TCustomControl::ShrinkClientArea(rect);
  InflateRect(&rect, -borderWidth_, -borderWidth_);
  if (bevelOuter_ != bvNone) InflateRect(&rect, -bevelWidth_, -bevelWidth_);
  if (bevelInner_ != bvNone) InflateRect(&rect, -bevelWidth_, -bevelWidth_);
}

void TCustomPanel::FillCreationParams(CreationParams& params) {
  TCustomControl::FillCreationParams(params);
  if (borderStyle_ == pbsSingle) {
    params.style |= WS_BORDER;
    if (NewStyleControls() && Ctl3D()) {
      params.style &= ~static_cast<DWORD>(WS_BORDER);
      params.exStyle |= WS_EX_CLIENTEDGE;
    }
  }
  params.windowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomPanel::DrawContent() {
  TCanvas& canvas = *Canvas();
  RECT rect = ClientArea();
  if (bevelOuter_ != bvNone) {
    const auto [top, bottom] = BevelColors(bevelOuter_);
    DrawFrame3D(canvas, rect, top, bottom, bevelWidth_);
  }
  // Themes count as off: the border is a frame in the panel's colour and the
  // background is filled.
  DrawFrame3D(canvas, rect, Color(), Color(), borderWidth_);
  if (bevelInner_ != bvNone) {
    const auto [top, bottom] = BevelColors(bevelInner_);
    DrawFrame3D(canvas, rect, top, bottom, bevelWidth_);
  }
  canvas.Brush()->SetColor(Color());
  canvas.FillRectangle(rect);
  canvas.Brush()->SetStyle(bsClear);
  canvas.SetFont(Font());
  const UINT flags = DT_EXPANDTABS | DT_SINGLELINE | kVerticalAlignmentFlags[verticalAlignment_] |
                     kAlignmentFlags[alignment_];
  const std::string caption = Caption();
  DrawTextA(canvas.Handle(), caption.c_str(), -1, &rect, flags);
}

void TCustomPanel::HandleBorderChanged(MessageRecord& m) {
  DispatchInherited(TCustomPanel::StaticMeta(), m);
  QueueRepaint();
}

void TCustomPanel::HandleTextChanged(MessageRecord& /*m*/) { QueueRepaint(); }

void TCustomPanel::HandleWindowPosChanged(MessageRecord& m) {
  if (fullRepaint_ || !Caption().empty()) {
    QueueRepaint();
  } else if (const int64_t edge = EdgeWidth(); edge > 0 && m.LParam != 0 && HandleAllocated()) {
    // Only the edge strips change when a plain framed panel is resized.
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(m.LParam);
    const auto from = [&](int32_t extent) {
      return static_cast<LONG>(std::max<int64_t>(INT32_MIN, extent - edge - 1));
    };
    if (pos->cx != Width()) {
      const RECT strip = {from(Width()), 0, Width(), Height()};
      InvalidateRect(HandleValue(), &strip, TRUE);
    }
    if (pos->cy != Height()) {
      const RECT strip = {0, from(Height()), Width(), Height()};
      InvalidateRect(HandleValue(), &strip, TRUE);
    }
  }
  DispatchInherited(TCustomPanel::StaticMeta(), m);
}

const MessageTable TCustomPanel::kMessages{
    On<&TCustomPanel::HandleBorderChanged>(IM_BORDER_CHANGED),
    On<&TCustomPanel::HandleTextChanged>(IM_TEXT_CHANGED),
    On<&TCustomPanel::HandleWindowPosChanged>(WM_WINDOWPOSCHANGED)};

const ClassMetadata& TCustomPanel::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TCustomPanel>("TCustomPanel", &TCustomControl::StaticMeta(), "controls")
          .Messages(&TCustomPanel::kMessages)
          .Build();
  return meta;
}

const ClassMetadata& TPanel::StaticMeta() {
  static const ClassMetadata meta = [] {
    ClassBuilder<TPanel> b("TPanel", &TCustomPanel::StaticMeta(), "controls");
    b.Constructor();
    PublishControlProperties(b, {pcAlign});
    b.Property("Alignment", kTAlignmentType, ByMethod(&TCustomPanel::Alignment),
               ByMethod(&TCustomPanel::SetAlignment))
        .Default(taCenter);
    PublishControlProperties(b, {pcAnchors, pcAutoSize});
    b.Property("BevelInner", kTBevelCutType, ByMethod(&TCustomPanel::BevelInner),
               ByMethod(&TCustomPanel::SetBevelInner))
        .Default(bvNone);
    b.Property("BevelOuter", kTBevelCutType, ByMethod(&TCustomPanel::BevelOuter),
               ByMethod(&TCustomPanel::SetBevelOuter))
        .Default(bvRaised);
    b.Property("BevelWidth", kTBevelWidthType, ByMethod(&TCustomPanel::BevelWidth),
               ByMethod(&TCustomPanel::SetBevelWidth))
        .Default(1);
    b.Property("BorderWidth", kTBorderWidthType, ByMethod(&TCustomPanel::BorderWidth),
               ByMethod(&TCustomPanel::SetBorderWidth))
        .Default(0);
    b.Property("BorderStyle", kTPanelBorderStyleType, ByMethod(&TCustomPanel::BorderStyle),
               ByMethod(&TCustomPanel::SetBorderStyle))
        .Default(pbsNone);
    PublishControlProperties(
        b, {pcCaption, pcColor, pcConstraints, pcCtl3D, pcDragCursor, pcDragMode, pcEnabled});
    b.Property("FullRepaint", kBooleanType, ByMethod(&TCustomPanel::FullRepaint),
               ByMethod(&TCustomPanel::SetFullRepaint))
        .Default(1);
    PublishControlProperties(b, {pcFont});
    b.Property("Locked", kBooleanType, ByMethod(&TCustomPanel::Locked),
               ByMethod(&TCustomPanel::SetLocked))
        .Default(0);
    PublishControlProperties(b, {pcPadding, pcParentBackground});
    b.StoredBy(ByField(&TCustomPanel::parentBackgroundSet_));
    PublishControlProperties(b, {pcParentColor, pcParentCtl3D, pcParentFont, pcParentShowHint,
                                 pcShowHint, pcTabOrder, pcTabStop});
    b.Property("VerticalAlignment", kTVerticalAlignmentType,
               ByMethod(&TCustomPanel::VerticalAlignment),
               ByMethod(&TCustomPanel::SetVerticalAlignment))
        .Default(taVerticalCenter);
    PublishControlProperties(b, {pcVisible, pcOnCanResize, pcOnClick, pcOnConstrainedResize,
                                 pcOnDblClick, pcOnMouseActivate, pcOnMouseDown, pcOnMouseEnter,
                                 pcOnMouseLeave, pcOnMouseMove, pcOnMouseUp, pcOnResize});
    return b.Build();
  }();
  return meta;
}
