#pragma once
// The published properties that many control classes share (Align, Color, Font,
// OnClick, ...), added to a class's metadata by name from one list, so that each class
// states which of them it publishes and only writes out its own.
//
//   ClassBuilder<TLabel> builder("TLabel", &TCustomLabel::StaticMeta(), "controls");
//   PublishControlProperties(builder, {pcAlign, pcColor, pcFont, pcOnClick});
#include <initializer_list>
#include <stdexcept>
#include <type_traits>

#include "classes/metadata_builder.h"
#include "classes/standard_types.h"
#include "controls/win_control.h"
#include "graphics/colors.h"
#include "graphics/font.h"

enum TPublishedControlProperty {
  pcAlign,
  pcAnchors,
  pcAutoSize,
  pcCaption,
  pcColor,
  pcConstraints,
  pcDragCursor,
  pcDragMode,
  pcEnabled,
  pcFont,
  pcParentColor,
  pcParentFont,
  pcParentShowHint,
  pcShowHint,
  pcVisible,
  pcOnCanResize,
  pcOnClick,
  pcOnConstrainedResize,
  pcOnDblClick,
  pcOnMouseActivate,
  pcOnMouseDown,
  pcOnMouseEnter,
  pcOnMouseLeave,
  pcOnMouseMove,
  pcOnMouseUp,
  pcOnResize,
  // Windowed controls only.
  pcCtl3D,
  pcPadding,
  pcParentBackground,
  pcParentCtl3D,
  pcTabOrder,
  pcTabStop,
};

extern const TypeDescriptor kTCaptionType;   // long string
extern const TypeDescriptor kTTabOrderType;  // signed 16, -1..32767
extern const TypeDescriptor kTWinControlType;

template <class C>
void PublishWindowedProperty(ClassBuilder<C>& b, TPublishedControlProperty property) {
  switch (property) {
    case pcCtl3D:
      b.Property("Ctl3D", kBooleanType, ByMethod(&TWinControl::Ctl3D),
                 ByMethod(&TWinControl::SetCtl3D));
      break;
    case pcPadding:
      b.Property("Padding", kTPaddingType, ByMethod(&TWinControl::Padding),
                 ByMethod(&TWinControl::SetPadding));
      break;
    case pcParentBackground:
      b.Property("ParentBackground", kBooleanType, ByMethod(&TWinControl::ParentBackground),
                 ByVirtual(&TWinControl::SetParentBackground));
      break;
    case pcParentCtl3D:
      b.Property("ParentCtl3D", kBooleanType, ByMethod(&TWinControl::ParentCtl3D),
                 ByMethod(&TWinControl::SetParentCtl3D))
          .Default(1);
      break;
    case pcTabOrder:
      b.Property("TabOrder", kTTabOrderType, ByMethod(&TWinControl::TabOrder),
                 ByMethod(&TWinControl::SetTabOrder))
          .Default(-1);
      break;
    case pcTabStop:
      b.Property("TabStop", kBooleanType, ByMethod(&TWinControl::TabStop),
                 ByMethod(&TWinControl::SetTabStop))
          .Default(0);
      break;
    default:
      throw std::logic_error("not a windowed control property");
  }
}

// Position, size, text and state.
template <class C>
void PublishPlacementProperty(ClassBuilder<C>& b, TPublishedControlProperty property) {
  switch (property) {
    case pcAlign:
      b.Property("Align", kTAlignType, ByMethod(&TControl::Align), ByMethod(&TControl::SetAlign))
          .Default(alNone);
      break;
    case pcAnchors:
      b.Property("Anchors", kTAnchorsType, ByMethod(&TControl::Anchors),
                 ByMethod(&TControl::SetAnchors))
          .Default(kAnchorsLeftTop);
      break;
    case pcAutoSize:
      b.Property("AutoSize", kBooleanType, ByMethod(&TControl::AutoSize),
                 ByVirtual(&TControl::SetAutoSize))
          .Default(0);
      break;
    case pcCaption:
      b.Property("Caption", kTCaptionType, ByMethod(&TControl::Caption),
                 ByMethod(&TControl::SetCaption));
      break;
    case pcConstraints:
      b.Property("Constraints", kTSizeConstraintsType, ByMethod(&TControl::Constraints),
                 ByMethod(&TControl::SetConstraints));
      break;
    case pcDragCursor:
      b.Property("DragCursor", kTCursorType, ByMethod(&TControl::DragCursor),
                 ByMethod(&TControl::SetDragCursor))
          .Default(crDrag);
      break;
    case pcDragMode:
      b.Property("DragMode", kTDragModeType, ByMethod(&TControl::DragMode),
                 ByVirtual(&TControl::SetDragMode))
          .Default(dmManual);
      break;
    case pcEnabled:
      b.Property("Enabled", kBooleanType, ByMethod(&TControl::Enabled),
                 ByVirtual(&TControl::SetEnabled))
          .Default(1);
      break;
    case pcVisible:
      b.Property("Visible", kBooleanType, ByMethod(&TControl::Visible),
                 ByMethod(&TControl::SetVisible))
          .Default(1);
      break;
    default:
      throw std::logic_error("not a placement or state property");
  }
}

