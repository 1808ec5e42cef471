#include "controls/view_types.h"

#include <limits>
#include <string_view>

namespace {
constexpr std::string_view kAlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};
constexpr std::string_view kVerticalAlignmentNames[] = {"taAlignTop", "taAlignBottom",
                                                        "taVerticalCenter"};
constexpr std::string_view kTextLayoutNames[] = {"tlTop", "tlCenter", "tlBottom"};
constexpr std::string_view kEllipsisNames[] = {"epNone", "epPathEllipsis", "epEndEllipsis",
                                               "epWordEllipsis"};
constexpr std::string_view kBevelCutNames[] = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};
constexpr std::string_view kBorderStyleNames[] = {"bsNone", "bsSingle"};
constexpr int32_t kMaxInt = std::numeric_limits<int32_t>::max();
}  // namespace

constinit const TypeDescriptor kTAlignmentType = EnumType("TAlignment", kAlignmentNames);
constinit const TypeDescriptor kTVerticalAlignmentType =
    EnumType("TVerticalAlignment", kVerticalAlignmentNames);
constinit const TypeDescriptor kTTextLayoutType = EnumType("TTextLayout", kTextLayoutNames);
constinit const TypeDescriptor kTEllipsisPositionType =
    EnumType("TEllipsisPosition", kEllipsisNames);
constinit const TypeDescriptor kTBevelCutType = EnumType("TBevelCut", kBevelCutNames);
constinit const TypeDescriptor kTBevelWidthType = IntegerType("TBevelWidth", osSLong, 1, kMaxInt);
constinit const TypeDescriptor kTBorderWidthType = IntegerType("TBorderWidth", osSLong, 0, kMaxInt);
constinit const TypeDescriptor kTPanelBorderStyleType = EnumType("TBorderStyle", kBorderStyleNames);
