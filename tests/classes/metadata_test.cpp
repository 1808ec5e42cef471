#include "classes/metadata.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "classes/component.h"
#include "classes/metadata_builder.h"
#include "classes/standard_types.h"
#include "runtime/exception.h"
#include "tests/support/exception_message.h"

namespace {

constexpr std::string_view kAlignNames[] = {"alNone",  "alTop",    "alBottom", "alLeft",
                                            "alRight", "alClient", "alCustom"};
constinit const TypeDescriptor kAlign = EnumType("TAlign", kAlignNames);
constinit const TypeDescriptor kTopToBottom =
    EnumSubrangeType("TTopToBottom", kAlign, osUByte, 0, 2);
constexpr std::string_view kStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
constinit const TypeDescriptor kFontStyle = EnumType("TFontStyle", kStyleNames);
constinit const TypeDescriptor kFontStyles = SetType("TFontStyles", kFontStyle, osUByte);
constinit const TypeDescriptor kCursor = IntegerType("TCursor", osSWord, -32768, 32767);
constinit const TypeDescriptor kCharset = IntegerType("TFontCharset", osUByte, 0, 255);
constinit const TypeDescriptor kSignedByte = IntegerType("ShortInt", osSByte, -128, 127);
constinit const TypeDescriptor kShort20 = ShortStringType("String20", 20);
constinit const TypeDescriptor kLongBool =
    EnumSubrangeType("LongBool", kBooleanType, osSLong, INT32_MIN, INT32_MAX);
constinit const TypeDescriptor kDigit = IntegerType("Digit", osUByte, 5, 9);
constinit const TypeDescriptor kFullRange = IntegerType("FullRange", osSLong, INT32_MIN, INT32_MAX);
constexpr TypeDescriptor UpperCharType() {
  TypeDescriptor t = CharType("UpperChar");
  t.minValue = 65;
  t.maxValue = 90;
  return t;
}
constinit const TypeDescriptor kUpperChar = UpperCharType();

class TPart : public TPersistent {
 public:
  static const ClassMetadata& StaticMeta() {
    static const ClassMetadata meta =
        ClassBuilder<TPart>("TPart", &TPersistent::StaticMeta(), "tests").Build();
    return meta;
  }
  const ClassMetadata& Meta() const override { return StaticMeta(); }
};
constinit const TypeDescriptor kPartType = ClassType("TPart", &TPart::StaticMeta);

class TOtherPart : public TPersistent {
 public:
  static const ClassMetadata& StaticMeta() {
    static const ClassMetadata meta =
        ClassBuilder<TOtherPart>("TOtherPart", &TPersistent::StaticMeta(), "tests").Build();
    return meta;
  }
  const ClassMetadata& Meta() const override { return StaticMeta(); }
};

// Publishes one property of each kind, with field and method accessors mixed.
class TSample : public TPersistent {
 public:
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  void SetCursor(int16_t v) {
    cursor = v;
    ++setterCalls;
  }
  int32_t GetSide(int32_t index) const { return sides[index]; }
  void SetSide(int32_t index, int32_t v) { sides[index] = v; }
  uint8_t GetAlign() const { return align; }
  virtual void SetAlign(uint8_t v) {
    align = v;
    ++setterCalls;
  }
  void SetOnClick(const TNotifyEvent& e) {
    onClick = e;
    ++setterCalls;
  }
  bool IsTagStored() const { return tag != 0; }
  void Clicked(TObject* sender) { clickedBy = sender; }
  void Other(TObject*) {}
  void TwoArgs(TObject*, int) {}

