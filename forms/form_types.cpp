#include "forms/form_types.h"

namespace {
constexpr std::string_view kBorderStyleNames[] = {"bsNone",   "bsSingle",     "bsSizeable",
                                                  "bsDialog", "bsToolWindow", "bsSizeToolWin"};
constexpr std::string_view kBorderIconNames[] = {"biSystemMenu", "biMinimize", "biMaximize",
                                                 "biHelp"};
constexpr std::string_view kPositionNames[] = {
    "poDesigned",     "poDefault",       "poDefaultPosOnly", "poDefaultSizeOnly",
    "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"};
constexpr std::string_view kWindowStateNames[] = {"wsNormal", "wsMinimized", "wsMaximized"};
constexpr std::string_view kFormStyleNames[] = {"fsNormal", "fsMDIChild", "fsMDIForm",
                                                "fsStayOnTop"};
constexpr std::string_view kDefaultMonitorNames[] = {"dmDesktop", "dmPrimary", "dmMainForm",
                                                     "dmActiveForm"};
constexpr std::string_view kPopupModeNames[] = {"pmNone", "pmAuto", "pmExplicit"};
constexpr std::string_view kPrintScaleNames[] = {"poNone", "poProportional", "poPrintToFit"};
constexpr MethodParam kCloseParams[] = {{"Sender", "TObject"}, {"Action", "TCloseAction"}};
constexpr MethodParam kCloseQueryParams[] = {{"Sender", "TObject"}, {"CanClose", "Boolean"}};
}  // namespace

constinit const TypeDescriptor kTFormBorderStyleType =
    EnumType("TFormBorderStyle", kBorderStyleNames);
constinit const TypeDescriptor kTBorderIconType = EnumType("TBorderIcon", kBorderIconNames);
constinit const TypeDescriptor kTBorderIconsType =
    SetType("TBorderIcons", kTBorderIconType, osUByte);
constinit const TypeDescriptor kTPositionType = EnumType("TPosition", kPositionNames);
constinit const TypeDescriptor kTWindowStateType = EnumType("TWindowState", kWindowStateNames);
constinit const TypeDescriptor kTFormStyleType = EnumType("TFormStyle", kFormStyleNames);
constinit const TypeDescriptor kTDefaultMonitorType =
    EnumType("TDefaultMonitor", kDefaultMonitorNames);
constinit const TypeDescriptor kTPopupModeType = EnumType("TPopupMode", kPopupModeNames);
constinit const TypeDescriptor kTPrintScaleType = EnumType("TPrintScale", kPrintScaleNames);
constinit const TypeDescriptor kTCloseEventType =
    MethodType<TObject*, TCloseAction&>("TCloseEvent", kCloseParams);
constinit const TypeDescriptor kTCloseQueryEventType =
    MethodType<TObject*, bool&>("TCloseQueryEvent", kCloseQueryParams);
