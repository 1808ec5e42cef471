#pragma once
// Messages as controls see them: one record for native and internal messages alike, and
// the internal notification numbers with the records their parameters point to. The
// per-class handler tables that dispatch them live in controls/message_table.h.
#include <cstdint>

#include "platform/win32.h"

class TControl;

// Every message a control handles travels in this record; 32 bits each on the product.
struct MessageRecord {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// Signed client coordinates packed into a mouse message's LParam.
inline int32_t MessageX(LPARAM lparam) {
  return static_cast<int16_t>(static_cast<uint16_t>(lparam & 0xFFFF));
}
inline int32_t MessageY(LPARAM lparam) {
  return static_cast<int16_t>(static_cast<uint16_t>((lparam >> 16) & 0xFFFF));
}
inline LPARAM PackPoint(int32_t x, int32_t y) {
  return static_cast<LPARAM>((static_cast<uint32_t>(static_cast<uint16_t>(x))) |
                             (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16));
}

// --- internal notifications ------------------------------------------------------

constexpr UINT IM_BASE = 0xB000;
constexpr UINT IM_ACTIVATE = 0xB000;
constexpr UINT IM_DEACTIVATE = 0xB001;
constexpr UINT IM_DIALOG_CHAR = 0xB006;
constexpr UINT IM_FOCUS_CHANGED = 0xB007;
constexpr UINT IM_PARENT_FONT_CHANGED = 0xB008;
constexpr UINT IM_PARENT_COLOR_CHANGED = 0xB009;
constexpr UINT IM_HIT_TEST = 0xB00A;
constexpr UINT IM_VISIBLE_CHANGED = 0xB00B;
constexpr UINT IM_ENABLED_CHANGED = 0xB00C;
constexpr UINT IM_COLOR_CHANGED = 0xB00D;
constexpr UINT IM_FONT_CHANGED = 0xB00E;
constexpr UINT IM_CURSOR_CHANGED = 0xB00F;
constexpr UINT IM_PARENT_CTL3D_CHANGED = 0xB011;
constexpr UINT IM_TEXT_CHANGED = 0xB012;
constexpr UINT IM_MOUSE_ENTER = 0xB013;
constexpr UINT IM_MOUSE_LEAVE = 0xB014;
constexpr UINT IM_SHOWING_CHANGED = 0xB019;
constexpr UINT IM_ENTER = 0xB01A;
constexpr UINT IM_EXIT = 0xB01B;
constexpr UINT IM_ICON_CHANGED = 0xB01D;
constexpr UINT IM_RELEASE = 0xB021;
constexpr UINT IM_PARENT_SHOWHINT_CHANGED = 0xB023;
constexpr UINT IM_UI_ACTIVATE = 0xB029;
constexpr UINT IM_CONTROL_LIST_CHANGE = 0xB02C;
constexpr UINT IM_RECREATE_WINDOW = 0xB033;
constexpr UINT IM_INVALIDATE = 0xB034;
constexpr UINT IM_SYSFONT_CHANGED = 0xB035;
constexpr UINT IM_CONTROL_CHANGE = 0xB036;
constexpr UINT IM_BORDER_CHANGED = 0xB03B;
constexpr UINT IM_PARENT_BIDIMODE_CHANGED = 0xB03D;
// Sent to foreign child windows before their parent's window goes (WParam: recreating).
constexpr UINT IM_DROP_WINDOW = 0xB04A;
constexpr UINT IM_MOUSE_ACTIVATE = 0xB04B;
constexpr UINT IM_CONTROL_LIST_CHANGING = 0xB04C;
// Native notifications re-sent to the child they concern carry their number plus this.
constexpr UINT IM_REFLECT_BASE = 0xBC00;

// LParam of IM_CONTROL_LIST_CHANGING (WParam points to it).
struct ControlListItem {
  TControl* control;
  TControl* parent;
};

// LParam of IM_MOUSE_ACTIVATE.
struct MouseActivateRecord {
  int32_t x = 0, y = 0;  // in the receiving control's coordinates
  int32_t hitTest = 0;
  uint8_t button = 0;  // TMouseButton
  uint8_t shift = 0;   // TShiftState
};