  uint8_t charset = 0;
  int16_t cursor = 0;
  int8_t signedByte = 0;
  uint16_t word = 0;
  int32_t tag = 0;
  int32_t sides[2] = {0, 0};
  uint8_t align = 0;
  bool visible = false;
  uint8_t styles = 0;
  char letter = 0;
  char16_t wide = 0;
  std::string shortText, longText;
  std::u16string wideText;
  float single = 0;
  double dbl = 0;
  long double ext = 0;
  int64_t comp = 0, currency = 0, big = 0;
  TPart* part = nullptr;
  TNotifyEvent onClick;
  TVariant variant;
  bool storedFlag = true;
  int setterCalls = 0;
  TObject* clickedBy = nullptr;
};

constinit const TypeDescriptor kWord = IntegerType("Word", osUWord, 0, 65535);

const ClassMetadata& TSample::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TSample>("TSample", &TPersistent::StaticMeta(), "tests")
          .Property("Charset", kCharset, ByField(&TSample::charset), ByField(&TSample::charset))
          .Property("Cursor", kCursor, ByField(&TSample::cursor), ByMethod(&TSample::SetCursor))
          .Property("SignedByte", kSignedByte, ByField(&TSample::signedByte),
                    ByField(&TSample::signedByte))
          .Property("Word", kWord, ByField(&TSample::word), ByField(&TSample::word))
          .Property("Tag", kIntegerType, ByField(&TSample::tag), ByField(&TSample::tag))
          .StoredBy(ByMethod(&TSample::IsTagStored))
          .Property("LeftSide", kIntegerType, ByMethod(&TSample::GetSide),
                    ByMethod(&TSample::SetSide))
          .Index(0)
          .Property("RightSide", kIntegerType, ByMethod(&TSample::GetSide),
                    ByMethod(&TSample::SetSide))
          .Index(1)
          .Property("Align", kAlign, ByMethod(&TSample::GetAlign), ByVirtual(&TSample::SetAlign))
          .Default(0)
          .Property("Visible", kBooleanType, ByField(&TSample::visible), ByField(&TSample::visible))
          .StoredBy(ByField(&TSample::storedFlag))
          .Property("Style", kFontStyles, ByField(&TSample::styles), ByField(&TSample::styles))
          .Property("Letter", kCharType, ByField(&TSample::letter), ByField(&TSample::letter))
          .Property("Wide", kWideCharType, ByField(&TSample::wide), ByField(&TSample::wide))
          .Property("ShortText", kShort20, ByField(&TSample::shortText),
                    ByField(&TSample::shortText))
          .Property("LongText", kStringType, ByField(&TSample::longText),
                    ByField(&TSample::longText))
          .NotStored()
          .Property("WideText", kWideStringType, ByField(&TSample::wideText),
                    ByField(&TSample::wideText))
          .Property("Single", kSingleType, ByField(&TSample::single), ByField(&TSample::single))
          .Property("Double", kDoubleType, ByField(&TSample::dbl), ByField(&TSample::dbl))
          .Property("Extended", kExtendedType, ByField(&TSample::ext), ByField(&TSample::ext))
          .Property("Comp", kCompType, ByField(&TSample::comp), ByField(&TSample::comp))
          .Property("Currency", kCurrencyType, ByField(&TSample::currency),
                    ByField(&TSample::currency))
          .Property("Big", kInt64Type, ByField(&TSample::big), ByField(&TSample::big))
          .Property("Part", kPartType, ByField(&TSample::part), ByField(&TSample::part))
          .Property("OnClick", kTNotifyEventType, ByField(&TSample::onClick),
                    ByMethod(&TSample::SetOnClick))
          .Property("Data", kVariantType, ByField(&TSample::variant), ByField(&TSample::variant))
          .Property("ReadOnly", kIntegerType, ByField(&TSample::tag))
          .Method<&TSample::Clicked>("Clicked")
          .Method<&TSample::TwoArgs>("TwoArgs")
          .Method<&TSample::Other>("Clicked")  // shadowed: the first match wins
          .Build();
  return meta;
}

// Redeclares Tag and adds a method, as a descendant class does.
class TDerivedSample : public TSample {
 public:
  static const ClassMetadata& StaticMeta() {
    static const ClassMetadata meta =
        ClassBuilder<TDerivedSample>("TDerivedSample", &TSample::StaticMeta(), "tests")
            .Property("Tag", kSmallIntType, ByField(&TDerivedSample::tag),
                      ByMethod(&TDerivedSample::SetTagTwice))
            .Method<&TDerivedSample::Other>("Extra")
            .Build();
    return meta;
  }
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  void SetTagTwice(int16_t v) { tag = v * 2; }
  void SetAlign(uint8_t v) override { align = static_cast<uint8_t>(v + 1); }
};

const PropertyRecord& Prop(const TObject& o, std::string_view name) {
  const PropertyRecord* prop = FindProperty(o.Meta(), name);
  if (!prop) throw std::logic_error("no property " + std::string(name));
  return *prop;
}

