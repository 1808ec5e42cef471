#pragma once
// The value types a form publishes: border styles, positions, window states, close
// actions and the rest, with the type descriptors the stream reader resolves them by.
#include <cstdint>

#include "classes/events.h"
#include "classes/metadata.h"
// TWindowState lives with the form link the application uses.
#include "forms/form_link.h"

enum TFormBorderStyle : uint8_t {
  bsNone,
  bsSingle,
  bsSizeable,
  bsDialog,
  bsToolWindow,
  bsSizeToolWin
};
enum TPosition : uint8_t {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
enum TCloseAction : uint8_t { caNone, caHide, caFree, caMinimize };
enum TDefaultMonitor : uint8_t { dmDesktop, dmPrimary, dmMainForm, dmActiveForm };
enum TFormStyle : uint8_t { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TBorderIcon : uint8_t { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = uint8_t;  // bit (1 << TBorderIcon)
constexpr TBorderIcons BorderIconBit(TBorderIcon icon) {
  return static_cast<TBorderIcons>(1u << icon);
}
enum TPopupMode : uint8_t { pmNone, pmAuto, pmExplicit };
enum TPrintScale : uint8_t { poNone, poProportional, poPrintToFit };

using TCloseEvent = TMethod<TObject*, TCloseAction&>;
using TCloseQueryEvent = TMethod<TObject*, bool&>;

extern const TypeDescriptor kTFormBorderStyleType;
extern const TypeDescriptor kTBorderIconType;
extern const TypeDescriptor kTBorderIconsType;
extern const TypeDescriptor kTPositionType;
extern const TypeDescriptor kTWindowStateType;
extern const TypeDescriptor kTFormStyleType;
extern const TypeDescriptor kTDefaultMonitorType;
extern const TypeDescriptor kTPopupModeType;
extern const TypeDescriptor kTPrintScaleType;
extern const TypeDescriptor kTCloseEventType;
extern const TypeDescriptor kTCloseQueryEventType;
