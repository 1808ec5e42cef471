#pragma once
// Value types shared by the control classes: alignment, anchors, behaviour and run-time
// flags, mouse buttons and shift states, cursor identifiers and the event shapes that
// carry them, with the published type descriptors of each.
#include <cstdint>
#include <vector>

#include "classes/events.h"
#include "classes/metadata.h"
#include "platform/win32.h"

class TControl;
class TWinControl;

// --- alignment and anchors ------------------------------------------------------

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

enum TAnchorKind : uint8_t { akLeft, akTop, akRight, akBottom };
// A set of TAnchorKind: bit n is kind n.
using TAnchors = uint8_t;
constexpr TAnchors AnchorBit(TAnchorKind k) { return static_cast<TAnchors>(1u << k); }
constexpr TAnchors kAnchorsLeftTop = AnchorBit(akLeft) | AnchorBit(akTop);
constexpr TAnchors kAnchorsAll =
    AnchorBit(akLeft) | AnchorBit(akTop) | AnchorBit(akRight) | AnchorBit(akBottom);
// The anchors an alignment implies (also applied to Anchors when Align is set).
TAnchors AnchorsOfAlign(TAlign align);

// What one placement of the arrange pass is about.
struct TAlignInfo {
  const std::vector<TControl*>* list = nullptr;  // the controls placed in this pass
  int controlIndex = 0;
  TAlign align = alNone;
  int32_t scratch = 0;
};

// --- per-class behaviour and run-time flags ---------------------------------------

enum TControlTrait : uint8_t {
  ctContainer,
  ctCaptureMouse,
  ctClickEvents,
  ctFramed,
  ctSetCaption,
  ctOpaque,
  ctDoubleClicks,
  ctNoDesignVisible,
  ctReplicatable,
  ctNoStdEvents,
  ctParentBackground,
  ctPannable,
  ctAlignWithMargins,
};
using TControlTraits = uint32_t;
constexpr TControlTraits TraitBit(TControlTrait t) { return 1u << t; }

using TControlStatus = uint16_t;
constexpr TControlStatus stLeftButtonDown = 0x0001;
constexpr TControlStatus stClicked = 0x0002;
constexpr TControlStatus stReadingState = 0x0004;
constexpr TControlStatus stAlignmentNeeded = 0x0008;
constexpr TControlStatus stPaintCopy = 0x0010;
constexpr TControlStatus stCustomPaint = 0x0020;
constexpr TControlStatus stDestroyingHandle = 0x0040;
constexpr TControlStatus stDesignerHide = 0x0080;
constexpr TControlStatus stPanning = 0x0100;
constexpr TControlStatus stRecreating = 0x0200;
constexpr TControlStatus stAligning = 0x0400;

// --- mouse ------------------------------------------------------------------------

enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
enum TShiftKind : uint8_t { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = uint8_t;
constexpr TShiftState ShiftBit(TShiftKind k) { return static_cast<TShiftState>(1u << k); }
// The shift state of a mouse message's key flags (WParam), with ssAlt from the keyboard.
TShiftState ShiftStateOfKeys(WPARAM keys);

enum TMouseActivate : uint8_t {
  maDefault,
  maActivate,
  maActivateAndEat,
  maNoActivate,
  maNoActivateAndEat
};

enum TDragMode : uint8_t { dmManual, dmAutomatic };

// Cursor identifiers (names registered with the identifier maps at start-up).
using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crDrag = -12;
constexpr TCursor crHandPoint = -21;

// --- event shapes -----------------------------------------------------------------

using TMouseEvent = TMethod<TObject*, TMouseButton, TShiftState, int32_t, int32_t>;
using TMouseMoveEvent = TMethod<TObject*, TShiftState, int32_t, int32_t>;
using TCanResizeEvent = TMethod<TObject*, int32_t&, int32_t&, bool&>;
using TConstrainedResizeEvent = TMethod<TObject*, int32_t&, int32_t&, int32_t&, int32_t&>;
using TMouseActivateEvent =
    TMethod<TObject*, TMouseButton, TShiftState, int32_t, int32_t, int32_t, TMouseActivate&>;
using TAlignPositionEvent = TMethod<TWinControl*, TControl*, int32_t&, int32_t&, int32_t&, int32_t&,
                                    RECT&, const TAlignInfo&>;
// The answer (go before?) is the last parameter.
using TAlignInsertBeforeEvent = TMethod<TWinControl*, TControl*, TControl*, bool&>;

// --- published type descriptors -----------------------------------------------------

extern const TypeDescriptor kTAlignType;
extern const TypeDescriptor kTAnchorKindType;
extern const TypeDescriptor kTAnchorsType;  // set of TAnchorKind in 8 bits
extern const TypeDescriptor kTCursorType;   // signed 16; identifiers "crDefault", ...
extern const TypeDescriptor kTDragModeType;
extern const TypeDescriptor kTMouseButtonType;
extern const TypeDescriptor kTShiftKindType;
extern const TypeDescriptor kTShiftStateType;
extern const TypeDescriptor kTMouseEventType;
extern const TypeDescriptor kTMouseMoveEventType;
extern const TypeDescriptor kTCanResizeEventType;
extern const TypeDescriptor kTConstrainedResizeEventType;
extern const TypeDescriptor kTMouseActivateEventType;
extern const TypeDescriptor kTSizeConstraintsType;
extern const TypeDescriptor kTMarginsType;
extern const TypeDescriptor kTPaddingType;
extern const TypeDescriptor kTConstraintSizeType;  // 0..MaxInt
extern const TypeDescriptor kTMarginSizeType;      // 0..MaxInt