TEST(PropertyLookup, NamesMatchWithoutRegardToCaseAndRedeclarationsComeFirst) {
  TDerivedSample sample;
  EXPECT_EQ(FindProperty(sample.Meta(), "cHARSET"), &Prop(sample, "Charset"));
  EXPECT_EQ(FindProperty(sample.Meta(), "Cha"), nullptr);
  EXPECT_EQ(FindProperty(sample.Meta(), ""), nullptr);
  // Only bit 0x20 may differ: '@' (0x40) and '`' (0x60) match, '1' and 'q' do not.
  EXPECT_TRUE(SameIdent("A@", "a`"));
  EXPECT_FALSE(SameIdent("Tag1", "Tagq"));

  const PropertyRecord& tag = Prop(sample, "tag");
  EXPECT_EQ(tag.type, &kSmallIntType);
  StoreOrdinal(sample, tag, 21);
  EXPECT_EQ(sample.tag, 42);
}

TEST(PropertyAccess, OrdinalFieldsKeepTheirStorageWidth) {
  TSample s;
  StoreOrdinal(s, Prop(s, "Charset"), 300);
  EXPECT_EQ(s.charset, 44);
  EXPECT_EQ(FetchOrdinal(s, Prop(s, "Charset")), 44);

  StoreOrdinal(s, Prop(s, "Cursor"), -21);
  EXPECT_EQ(FetchOrdinal(s, Prop(s, "Cursor")), -21);
  EXPECT_EQ(s.setterCalls, 1);  // the setter method ran

  StoreOrdinal(s, Prop(s, "SignedByte"), 200);  // sign-extended on the way out
  EXPECT_EQ(FetchOrdinal(s, Prop(s, "SignedByte")), -56);
  StoreOrdinal(s, Prop(s, "Word"), -1);  // zero-extended
  EXPECT_EQ(FetchOrdinal(s, Prop(s, "Word")), 65535);

  StoreOrdinal(s, Prop(s, "Visible"), 256);  // a byte store keeps 0
  EXPECT_FALSE(s.visible);
  StoreOrdinal(s, Prop(s, "Visible"), 1);
  EXPECT_EQ(FetchOrdinal(s, Prop(s, "Visible")), 1);
  StoreOrdinal(s, Prop(s, "Letter"), 'A');
  StoreOrdinal(s, Prop(s, "Wide"), 0x0416);
  StoreOrdinal(s, Prop(s, "Style"), 0x9);
  EXPECT_EQ(s.letter, 'A');
  EXPECT_EQ(s.wide, u'\u0416');
  EXPECT_EQ(FetchOrdinal(s, Prop(s, "Style")), 9);
}

TEST(PropertyAccess, IndexAndVirtualSettersReachTheMethods) {
  TDerivedSample s;
  StoreOrdinal(s, Prop(s, "LeftSide"), 7);
  StoreOrdinal(s, Prop(s, "RightSide"), 9);
  EXPECT_EQ(s.sides[0], 7);
  EXPECT_EQ(s.sides[1], 9);
  EXPECT_EQ(FetchOrdinal(s, Prop(s, "RightSide")), 9);

  const PropertyRecord& align = Prop(s, "Align");
  EXPECT_EQ(align.setterKind, akVirtualMethod);
  EXPECT_EQ(align.getterKind, akStaticMethod);
  StoreOrdinal(s, align, 4);
  EXPECT_EQ(s.align, 5);  // the override ran
}

TEST(PropertyAccess, StringsAreCutOrConvertedByKind) {
  TSample s;
  std::string longText(300, 'x');
  longText[0] = 'a';
  StoreString(s, Prop(s, "ShortText"), longText);
  EXPECT_EQ(s.shortText, "a" + std::string(19, 'x'));
  StoreString(s, Prop(s, "LongText"), longText);
  EXPECT_EQ(s.longText, longText);
  StoreString(s, Prop(s, "WideText"), "Panel");
  EXPECT_EQ(s.wideText, u"Panel");
  StoreWideString(s, Prop(s, "LongText"), u"Label");
  EXPECT_EQ(s.longText, "Label");
  StoreWideString(s, Prop(s, "ShortText"), std::u16string(30, u'y'));  // cut on the way
  EXPECT_EQ(s.shortText, std::string(20, 'y'));
  StoreString(s, Prop(s, "Tag"), "5");  // not a string kind: nothing happens
  EXPECT_EQ(s.tag, 0);
}

