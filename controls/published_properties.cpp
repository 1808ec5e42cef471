#include "controls/published_properties.h"

constinit const TypeDescriptor kTCaptionType = SimpleType(pkLongString, "TCaption");
constinit const TypeDescriptor kTTabOrderType = IntegerType("TTabOrder", osSWord, -1, 32767);
constinit const TypeDescriptor kTWinControlType =
    ClassType("TWinControl", &TWinControl::StaticMeta);