// Colour, font and hints, and whether they come from the parent.
template <class C>
void PublishAppearanceProperty(ClassBuilder<C>& b, TPublishedControlProperty property) {
  switch (property) {
    case pcColor:
      b.Property("Color", kTColorType, ByMethod(&TControl::Color), ByMethod(&TControl::SetColor));
      break;
    case pcFont:
      b.Property("Font", kTFontType, ByMethod(&TControl::Font), ByMethod(&TControl::SetFont));
      break;
    case pcParentColor:
      b.Property("ParentColor", kBooleanType, ByMethod(&TControl::ParentColor),
                 ByMethod(&TControl::SetParentColor))
          .Default(1);
      break;
    case pcParentFont:
      b.Property("ParentFont", kBooleanType, ByMethod(&TControl::ParentFont),
                 ByMethod(&TControl::SetParentFont))
          .Default(1);
      break;
    case pcParentShowHint:
      b.Property("ParentShowHint", kBooleanType, ByMethod(&TControl::ParentShowHint),
                 ByMethod(&TControl::SetParentShowHint))
          .Default(1);
      break;
    case pcShowHint:
      b.Property("ShowHint", kBooleanType, ByMethod(&TControl::ShowHint),
                 ByMethod(&TControl::SetShowHint));
      break;
    default:
      throw std::logic_error("not an appearance property");
  }
}

// The event handlers.
template <class C>
void PublishEventProperty(ClassBuilder<C>& b, TPublishedControlProperty property) {
  switch (property) {
    case pcOnCanResize:
      b.Property("OnCanResize", kTCanResizeEventType, ByField(&TControl::OnCanResize),
                 ByField(&TControl::OnCanResize));
      break;
    case pcOnClick:
      b.Property("OnClick", kTNotifyEventType, ByField(&TControl::OnClick),
                 ByField(&TControl::OnClick));
      break;
    case pcOnConstrainedResize:
      b.Property("OnConstrainedResize", kTConstrainedResizeEventType,
                 ByField(&TControl::OnConstrainedResize), ByField(&TControl::OnConstrainedResize));
      break;
    case pcOnDblClick:
      b.Property("OnDblClick", kTNotifyEventType, ByField(&TControl::OnDblClick),
                 ByField(&TControl::OnDblClick));
      break;
    case pcOnMouseActivate:
      b.Property("OnMouseActivate", kTMouseActivateEventType, ByField(&TControl::OnMouseActivate),
                 ByField(&TControl::OnMouseActivate));
      break;
    case pcOnMouseDown:
      b.Property("OnMouseDown", kTMouseEventType, ByField(&TControl::OnMouseDown),
                 ByField(&TControl::OnMouseDown));
      break;
    case pcOnMouseEnter:
      b.Property("OnMouseEnter", kTNotifyEventType, ByField(&TControl::OnMouseEnter),
                 ByField(&TControl::OnMouseEnter));
      break;
    case pcOnMouseLeave:
      b.Property("OnMouseLeave", kTNotifyEventType, ByField(&TControl::OnMouseLeave),
                 ByField(&TControl::OnMouseLeave));
      break;
    case pcOnMouseMove:
      b.Property("OnMouseMove", kTMouseMoveEventType, ByField(&TControl::OnMouseMove),
                 ByField(&TControl::OnMouseMove));
      break;
    case pcOnMouseUp:
      b.Property("OnMouseUp", kTMouseEventType, ByField(&TControl::OnMouseUp),
                 ByField(&TControl::OnMouseUp));
      break;
    case pcOnResize:
      b.Property("OnResize", kTNotifyEventType, ByField(&TControl::OnResize),
                 ByField(&TControl::OnResize));
      break;
    default:
      throw std::logic_error("not an event property");
  }
}

template <class C>
void PublishControlProperty(ClassBuilder<C>& b, TPublishedControlProperty property) {
  switch (property) {
    case pcAlign:
    case pcAnchors:
    case pcAutoSize:
    case pcCaption:
    case pcConstraints:
    case pcDragCursor:
    case pcDragMode:
    case pcEnabled:
    case pcVisible:
      PublishPlacementProperty(b, property);
      break;
    case pcColor:
    case pcFont:
    case pcParentColor:
    case pcParentFont:
    case pcParentShowHint:
    case pcShowHint:
      PublishAppearanceProperty(b, property);
      break;
    case pcOnCanResize:
    case pcOnClick:
    case pcOnConstrainedResize:
    case pcOnDblClick:
    case pcOnMouseActivate:
    case pcOnMouseDown:
    case pcOnMouseEnter:
    case pcOnMouseLeave:
    case pcOnMouseMove:
    case pcOnMouseUp:
    case pcOnResize:
      PublishEventProperty(b, property);
      break;
    case pcCtl3D:
    case pcPadding:
    case pcParentBackground:
    case pcParentCtl3D:
    case pcTabOrder:
    case pcTabStop:
      if constexpr (std::is_base_of_v<TWinControl, C>) {
        PublishWindowedProperty(b, property);
      } else {
        throw std::logic_error("windowed property published for a non-windowed control");
      }
      break;
  }
}

template <class C>
void PublishControlProperties(ClassBuilder<C>& b,
                              std::initializer_list<TPublishedControlProperty> properties) {
  for (TPublishedControlProperty property : properties) PublishControlProperty(b, property);
}
