#include "controls/control_types.h"

#include <climits>

#include "controls/size_constraints.h"

TAnchors AnchorsOfAlign(TAlign align) {
  switch (align) {
    case alTop:
      return AnchorBit(akLeft) | AnchorBit(akTop) | AnchorBit(akRight);
    case alBottom:
      return AnchorBit(akLeft) | AnchorBit(akRight) | AnchorBit(akBottom);
    case alLeft:
      return AnchorBit(akLeft) | AnchorBit(akTop) | AnchorBit(akBottom);
    case alRight:
      return AnchorBit(akTop) | AnchorBit(akRight) | AnchorBit(akBottom);
    case alClient:
      return kAnchorsAll;
    default:
      return kAnchorsLeftTop;
  }
}

TShiftState ShiftStateOfKeys(WPARAM keys) {
  TShiftState shift = 0;
  if (keys & MK_SHIFT) shift |= ShiftBit(ssShift);
  if (keys & MK_CONTROL) shift |= ShiftBit(ssCtrl);
  if (keys & MK_LBUTTON) shift |= ShiftBit(ssLeft);
  if (keys & MK_RBUTTON) shift |= ShiftBit(ssRight);
  if (keys & MK_MBUTTON) shift |= ShiftBit(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) shift |= ShiftBit(ssAlt);
  return shift;
}

namespace {
constexpr std::string_view kAlignNames[] = {"alNone",  "alTop",    "alBottom", "alLeft",
                                            "alRight", "alClient", "alCustom"};
constexpr std::string_view kAnchorNames[] = {"akLeft", "akTop", "akRight", "akBottom"};
constexpr std::string_view kDragModeNames[] = {"dmManual", "dmAutomatic"};
constexpr std::string_view kMouseButtonNames[] = {"mbLeft", "mbRight", "mbMiddle"};
constexpr std::string_view kShiftNames[] = {"ssShift", "ssAlt",    "ssCtrl",  "ssLeft",
                                            "ssRight", "ssMiddle", "ssDouble"};

constexpr MethodParam kMouseParams[] = {{"Sender", "TObject"},
                                        {"Button", "TMouseButton"},
                                        {"Shift", "TShiftState"},
                                        {"X", "Integer"},
                                        {"Y", "Integer"}};
constexpr MethodParam kMouseMoveParams[] = {
    {"Sender", "TObject"}, {"Shift", "TShiftState"}, {"X", "Integer"}, {"Y", "Integer"}};
constexpr MethodParam kCanResizeParams[] = {{"Sender", "TObject"},
                                            {"NewWidth", "Integer"},
                                            {"NewHeight", "Integer"},
                                            {"Resize", "Boolean"}};
constexpr MethodParam kConstrainedResizeParams[] = {{"Sender", "TObject"},
                                                    {"MinWidth", "Integer"},
                                                    {"MinHeight", "Integer"},
                                                    {"MaxWidth", "Integer"},
                                                    {"MaxHeight", "Integer"}};
constexpr MethodParam kMouseActivateParams[] = {{"Sender", "TObject"},
                                                {"Button", "TMouseButton"},
                                                {"Shift", "TShiftState"},
                                                {"X", "Integer"},
                                                {"Y", "Integer"},
                                                {"HitTest", "Integer"},
                                                {"MouseActivate", "TMouseActivate"}};
}  // namespace

constinit const TypeDescriptor kTAlignType = EnumType("TAlign", kAlignNames);
constinit const TypeDescriptor kTAnchorKindType = EnumType("TAnchorKind", kAnchorNames);
constinit const TypeDescriptor kTAnchorsType = SetType("TAnchors", kTAnchorKindType, osUByte);
constinit const TypeDescriptor kTCursorType = IntegerType("TCursor", osSWord, -32768, 32767);
constinit const TypeDescriptor kTDragModeType = EnumType("TDragMode", kDragModeNames);
constinit const TypeDescriptor kTMouseButtonType = EnumType("TMouseButton", kMouseButtonNames);
constinit const TypeDescriptor kTShiftKindType = EnumType("TShiftKind", kShiftNames);
constinit const TypeDescriptor kTShiftStateType = SetType("TShiftState", kTShiftKindType, osUByte);
constinit const TypeDescriptor kTMouseEventType =
    MethodType<TObject*, TMouseButton, TShiftState, int32_t, int32_t>("TMouseEvent", kMouseParams);
constinit const TypeDescriptor kTMouseMoveEventType =
    MethodType<TObject*, TShiftState, int32_t, int32_t>("TMouseMoveEvent", kMouseMoveParams);
constinit const TypeDescriptor kTCanResizeEventType =
    MethodType<TObject*, int32_t&, int32_t&, bool&>("TCanResizeEvent", kCanResizeParams);
constinit const TypeDescriptor kTConstrainedResizeEventType =
    MethodType<TObject*, int32_t&, int32_t&, int32_t&, int32_t&>("TConstrainedResizeEvent",
                                                                 kConstrainedResizeParams);
constinit const TypeDescriptor kTMouseActivateEventType =
    MethodType<TObject*, TMouseButton, TShiftState, int32_t, int32_t, int32_t, TMouseActivate&>(
        "TMouseActivateEvent", kMouseActivateParams);
constinit const TypeDescriptor kTSizeConstraintsType =
    ClassType("TSizeConstraints", &TSizeConstraints::StaticMeta);
constinit const TypeDescriptor kTMarginsType = ClassType("TMargins", &TMargins::StaticMeta);
constinit const TypeDescriptor kTPaddingType = ClassType("TPadding", &TPadding::StaticMeta);
constinit const TypeDescriptor kTConstraintSizeType =
    IntegerType("TConstraintSize", osSLong, 0, INT32_MAX);
constinit const TypeDescriptor kTMarginSizeType = IntegerType("TMarginSize", osSLong, 0, INT32_MAX);
