#pragma once
// Enumerations of the label, panel and image properties, with their published types.
#include <cstdint>

#include "classes/metadata.h"
#include "platform/win32.h"

enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };
enum TVerticalAlignment : uint8_t { taAlignTop, taAlignBottom, taVerticalCenter };
enum TTextLayout : uint8_t { tlTop, tlCenter, tlBottom };
enum TEllipsisPosition : uint8_t { epNone, epPathEllipsis, epEndEllipsis, epWordEllipsis };
enum TBevelCut : uint8_t { bvNone, bvLowered, bvRaised, bvSpace };
enum TPanelBorderStyle : uint8_t { pbsNone, pbsSingle };  // published as bsNone, bsSingle

extern const TypeDescriptor kTAlignmentType;
extern const TypeDescriptor kTVerticalAlignmentType;
extern const TypeDescriptor kTTextLayoutType;
extern const TypeDescriptor kTEllipsisPositionType;
extern const TypeDescriptor kTBevelCutType;
extern const TypeDescriptor kTBevelWidthType;   // 1..MaxInt
extern const TypeDescriptor kTBorderWidthType;  // 0..MaxInt
extern const TypeDescriptor kTPanelBorderStyleType;

// The DrawTextA flag of each alignment value.
constexpr UINT kAlignmentFlags[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
constexpr UINT kVerticalAlignmentFlags[] = {DT_TOP, DT_BOTTOM, DT_VCENTER};
constexpr UINT kEllipsisFlags[] = {0, DT_PATH_ELLIPSIS, DT_END_ELLIPSIS, DT_WORD_ELLIPSIS};

// Right-to-left adjustment of DrawTextA flags shared by label and panel text.
constexpr UINT MirrorTextFlags(UINT flags, bool alignsRightToLeft, bool readsRightToLeft) {
  if (alignsRightToLeft) {
    if (flags & DT_RIGHT) {
      flags &= ~static_cast<UINT>(DT_RIGHT);
    } else if (!(flags & DT_CENTER)) {
      flags |= DT_RIGHT;
    }
  }
  if (readsRightToLeft) flags |= DT_RTLREADING;
  return flags;
}
