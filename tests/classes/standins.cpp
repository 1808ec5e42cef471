#include "tests/classes/standins.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>

#include "classes/filer.h"
#include "classes/ident_maps.h"
#include "classes/metadata_builder.h"
#include "classes/reader.h"
#include "classes/reader_fixups.h"
#include "classes/standard_types.h"
#include "classes/streams.h"

namespace standins {

namespace {

constexpr std::string_view kBorderStyleNames[] = {"bsNone",   "bsSingle",     "bsSizeable",
                                                  "bsDialog", "bsToolWindow", "bsSizeToolWin"};
constexpr std::string_view kPositionNames[] = {
    "poDesigned",     "poDefault",       "poDefaultPosOnly", "poDefaultSizeOnly",
    "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"};
constexpr std::string_view kAlignNames[] = {"alNone",  "alTop",    "alBottom", "alLeft",
                                            "alRight", "alClient", "alCustom"};
constexpr std::string_view kBevelCutNames[] = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};
constexpr std::string_view kFontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

std::vector<TForm*>& LiveForms() {
  static std::vector<TForm*> forms;
  return forms;
}

TComponent* FindLiveForm(std::string_view name) {
  for (TForm* form : LiveForms()) {
    if (SameIdent(form->Name(), name)) return form;
  }
  return nullptr;
}

}  // namespace

constinit const TypeDescriptor kColorType = IntegerType("TColor", osSLong, INT32_MIN, INT32_MAX);
constinit const TypeDescriptor kCursorType = IntegerType("TCursor", osSWord, -32768, 32767);
constinit const TypeDescriptor kFontCharsetType = IntegerType("TFontCharset", osUByte, 0, 255);
constinit const TypeDescriptor kTabOrderType = IntegerType("TTabOrder", osSWord, -1, 32767);
constinit const TypeDescriptor kBorderStyleType = EnumType("TFormBorderStyle", kBorderStyleNames);
constinit const TypeDescriptor kPositionType = EnumType("TPosition", kPositionNames);
constinit const TypeDescriptor kAlignType = EnumType("TAlign", kAlignNames);
constinit const TypeDescriptor kBevelCutType = EnumType("TBevelCut", kBevelCutNames);
constinit const TypeDescriptor kFontStyleType = EnumType("TFontStyle", kFontStyleNames);
constinit const TypeDescriptor kFontStylesType = SetType("TFontStyles", kFontStyleType, osUByte);
constinit const TypeDescriptor kCaptionType = SimpleType(pkLongString, "TCaption");
constinit const TypeDescriptor kFontNameType = SimpleType(pkLongString, "TFontName");
constinit const TypeDescriptor kSmallNumberType = IntegerType("TSmallNumber", osUByte, 0, 63);
constinit const TypeDescriptor kNumberSetType = SetType("TNumbers", kSmallNumberType, osULong);
constinit const TypeDescriptor kName20Type = ShortStringType("TName20", 20);
const TypeDescriptor kComponentRefType = ClassType("TComponent", &TComponent::StaticMeta);
const TypeDescriptor kItemsType = ClassType("TItems", &TItems::StaticMeta);
const TypeDescriptor kFontType = ClassType("TFont", &TFont::StaticMeta);
const TypeDescriptor kPictureType = ClassType("TPicture", &TPicture::StaticMeta);

void EnsureRegistered() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterIdentMap(&kColorType, IdentToColor, ColorToIdent);
    RegisterIdentMap(&kFontCharsetType, IdentToCharset, CharsetToIdent);
    RegisterIdentMap(&kCursorType, IdentToCursor, CursorToIdent);
    RegisterFindGlobalComponentProc(&FindLiveForm);
  });
}

std::vector<std::string>& LoadLog() {
  static std::vector<std::string> log;
  return log;
}

std::function<void(TControl*)>& AfterFinishLoading() {
  static std::function<void(TControl*)> hook;
  return hook;
}

// --- TFont ------------------------------------------------------------------------

const ClassMetadata& TFont::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TFont>("TFont", &TPersistent::StaticMeta(), "graphics")
          .Property("Charset", kFontCharsetType, ByMethod(&TFont::GetCharset),
                    ByMethod(&TFont::SetCharset))
          .Property("Color", kColorType, ByField(&TFont::color), ByMethod(&TFont::SetColor))
          .Property("Height", kIntegerType, ByMethod(&TFont::GetHeight),
                    ByMethod(&TFont::SetHeight))
          .Property("Name", kFontNameType, ByMethod(&TFont::GetName), ByMethod(&TFont::SetName))
          .Property("Style", kFontStylesType, ByMethod(&TFont::GetStyle),
                    ByMethod(&TFont::SetStyle))
          .Build();
  return meta;
}

