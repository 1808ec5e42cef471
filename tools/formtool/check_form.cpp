#include "tools/formtool/check_form.h"

#include <string_view>

#include "classes/metadata_builder.h"
#include "classes/standard_types.h"
#include "controls/published_properties.h"

namespace formtool {
namespace {

constexpr std::string_view kBorderStyleNames[] = {"bsNone",   "bsSingle",     "bsSizeable",
                                                  "bsDialog", "bsToolWindow", "bsSizeToolWin"};
constexpr std::string_view kPositionNames[] = {
    "poDesigned",     "poDefault",       "poDefaultPosOnly", "poDefaultSizeOnly",
    "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"};
constinit const TypeDescriptor kFormBorderStyleType =
    EnumType("TFormBorderStyle", kBorderStyleNames);
constinit const TypeDescriptor kPositionType = EnumType("TPosition", kPositionNames);

}  // namespace

const ClassMetadata& CheckForm::StaticMeta() {
  static const ClassMetadata meta = [] {
    ClassBuilder<CheckForm> b("TForm1", &TWinControl::StaticMeta(), "formtool");
    b.Constructor();
    b.Property("BorderStyle", kFormBorderStyleType, ByField(&CheckForm::borderStyle),
               ByField(&CheckForm::borderStyle));
    PublishControlProperties(b, {pcCaption});
    b.Property("ClientHeight", kIntegerType, ByMethod(&TControl::ClientHeight),
               ByMethod(&TControl::SetClientHeight));
    b.Property("ClientWidth", kIntegerType, ByMethod(&TControl::ClientWidth),
               ByMethod(&TControl::SetClientWidth));
    PublishControlProperties(b, {pcColor, pcFont});
    b.Property("OldCreateOrder", kBooleanType, ByField(&CheckForm::oldCreateOrder),
               ByField(&CheckForm::oldCreateOrder));
    b.Property("Position", kPositionType, ByField(&CheckForm::position),
               ByField(&CheckForm::position));
    b.Property("OnActivate", kTNotifyEventType, ByField(&CheckForm::OnActivate),
               ByField(&CheckForm::OnActivate));
    b.Property("PixelsPerInch", kIntegerType, ByField(&CheckForm::pixelsPerInch),
               ByField(&CheckForm::pixelsPerInch));
    b.Property("TextHeight", kIntegerType, ByField(&CheckForm::textHeight),
               ByField(&CheckForm::textHeight));
    b.Field<&CheckForm::Panel1>("Panel1")
        .Field<&CheckForm::Label1>("Label1")
        .Field<&CheckForm::Label2>("Label2")
        .Field<&CheckForm::Image1>("Image1")
        .Field<&CheckForm::Label3>("Label3")
        .Field<&CheckForm::Label4>("Label4")
        .Method<&CheckForm::FormActivate>("FormActivate")
        .Method<&CheckForm::Label2Click>("Label2Click")
        .Method<&CheckForm::Label1Click>("Label1Click")
        .Method<&CheckForm::Label3Click>("Label3Click");
    return b.Build();
  }();
  return meta;
}

}  // namespace formtool
