#include "graphics/font.h"

#include <gtest/gtest.h>

#include <string>

#include "classes/metadata.h"
#include "graphics/pen.h"
#include "runtime/exception.h"
#include "tests/support/exception_message.h"

namespace {

// Counts OnChange calls of the object it is bound to.
class FontChangeCounter : public TObject {
 public:
  void Changed(TObject*) { ++count; }
  TNotifyEvent Event() { return TNotifyEvent::Bind<&FontChangeCounter::Changed>(this); }
  int count = 0;
};

TEST(Font, OnChangeFiresOnlyForRealChanges) {
  TFont f;
  FontChangeCounter counter;
  f.OnChange = counter.Event();

  f.SetHeight(f.Height());
  f.SetColor(f.Color());
  f.SetName(f.Name());
  f.SetStyle(f.Style());
  EXPECT_EQ(counter.count, 0);

  f.SetColor(clRed);
  EXPECT_EQ(counter.count, 1);
  f.SetHeight(-30);
  EXPECT_EQ(counter.count, 2);
  f.SetStyle(StyleBit(fsItalic) | StyleBit(fsUnderline));
  f.SetPitch(fpFixed);
  f.SetCharset(RUSSIAN_CHARSET);
  f.SetOrientation(900);
  EXPECT_EQ(counter.count, 6);
  EXPECT_EQ(f.Orientation(), 900);
  EXPECT_EQ(f.Charset(), RUSSIAN_CHARSET);
}

TEST(Font, StartUpMakesAnEightPointDialogFontTheDefault) {
  HDC screen = GetDC(nullptr);
  const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  ASSERT_GT(pixelsPerInch, 0);
  EXPECT_EQ(DisplayPixelsPerInch, pixelsPerInch);

  // The face is the one the system substitutes for its dialog font, when it names one.
  std::string face = "MS Sans Serif";
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes", 0, KEY_READ,
                    &key) == ERROR_SUCCESS) {
    char value[64] = {};
    DWORD size = sizeof value - 1;
    if (RegQueryValueExA(key, "MS Shell Dlg 2", nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                         &size) == ERROR_SUCCESS &&
        value[0])
      face = std::string(value).substr(0, 31);
    RegCloseKey(key);
  }

  TFont f;
  EXPECT_EQ(f.Name(), face);
  EXPECT_EQ(f.Height(), -MulDiv(8, pixelsPerInch, 72));
  EXPECT_EQ(f.Size(), 8);
  EXPECT_EQ(f.PixelsPerInch(), pixelsPerInch);
  EXPECT_EQ(f.Color(), clWindowText);
  EXPECT_EQ(f.Charset(), DEFAULT_CHARSET);
  EXPECT_EQ(f.Pitch(), fpDefault);
  EXPECT_EQ(f.Style(), 0);
  EXPECT_EQ(f.Orientation(), 0);
  f.SetHeight(-97);
  EXPECT_EQ(f.Resource()->handle, nullptr);  // nothing native until something draws
}

TEST(Font, NameRules) {
  TFont f;
  f.SetName("Tahoma");
  f.SetName("");
  EXPECT_EQ(f.Name(), "Tahoma");
  const std::string forty(40, 'x');
  f.SetName(forty);
  EXPECT_EQ(f.Name(), forty.substr(0, 31));
}

TEST(Font, SizeAndHeightGoThroughPixelsPerInch) {
  TFont f;
  f.SetPixelsPerInch(96);
  f.SetSize(8);
  EXPECT_EQ(f.Height(), -11);  // 10.67 rounds to the nearest integer
  f.SetHeight(-16);
  EXPECT_EQ(f.Size(), 12);
  f.SetPixelsPerInch(120);
  EXPECT_EQ(f.Size(), 10);  // 9.6 rounds up
}

TEST(Font, NativeRequestCarriesEveryAttribute) {
  FontAttributes a;
  std::memset(&a, 0, sizeof a);
  a.height = -16;
  a.orientation = 450;
  a.style = StyleBit(fsBold) | StyleBit(fsStrikeOut);
  a.charset = SYMBOL_CHARSET;
  a.pitch = fpVariable;
  a.SetName("Tahoma");
  LOGFONTA lf = LogFontOf(a);
  EXPECT_EQ(lf.lfHeight, -16);
  EXPECT_EQ(lf.lfWidth, 0);
  EXPECT_EQ(lf.lfEscapement, 450);
  EXPECT_EQ(lf.lfOrientation, 450);
  EXPECT_EQ(lf.lfWeight, 700);
  EXPECT_EQ(lf.lfItalic, 0);
  EXPECT_EQ(lf.lfUnderline, 0);
  EXPECT_EQ(lf.lfStrikeOut, 1);
  EXPECT_EQ(lf.lfCharSet, SYMBOL_CHARSET);
  EXPECT_EQ(lf.lfOutPrecision, 7);  // only outline fonts can be rotated
  EXPECT_EQ(lf.lfClipPrecision, 0);
  EXPECT_EQ(lf.lfQuality, 0);
  EXPECT_EQ(lf.lfPitchAndFamily, 2);
  EXPECT_STREQ(lf.lfFaceName, "Tahoma");

  a.orientation = 0;
  a.style = StyleBit(fsItalic) | StyleBit(fsUnderline);
  a.pitch = fpFixed;
  lf = LogFontOf(a);
  EXPECT_EQ(lf.lfOutPrecision, 0);
  EXPECT_EQ(lf.lfWeight, 400);
  EXPECT_EQ(lf.lfItalic, 1);
  EXPECT_EQ(lf.lfUnderline, 1);
  EXPECT_EQ(lf.lfPitchAndFamily, 1);
}

