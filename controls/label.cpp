#include "controls/label.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "classes/metadata_builder.h"
#include "controls/canvas_lend.h"
#include "controls/label_text.h"
#include "controls/published_properties.h"
#include "platform/gdi_handles.h"

namespace {

int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

char AcceleratorOf(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return caption[i + 1];
    ++i;  // "&&" is a plain ampersand
  }
  return 0;
}

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  IncludeTrait(ctReplicatable);
  SetBounds(Left(), Top(), 65, 17);
  // Visual themes count as off (the program carries no manifest enabling them), so a
  // label is opaque until its stream says Transparent = True.
  IncludeTrait(ctOpaque);
}

void TCustomLabel::SetFocusControl(TWinControl* value) {
  if (value == focusControl_) return;
  if (focusControl_ != nullptr) UnwatchForFree(focusControl_);
  focusControl_ = value;
  if (value != nullptr) WatchForFree(value);
}

void TCustomLabel::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  QueueRepaint();
}

void TCustomLabel::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  ellipsis_ = epNone;
  FitLabelToText();
}

void TCustomLabel::SetLayout(TTextLayout value) {
  if (value == layout_) return;
  layout_ = value;
  QueueRepaint();
}

void TCustomLabel::SetWordWrap(bool value) {
  if (value == wordWrap_) return;
  wordWrap_ = value;
  FitLabelToText();
  QueueRepaint();
}

void TCustomLabel::SetShowAccelChar(bool value) {
  if (value == showAccelChar_) return;
  showAccelChar_ = value;
  QueueRepaint();
}

void TCustomLabel::SetTransparent(bool value) {
  transparentSet_ = true;
  if (value == Transparent()) return;
  if (value) {
    ExcludeTrait(ctOpaque);
  } else {
    IncludeTrait(ctOpaque);
  }
  QueueRepaint();
}

void TCustomLabel::SetEllipsisPosition(TEllipsisPosition value) {
  if (value == ellipsis_) return;
  ellipsis_ = value;
  autoSize_ = false;
  QueueRepaint();
}

void TCustomLabel::FinishLoading() {
  TGraphicControl::FinishLoading();
  FitLabelToText();
}

void TCustomLabel::ComponentNotify(TComponent* component, TOperation operation) {
  TGraphicControl::ComponentNotify(component, operation);
  if (operation == noRemove && component == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::DrawLabelText(RECT& rect, UINT flags) {
  LabelTextOptions options;
  options.showAccelChar = showAccelChar_;
  options.enabled = Enabled();
  options.wordWrap = wordWrap_;
  options.autoSize = autoSize_;
  options.ellipsis = ellipsis_;
  options.clientHeight = ClientHeight();
  DrawLabelTextOn(*Canvas(), *Font(), LabelText(), rect, flags, options);
}

void TCustomLabel::DrawContent() {
  TCanvas& canvas = *Canvas();
  if (!Transparent()) {
    canvas.Brush()->SetColor(Color());
    canvas.Brush()->SetStyle(bsSolid);
    canvas.FillRectangle(ClientArea());
  }
  canvas.Brush()->SetStyle(bsClear);
  RECT rect = ClientArea();
  const UINT flags = DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0u) | kAlignmentFlags[alignment_];
  if (layout_ != tlTop) {
    RECT measured = rect;
    DrawLabelText(measured, flags | DT_CALCRECT);
    int32_t offset = Height() - measured.bottom;
    if (layout_ == tlCenter) offset /= 2;
    OffsetRect(&rect, 0, offset);
  }
  DrawLabelText(rect, flags);
}

void TCustomLabel::FitLabelToText() {
  if (HasState(stReading) || !autoSize_) return;
  RECT rect = ClientArea();
  {
    WindowDC screen(nullptr);
    CanvasLend lent(*Canvas(), screen.Get());
    DrawLabelText(rect, DT_EXPANDTABS | DT_CALCRECT | (wordWrap_ ? DT_WORDBREAK : 0u));
  }
  int32_t newLeft = Left();
  // A right-justified label keeps its right edge; the others keep their left edge.
  if (alignment_ == taRightJustify) {
    newLeft = ClampToInt32(static_cast<int64_t>(Left()) + Width() - rect.right);
  }
  ApplyBounds(newLeft, Top(), rect.right, rect.bottom);
}

void TCustomLabel::HandleTextChanged(MessageRecord& /*m*/) {
  QueueRepaint();
  FitLabelToText();
}

void TCustomLabel::HandleFontChanged(MessageRecord& m) {
  DispatchInherited(TCustomLabel::StaticMeta(), m);
  FitLabelToText();
}

void TCustomLabel::HandleDialogChar(MessageRecord& m) {
  if (focusControl_ == nullptr || !Enabled() || !showAccelChar_) return;
  const char accelerator = AcceleratorOf(Caption());
  if (accelerator == 0) return;
  const auto upper = [](char c) {
    CharUpperBuffA(&c, 1);
    return c;
  };
  if (upper(static_cast<char>(m.WParam)) != upper(accelerator)) return;
  // The focus goes to the control only when it can take it.
  if (focusControl_->Visible() && focusControl_->Enabled()) SetFocus(focusControl_->Handle());
  m.Result = 1;
}

const MessageTable TCustomLabel::kMessages{On<&TCustomLabel::HandleTextChanged>(IM_TEXT_CHANGED),
                                           On<&TCustomLabel::HandleFontChanged>(IM_FONT_CHANGED),
                                           On<&TCustomLabel::HandleDialogChar>(IM_DIALOG_CHAR)};

const ClassMetadata& TCustomLabel::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TCustomLabel>("TCustomLabel", &TGraphicControl::StaticMeta(), "controls")
          .Messages(&TCustomLabel::kMessages)
          .Build();
  return meta;
}