TEST(PropertyAccess, FloatsTakeTheirKindsRepresentation) {
  TSample s;
  StoreFloat(s, Prop(s, "Single"), 0.1L);
  EXPECT_EQ(s.single, 0.1f);
  StoreFloat(s, Prop(s, "Double"), 0.1L);
  EXPECT_EQ(s.dbl, 0.1);
  long double third = 1.0L / 3.0L;
  StoreFloat(s, Prop(s, "Extended"), third);
  EXPECT_EQ(s.ext, third);
  EXPECT_EQ(FetchFloat(s, Prop(s, "Extended")), third);

  const Extended80 one = Extended80::FromLongDouble(1.0L);
  const uint8_t oneBytes[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  EXPECT_EQ(0, std::memcmp(one.bytes, oneBytes, 10));

  // Comp and currency round half to even.
  for (auto [in, out] : {std::pair{2.5L, 2LL}, {3.5L, 4LL}, {-2.5L, -2LL}, {2.4999L, 2LL}}) {
    StoreFloat(s, Prop(s, "Comp"), in);
    EXPECT_EQ(s.comp, out) << static_cast<double>(in);
  }
  StoreFloat(s, Prop(s, "Currency"), 12.5L);
  EXPECT_EQ(s.currency, 125000);
  StoreFloat(s, Prop(s, "Currency"), 0.12345678L);
  EXPECT_EQ(s.currency, 1235);
  EXPECT_EQ(FetchFloat(s, Prop(s, "Currency")), 0.1235L);

  // Values a 64-bit integer cannot hold are refused, not wrapped.
  EXPECT_EQ(MessageOf<EReadError>([&] { StoreFloat(s, Prop(s, "Comp"), 1e30L); }),
            "Invalid property value");
  EXPECT_EQ(s.currency, 1235);

  StoreInt64(s, Prop(s, "Big"), INT64_MIN);
  EXPECT_EQ(FetchInt64(s, Prop(s, "Big")), INT64_MIN);
}

TEST(PropertyAccess, MethodsBindByNameAndCompareByBothParts) {
  TSample s, t;
  const PropertyRecord& onClick = Prop(s, "OnClick");
  TMethodValue bound = BindPublishedMethod(s, "CLICKED");
  ASSERT_FALSE(bound.IsNull());
  EXPECT_EQ(bound, TNotifyEvent::Bind<&TSample::Clicked>(&s).Value());
  EXPECT_NE(bound, TNotifyEvent::Bind<&TSample::Clicked>(&t).Value());
  EXPECT_NE(bound, TNotifyEvent::Bind<&TSample::Other>(&s).Value());

  StoreMethod(s, onClick, bound);
  EXPECT_EQ(s.setterCalls, 1);
  EXPECT_EQ(FetchMethod(s, onClick), bound);
  s.onClick(&t);
  EXPECT_EQ(s.clickedBy, &t);

  StoreMethod(s, onClick, {});
  EXPECT_FALSE(s.onClick);
  s.onClick(&s);  // unset: nothing happens
  EXPECT_EQ(s.clickedBy, &t);

  // A handler with other parameters could not be called safely.
  TMethodValue wrong = BindPublishedMethod(s, "TwoArgs");
  EXPECT_EQ(MessageOf<EReadError>([&] { StoreMethod(s, onClick, wrong); }),
            "Invalid property value");
  EXPECT_FALSE(s.onClick);

  EXPECT_EQ(FindPublishedMethod(s.Meta(), "clicked")->code,
            static_cast<const MethodCode*>(&kMethodCode<&TSample::Clicked>));
  EXPECT_EQ(FindPublishedMethod(s.Meta(), "Extra"), nullptr);
  TDerivedSample d;
  EXPECT_NE(FindPublishedMethod(d.Meta(), "extra"), nullptr);
  EXPECT_NE(FindPublishedMethod(d.Meta(), "Clicked"), nullptr);  // inherited
}

TEST(MethodValues, ReferenceParametersReachTheHandler) {
  enum TCloseAction : uint8_t { caNone, caHide, caFree };
  struct TCloser : TObject {
    void Close(TObject*, TCloseAction& action) { action = caFree; }
  } closer;
  using TCloseEvent = TMethod<TObject*, TCloseAction&>;
  TCloseEvent onClose = TCloseEvent::Bind<&TCloser::Close>(&closer);
  TCloseAction action = caHide;
  onClose(nullptr, action);
  EXPECT_EQ(action, caFree);
  // A value of another shape is not taken.
  TSample sample;
  TMethodValue notify = TNotifyEvent::Bind<&TSample::Other>(&sample).Value();
  EXPECT_FALSE(TCloseEvent::Accepts(notify));
  EXPECT_FALSE(TCloseEvent::FromValue(notify));
}

TEST(PropertyAccess, ClassVariantAndReadOnlyProperties) {
  TSample s;
  TPart part;
  TOtherPart other;
  StoreObject(s, Prop(s, "Part"), &part);
  EXPECT_EQ(FetchObject(s, Prop(s, "Part")), &part);
  EXPECT_EQ(MessageOf<EConvertError>([&] { StoreObject(s, Prop(s, "Part"), &other); }),
            "Cannot assign a TOtherPart to a TPart");
  EXPECT_EQ(s.part, &part);
  StoreOrdinal(s, Prop(s, "Part"), 0);
  EXPECT_EQ(s.part, nullptr);

  StoreVariant(s, Prop(s, "Data"), TVariant{std::string("x")});
  EXPECT_EQ(FetchVariant(s, Prop(s, "Data")), TVariant{std::string("x")});

  EXPECT_EQ(Prop(s, "ReadOnly").setterKind, akNone);
  EXPECT_EQ(MessageOf<EReadError>([&] { StoreOrdinal(s, Prop(s, "ReadOnly"), 1); }),
            "Property is read-only");
}

TEST(PropertyAccess, StoredFlagsComeFromConstantsFieldsAndMethods) {
  TSample s;
  EXPECT_TRUE(IsStoredProperty(s, Prop(s, "Charset")));
  EXPECT_FALSE(IsStoredProperty(s, Prop(s, "LongText")));
  EXPECT_FALSE(IsStoredProperty(s, Prop(s, "Tag")));
  s.tag = 3;
  EXPECT_TRUE(IsStoredProperty(s, Prop(s, "Tag")));
  s.storedFlag = false;
  EXPECT_FALSE(IsStoredProperty(s, Prop(s, "Visible")));
  EXPECT_TRUE(Prop(s, "Align").hasDefault);
}

TEST(Enumerations, NamesOrdinalsAndSetElements) {
  EXPECT_EQ(EnumNameIndex(kAlign, "ALCLIENT"), 5);
  EXPECT_EQ(EnumNameIndex(kAlign, "alMiddle"), -1);
  EXPECT_EQ(EnumNameIndex(kAlign, ""), -1);
  EXPECT_EQ(EnumName(kAlign, 6), "alCustom");
  // A sub-range searches its base's names only up to its own maximum.
  EXPECT_EQ(EnumNameIndex(kTopToBottom, "ALBOTTOM"), 2);
  EXPECT_EQ(EnumNameIndex(kTopToBottom, "alLeft"), -1);
  EXPECT_EQ(SetElementOrdinal(kTopToBottom, "alClient"), -1);
  EXPECT_EQ(EnumOrdinalOf(kBooleanType, "true"), 1);

  EXPECT_EQ(EnumOrdinalOf(kIntegerType, "-12"), -12);
  EXPECT_EQ(EnumOrdinalOf(kIntegerType, "-2147483648"), INT32_MIN);
  EXPECT_EQ(MessageOf<EConvertError>([] { EnumOrdinalOf(kIntegerType, "12a"); }),
            "'12a' is not a valid integer value");
  EXPECT_THROW(EnumOrdinalOf(kIntegerType, "2147483648"), EConvertError);
  EXPECT_THROW(EnumOrdinalOf(kIntegerType, ""), EConvertError);

  // A negative minimum: Boolean-like names, else a number.
  EXPECT_EQ(EnumOrdinalOf(kLongBool, "TRUE"), -1);
  EXPECT_EQ(EnumOrdinalOf(kLongBool, "false"), 0);
  EXPECT_EQ(EnumOrdinalOf(kLongBool, "7"), 7);

  EXPECT_EQ(SetElementOrdinal(kFontStyle, "fsBold"), 0);
  EXPECT_EQ(SetElementOrdinal(kFontStyle, "fsStrikeOut"), 3);
  EXPECT_EQ(SetElementOrdinal(kFontStyle, "fsShadow"), -1);
  EXPECT_EQ(SetElementOrdinal(kDigit, "7"), 2);
  EXPECT_EQ(SetElementOrdinal(kUpperChar, "#67"), 2);
  // Numbered elements far from the minimum stay outside the set, whatever the width.
  EXPECT_EQ(SetElementOrdinal(kDigit, "-2147483648"), INT32_MIN);
  EXPECT_EQ(SetElementOrdinal(kFullRange, "2147483647"), INT32_MAX);
  EXPECT_EQ(SetElementOrdinal(kFullRange, "-2147483647"), 1);
}

// Published fields and the field class table.
class TPanelX : public TComponent {
 public:
  using TComponent::TComponent;
  static const ClassMetadata& StaticMeta() {
    static const ClassMetadata meta =
        ClassBuilder<TPanelX>("TPanelX", &TComponent::StaticMeta(), "tests").Build();
    return meta;
  }
  const ClassMetadata& Meta() const override { return StaticMeta(); }
};
class TLabelX : public TComponent {
 public:
  using TComponent::TComponent;
  static const ClassMetadata& StaticMeta() {
    static const ClassMetadata meta =
        ClassBuilder<TLabelX>("TLabelX", &TComponent::StaticMeta(), "tests").Build();
    return meta;
  }
  const ClassMetadata& Meta() const override { return StaticMeta(); }
};
class TFormX : public TComponent {
 public:
  using TComponent::TComponent;
  static const ClassMetadata& StaticMeta() {
    static const ClassMetadata meta =
        ClassBuilder<TFormX>("TFormX", &TComponent::StaticMeta(), "tests")
            .Field<&TFormX::Panel1>("Panel1")
            .Field<&TFormX::Label1>("Label1")
            .Field<&TFormX::Label2>("Label2")
            .Build();
    return meta;
  }
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  TPanelX* Panel1 = nullptr;
  TLabelX* Label1 = nullptr;
  TLabelX* Label2 = nullptr;
};

TEST(PublishedFields, FoundByNameWithTheirClassesListedOnce) {
  const ClassMetadata& meta = TFormX::StaticMeta();
  ASSERT_EQ(meta.fieldClasses.size(), 2u);
  EXPECT_EQ(&meta.fieldClasses[0](), &TPanelX::StaticMeta());
  EXPECT_EQ(meta.fields[2].classIndex, 1);

  EXPECT_EQ(FindFieldClass(meta, "tlabelx"), &TLabelX::StaticMeta());
  EXPECT_EQ(FindFieldClass(meta, "TComponent"), nullptr);

  TFormX form(nullptr);
  TLabelX label(nullptr);
  TPanelX panel(nullptr);
  PublishedFieldRef field = FindPublishedField(form, "LABEL2");
  ASSERT_TRUE(field);
  field.Set(&label);
  EXPECT_EQ(form.Label2, &label);
  EXPECT_EQ(field.Get(), &label);
  EXPECT_EQ(MessageOf<EConvertError>([&] { field.Set(&panel); }),
            "Cannot assign a TPanelX to a TLabelX");
  EXPECT_EQ(form.Label2, &label);
  EXPECT_FALSE(FindPublishedField(form, "Label"));
}

TEST(Builder, RefusesAccessorsThatDoNotFitTheType) {
  struct TBad : TPersistent {
    std::string text;
    int16_t small = 0;
    int32_t GetSide(int32_t) const { return 0; }
  };
  EXPECT_THROW(ClassBuilder<TBad>("TBad", nullptr, "tests")
                   .Property("Text", kIntegerType, ByField(&TBad::text))
                   .Build(),
               std::logic_error);
  // A 16-bit field cannot hold a 32-bit storage.
  EXPECT_THROW(ClassBuilder<TBad>("TBad", nullptr, "tests")
                   .Property("Small", kIntegerType, ByField(&TBad::small))
                   .Build(),
               std::logic_error);
  EXPECT_THROW(ClassBuilder<TBad>("TBad", nullptr, "tests")
                   .Property("Side", kIntegerType, ByMethod(&TBad::GetSide))
                   .Build(),
               std::logic_error);
}

}  // namespace