TEST(Font, DefaultNameAndCharsetComeFromTheDefaultFont) {
  FontAttributes a;
  std::memcpy(&a, &DefaultFontAttributes, sizeof a);
  a.SetName("dEfAuLt");
  a.charset = DEFAULT_CHARSET;
  EXPECT_EQ(std::string(LogFontOf(a).lfFaceName), DefaultFontAttributes.Name());
  EXPECT_EQ(LogFontOf(a).lfCharSet, DEFAULT_CHARSET);

  const TFontCharset saved = DefaultFontAttributes.charset;
  DefaultFontAttributes.charset = RUSSIAN_CHARSET;
  EXPECT_EQ(LogFontOf(a).lfCharSet, RUSSIAN_CHARSET);
  a.charset = GREEK_CHARSET;
  EXPECT_EQ(LogFontOf(a).lfCharSet, GREEK_CHARSET);
  DefaultFontAttributes.charset = saved;
}

TEST(Font, AdoptedHandleIsReadBackAndOwned) {
  HFONT h = CreateFontA(-20, 0, 0, 0, FW_HEAVY, TRUE, FALSE, TRUE, RUSSIAN_CHARSET, 0, 0, 0,
                        FIXED_PITCH | FF_MODERN, "Courier New");
  ASSERT_NE(h, nullptr);
  auto f = std::make_unique<TFont>();
  FontChangeCounter counter;
  f->OnChange = counter.Event();
  f->SetHandle(h);
  EXPECT_EQ(counter.count, 1);
  EXPECT_EQ(f->Handle(), h);
  EXPECT_EQ(f->Height(), -20);
  EXPECT_EQ(f->Style(), StyleBit(fsBold) | StyleBit(fsItalic) | StyleBit(fsStrikeOut));
  EXPECT_EQ(f->Charset(), RUSSIAN_CHARSET);
  EXPECT_EQ(f->Pitch(), fpFixed);
  EXPECT_EQ(f->Name(), "Courier New");

  // Any later change leaves the adopted font for a cache-made one.
  f->SetHeight(-21);
  EXPECT_NE(f->Handle(), h);
  EXPECT_EQ(GetObjectType(h), 0u);

  HPEN pen = CreatePen(PS_SOLID, 1, 0);
  EXPECT_EQ(AttributesFromHandle(reinterpret_cast<HFONT>(pen)).handle, nullptr);
  DeleteObject(pen);
  EXPECT_EQ(AttributesFromHandle(nullptr).handle, nullptr);
  EXPECT_EQ(AttributesFromHandle(nullptr).Name(), DefaultFontAttributes.Name());
}

TEST(Font, AssignCarriesPointSizeAcrossResolutions) {
  TFont source, dest;
  source.SetPixelsPerInch(96);
  source.SetName("Tahoma");
  source.SetHeight(-16);
  source.SetColor(clLime);
  dest.SetPixelsPerInch(120);
  dest.Assign(&source);
  EXPECT_EQ(dest.Name(), "Tahoma");
  EXPECT_EQ(dest.Color(), clLime);
  EXPECT_EQ(dest.Size(), 12);
  EXPECT_EQ(dest.Height(), -20);

  TFont same;
  same.SetPixelsPerInch(96);
  same.Assign(&source);
  EXPECT_EQ(same.Resource(), source.Resource());
}

TEST(Font, AssignFromAnotherKindFails) {
  TFont f;
  TPen p;
  EXPECT_EQ(MessageOf([&] { f.Assign(&p); }), "Cannot assign a TPen to a TFont");
}

}  // namespace

namespace {

TEST(FontMetadata, StreamedPropertiesGoThroughTheSetters) {
  TFont f;
  FontChangeCounter counter;
  f.OnChange = counter.Event();
  const ClassMetadata& meta = TFont::StaticMeta();

  const PropertyRecord* height = FindProperty(meta, "HEIGHT");
  ASSERT_NE(height, nullptr);
  StoreOrdinal(f, *height, -16);
  EXPECT_EQ(f.Height(), -16);
  EXPECT_EQ(FetchOrdinal(f, *height), -16);

  StoreOrdinal(f, *FindProperty(meta, "Color"), clYellow);
  EXPECT_EQ(f.Color(), clYellow);
  StoreString(f, *FindProperty(meta, "Name"), "Courier New");
  EXPECT_EQ(f.Name(), "Courier New");
  const PropertyRecord* style = FindProperty(meta, "Style");
  ASSERT_EQ(style->type->kind, pkSet);
  EXPECT_EQ(SetElementOrdinal(*style->type->elementType, "fsStrikeOut"), 3);
  StoreOrdinal(f, *style, 1 << SetElementOrdinal(*style->type->elementType, "fsBold"));
  EXPECT_EQ(f.Style(), StyleBit(fsBold));
  const PropertyRecord* charset = FindProperty(meta, "Charset");
  EXPECT_EQ(charset->type, &kTFontCharsetType);
  StoreOrdinal(f, *charset, RUSSIAN_CHARSET);
  EXPECT_EQ(f.Charset(), RUSSIAN_CHARSET);
  EXPECT_EQ(counter.count, 5);

  EXPECT_FALSE(IsStoredProperty(f, *FindProperty(meta, "Size")));
  EXPECT_EQ(EnumNameIndex(*FindProperty(meta, "Pitch")->type, "fpFixed"), 2);
  EXPECT_TRUE(meta.InheritsFrom(TPersistent::StaticMeta()));
}

}  // namespace