const ClassMetadata& TLabel::StaticMeta() {
  static const ClassMetadata meta = [] {
    ClassBuilder<TLabel> b("TLabel", &TCustomLabel::StaticMeta(), "controls");
    b.Constructor();
    PublishControlProperties(b, {pcAlign});
    b.Property("Alignment", kTAlignmentType, ByMethod(&TCustomLabel::Alignment),
               ByMethod(&TCustomLabel::SetAlignment))
        .Default(taLeftJustify);
    PublishControlProperties(b, {pcAnchors});
    b.Property("AutoSize", kBooleanType, ByMethod(&TCustomLabel::AutoSize),
               ByVirtual(&TCustomLabel::SetAutoSize))
        .Default(1);
    PublishControlProperties(b, {pcCaption, pcColor, pcConstraints, pcDragCursor, pcDragMode});
    b.Property("EllipsisPosition", kTEllipsisPositionType,
               ByMethod(&TCustomLabel::EllipsisPosition),
               ByMethod(&TCustomLabel::SetEllipsisPosition))
        .Default(epNone);
    PublishControlProperties(b, {pcEnabled});
    b.Property("FocusControl", kTWinControlType, ByMethod(&TCustomLabel::FocusControl),
               ByMethod(&TCustomLabel::SetFocusControl));
    PublishControlProperties(b, {pcFont, pcParentColor, pcParentFont, pcParentShowHint});
    b.Property("ShowAccelChar", kBooleanType, ByMethod(&TCustomLabel::ShowAccelChar),
               ByMethod(&TCustomLabel::SetShowAccelChar))
        .Default(1);
    PublishControlProperties(b, {pcShowHint});
    b.Property("Transparent", kBooleanType, ByMethod(&TCustomLabel::Transparent),
               ByMethod(&TCustomLabel::SetTransparent))
        .StoredBy(ByField(&TCustomLabel::transparentSet_));
    b.Property("Layout", kTTextLayoutType, ByMethod(&TCustomLabel::Layout),
               ByMethod(&TCustomLabel::SetLayout))
        .Default(tlTop);
    PublishControlProperties(b, {pcVisible});
    b.Property("WordWrap", kBooleanType, ByMethod(&TCustomLabel::WordWrap),
               ByMethod(&TCustomLabel::SetWordWrap))
        .Default(0);
    PublishControlProperties(b, {pcOnClick, pcOnDblClick, pcOnMouseActivate, pcOnMouseDown,
                                 pcOnMouseMove, pcOnMouseUp, pcOnMouseEnter, pcOnMouseLeave});
    return b.Build();
  }();
  return meta;
}