void TFont::AssignTo(TPersistent& dest) const {
  auto* font = dynamic_cast<TFont*>(&dest);
  if (font == nullptr) return TPersistent::AssignTo(dest);
  font->charset = charset;
  font->color = color;
  font->height = height;
  font->name = name;
  font->style = style;
}

// --- TPicture -----------------------------------------------------------------------

const ClassMetadata& TPicture::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TPicture>("TPicture", &TPersistent::StaticMeta(), "graphics").Build();
  return meta;
}

void TPicture::DeclareExtraProperties(TFiler& filer) {
  filer.DefineBlob(
      "Data",
      [this](TStream& stream) {
        ++readCount;
        blockSize = stream.Size();
        auto* memory = dynamic_cast<TCustomMemoryStream*>(&stream);
        const auto* bytes = memory ? static_cast<const uint8_t*>(memory->Memory()) : nullptr;
        const int64_t size = stream.Size();
        if (bytes == nullptr || size < 1 || bytes[0] + 1 > size) return;
        graphicClass.assign(reinterpret_cast<const char*>(bytes + 1), bytes[0]);
        int64_t at = 1 + bytes[0];
        if (at + 4 > size) return;
        std::memcpy(&payloadCount, bytes + at, 4);
        at += 4;
        if (!hashPayload) return;
        uint32_t hash = 2166136261u;
        for (int64_t i = at; i < size; ++i) hash = (hash ^ bytes[i]) * 16777619u;
        payloadHash = hash;
      },
      nullptr, false);
}

void TPicture::AssignTo(TPersistent& dest) const {
  auto* picture = dynamic_cast<TPicture*>(&dest);
  if (picture == nullptr) return TPersistent::AssignTo(dest);
  picture->graphicClass = graphicClass;
  picture->blockSize = blockSize;
  picture->payloadCount = payloadCount;
  picture->payloadHash = payloadHash;
}

// --- controls ---------------------------------------------------------------------

TControl::~TControl() { SetParent(nullptr); }

const ClassMetadata& TControl::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TControl>("TControl", &TComponent::StaticMeta(), "controls")
          .Property("Left", kIntegerType, ByField(&TControl::left), ByMethod(&TControl::SetLeft))
          .Property("Top", kIntegerType, ByField(&TControl::top), ByMethod(&TControl::SetTop))
          .Property("Width", kIntegerType, ByField(&TControl::width), ByMethod(&TControl::SetWidth))
          .Property("Height", kIntegerType, ByField(&TControl::height),
                    ByMethod(&TControl::SetHeight))
          .Property("Cursor", kCursorType, ByField(&TControl::cursor),
                    ByMethod(&TControl::SetCursor))
          .Build();
  return meta;
}

void TControl::FinishLoading() {
  LoadLog().push_back(Name());
  TComponent::FinishLoading();
  if (AfterFinishLoading()) AfterFinishLoading()(this);
}

void TControl::DeclareExtraProperties(TFiler& filer) {
  TComponent::DeclareExtraProperties(filer);
  filer.DefineValue(
      "ExplicitLeft", [this](TReader& r) { explicitLeft = r.ReadInteger(); }, nullptr, false);
  filer.DefineValue(
      "ExplicitTop", [this](TReader& r) { explicitTop = r.ReadInteger(); }, nullptr, false);
  filer.DefineValue(
      "ExplicitWidth", [this](TReader& r) { explicitWidth = r.ReadInteger(); }, nullptr, false);
  filer.DefineValue(
      "ExplicitHeight", [this](TReader& r) { explicitHeight = r.ReadInteger(); }, nullptr, false);
}

void TControl::AttachToParent(TComponent* parent) {
  if (auto* windowed = dynamic_cast<TWinControl*>(parent)) SetParent(windowed);
}

TComponent* TControl::ParentOfComponent() const { return parent_; }

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent_ != nullptr) std::erase(parent_->children, this);
  parent_ = parent;
  if (parent_ != nullptr) parent_->children.push_back(this);
}

TWinControl::~TWinControl() {
  for (TControl* child : children) child->parent_ = nullptr;
}

const ClassMetadata& TWinControl::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TWinControl>("TWinControl", &TControl::StaticMeta(), "controls").Build();
  return meta;
}

void TWinControl::PlaceChildAt(TComponent* child, int position) {
  auto it = std::find(children.begin(), children.end(), child);
  if (it == children.end()) return;
  TControl* control = *it;
  children.erase(it);
  position = std::clamp(position, 0, static_cast<int>(children.size()));
  children.insert(children.begin() + position, control);
}

TImage::TImage(TComponent* owner) : TControl(owner), picture(new TPicture) {}
TImage::~TImage() { delete picture; }

const ClassMetadata& TImage::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TImage>("TImage", &TControl::StaticMeta(), "controls")
          .Constructor()
          .Property("Align", kAlignType, ByField(&TImage::align), ByMethod(&TImage::SetAlign))
          .Property("Picture", kPictureType, ByField(&TImage::picture),
                    ByMethod(&TImage::SetPicture))
          .Property("Stretch", kBooleanType, ByField(&TImage::stretch),
                    ByMethod(&TImage::SetStretch))
          .Build();
  return meta;
}

TLabel::TLabel(TComponent* owner) : TControl(owner), font(new TFont) {}
TLabel::~TLabel() { delete font; }

const ClassMetadata& TLabel::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TLabel>("TLabel", &TControl::StaticMeta(), "controls")
          .Constructor()
          .Property("Caption", kCaptionType, ByMethod(&TLabel::GetCaption),
                    ByMethod(&TLabel::SetCaption))
          .Property("Font", kFontType, ByField(&TLabel::font), ByMethod(&TLabel::SetFont))
          .Property("ParentFont", kBooleanType, ByField(&TLabel::parentFont),
                    ByMethod(&TLabel::SetParentFont))
          .Property("Transparent", kBooleanType, ByMethod(&TLabel::GetTransparent),
                    ByMethod(&TLabel::SetTransparent))
          .Property("OnClick", kTNotifyEventType, ByField(&TLabel::onClick),
                    ByField(&TLabel::onClick))
          .Build();
  return meta;
}

const ClassMetadata& TPanel::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TPanel>("TPanel", &TWinControl::StaticMeta(), "controls")
          .Constructor()
          .Property("Align", kAlignType, ByField(&TPanel::align), ByMethod(&TPanel::SetAlign))
          .Property("BevelOuter", kBevelCutType, ByField(&TPanel::bevelOuter),
                    ByMethod(&TPanel::SetBevelOuter))
          .Property("Color", kColorType, ByField(&TPanel::color), ByMethod(&TPanel::SetColor))
          .Property("TabOrder", kTabOrderType, ByMethod(&TPanel::GetTabOrder),
                    ByMethod(&TPanel::SetTabOrder))
          .Build();
  return meta;
}

// --- forms ------------------------------------------------------------------------

TForm::TForm(TComponent* owner) : TWinControl(owner), font(new TFont) {
  LiveForms().push_back(this);
}

TForm::~TForm() {
  std::erase(LiveForms(), this);
  delete font;
}

const ClassMetadata& TForm::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TForm>("TForm", &TWinControl::StaticMeta(), "forms")
          .Constructor()
          .Property("Left", kIntegerType, ByMethod(&TForm::GetLeft), ByMethod(&TForm::SetLeft))
          .Property("Top", kIntegerType, ByMethod(&TForm::GetTop), ByMethod(&TForm::SetTop))
          .Property("BorderStyle", kBorderStyleType, ByField(&TForm::borderStyle),
                    ByMethod(&TForm::SetBorderStyle))
          .Property("Caption", kCaptionType, ByMethod(&TForm::GetCaption),
                    ByMethod(&TForm::SetCaption))
          .Property("ClientHeight", kIntegerType, ByMethod(&TForm::GetClientHeight),
                    ByMethod(&TForm::SetClientHeight))
          .Property("ClientWidth", kIntegerType, ByMethod(&TForm::GetClientWidth),
                    ByMethod(&TForm::SetClientWidth))
          .Property("Color", kColorType, ByField(&TForm::color), ByMethod(&TForm::SetColor))
          .Property("Font", kFontType, ByField(&TForm::font), ByMethod(&TForm::SetFont))
          .Property("OldCreateOrder", kBooleanType, ByField(&TForm::oldCreateOrder),
                    ByField(&TForm::oldCreateOrder))
          .Property("Position", kPositionType, ByField(&TForm::position),
                    ByMethod(&TForm::SetPosition))
          .Property("OnActivate", kTNotifyEventType, ByField(&TForm::onActivate),
                    ByField(&TForm::onActivate))
          .Property("PixelsPerInch", kIntegerType, ByMethod(&TForm::GetPixelsPerInch),
                    ByMethod(&TForm::SetPixelsPerInch))
          .NotStored()
          .Build();
  return meta;
}

void TForm::DeclareExtraProperties(TFiler& filer) {
  TControl::DeclareExtraProperties(filer);
  filer.DefineValue(
      "TextHeight", [this](TReader& r) { textHeight = r.ReadInteger(); }, nullptr, false);
}

const ClassMetadata& TForm1::StaticMeta() {
  static const ClassMetadata meta = ClassBuilder<TForm1>("TForm1", &TForm::StaticMeta(), "launcher")
                                        .Constructor()
                                        .Field<&TForm1::Panel1>("Panel1")
                                        .Field<&TForm1::Label1>("Label1")
                                        .Field<&TForm1::Label2>("Label2")
                                        .Field<&TForm1::Image1>("Image1")
                                        .Field<&TForm1::Label3>("Label3")
                                        .Field<&TForm1::Label4>("Label4")
                                        .Method<&TForm1::FormActivate>("FormActivate")
                                        .Method<&TForm1::Label2Click>("Label2Click")
                                        .Method<&TForm1::Label1Click>("Label1Click")
                                        .Method<&TForm1::Label3Click>("Label3Click")
                                        .Build();
  return meta;
}

const ClassMetadata& TForm2::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TForm2>("TForm2", &TForm1::StaticMeta(), "launcher").Constructor().Build();
  return meta;
}

// --- value kinds ---------------------------------------------------------------------

const ClassMetadata& TItem::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TItem>("TItem", &TPersistent::StaticMeta(), "tests")
          .Property("Value", kIntegerType, ByField(&TItem::value), ByMethod(&TItem::SetValue))
          .Property("Text", kStringType, ByField(&TItem::text), ByField(&TItem::text))
          .Build();
  return meta;
}

const ClassMetadata& TItems::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TItems>("TItems", &TPersistent::StaticMeta(), "tests").Build();
  return meta;
}

TKinds::TKinds(TComponent* owner) : TForm(owner), items(new TItems) {}
TKinds::~TKinds() { items->Free(); }

const ClassMetadata& TKinds::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TKinds>("TKinds", &TForm::StaticMeta(), "tests")
          .Constructor()
          .Property("Integer", kIntegerType, ByField(&TKinds::integer), ByField(&TKinds::integer))
          .Property("Int64", kInt64Type, ByField(&TKinds::int64), ByField(&TKinds::int64))
          .Property("Char", kCharType, ByField(&TKinds::ch), ByField(&TKinds::ch))
          .Property("WideChar", kWideCharType, ByField(&TKinds::wideCh), ByField(&TKinds::wideCh))
          .Property("Align", kAlignType, ByField(&TKinds::align), ByField(&TKinds::align))
          .Property("Extended", kExtendedType, ByField(&TKinds::extended),
                    ByField(&TKinds::extended))
          .Property("Single", kSingleType, ByField(&TKinds::single), ByField(&TKinds::single))
          .Property("Double", kDoubleType, ByField(&TKinds::dbl), ByField(&TKinds::dbl))
          .Property("Currency", kCurrencyType, ByField(&TKinds::currency),
                    ByField(&TKinds::currency))
          .Property("Comp", kCompType, ByField(&TKinds::comp), ByField(&TKinds::comp))
          .Property("Name20", kName20Type, ByField(&TKinds::name20), ByField(&TKinds::name20))
          .Property("Text", kStringType, ByField(&TKinds::text), ByField(&TKinds::text))
          .Property("Wide", kWideStringType, ByField(&TKinds::wide), ByField(&TKinds::wide))
          .Property("Numbers", kNumberSetType, ByField(&TKinds::numbers), ByField(&TKinds::numbers))
          .Property("Variant", kVariantType, ByField(&TKinds::variant), ByField(&TKinds::variant))
          .Property("Ref", kComponentRefType, ByField(&TKinds::ref), ByMethod(&TKinds::SetRef))
          .Property("Items", kItemsType, ByField(&TKinds::items), ByMethod(&TKinds::SetItems))
          .Property("ReadOnly", kIntegerType, ByMethod(&TKinds::GetReadOnly))
          .Property("OnEvent", kTNotifyEventType, ByField(&TKinds::onEvent),
                    ByField(&TKinds::onEvent))
          .Field<&TKinds::Label1>("Label1")
          .Field<&TKinds::Panel1>("Panel1")
          .Field<&TKinds::Image1>("Image1")
          .Method<&TKinds::Handler>("Handler")
          .Build();
  return meta;
}

}  // namespace standins
