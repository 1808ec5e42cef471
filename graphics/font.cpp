#include "graphics/font.h"

#include <algorithm>

#include "classes/metadata_builder.h"
#include "classes/standard_types.h"
#include "platform/gdi_handles.h"

FontAttributes DefaultFontAttributes = {
    nullptr,
    0,
    0,
    fpDefault,
    0,
    DEFAULT_CHARSET,
    {13, 'M', 'S', ' ', 'S', 'a', 'n', 's', ' ', 'S', 'e', 'r', 'i', 'f'}};
int DisplayPixelsPerInch = 96;

void FontAttributes::SetName(std::string_view text) {
  std::memset(name, 0, sizeof name);
  const size_t n = std::min<size_t>(text.size(), kFontNameMax);
  name[0] = static_cast<unsigned char>(n);
  std::memcpy(name + 1, text.data(), n);
}

TFont::TFont() {
  FontAttributes key;
  std::memcpy(&key, &DefaultFontAttributes, sizeof key);
  key.handle = nullptr;
  AttachInitialRecord(FontManager->AcquireRecord(&key));
  pixelsPerInch_ = DisplayPixelsPerInch;
}

TFont::~TFont() {
  // Objects that outlive the module have nothing left to give back.
  if (FontManager) FontManager->ReleaseRecord(DetachRecord());
}

template <typename Edit>
void TFont::Change(Edit edit) {
  OwnerLockGuard guard(OwnerLock());
  FontAttributes key = CurrentKey<FontAttributes>();
  key.handle = nullptr;
  edit(key);
  FontManager->ReplaceRecord(*this, &key);
}

void TFont::SetHeight(int32_t value) {
  Change([&](FontAttributes& k) { k.height = value; });
}

int32_t TFont::Size() const { return -MulDiv(Height(), 72, pixelsPerInch_); }

void TFont::SetSize(int32_t points) { SetHeight(-MulDiv(points, pixelsPerInch_, 72)); }

void TFont::SetName(const std::string& value) {
  if (value.empty()) return;
  Change([&](FontAttributes& k) { k.SetName(value); });
}

void TFont::SetStyle(TFontStyles value) {
  Change([&](FontAttributes& k) { k.style = value; });
}

void TFont::SetPitch(TFontPitch value) {
  Change([&](FontAttributes& k) { k.pitch = value; });
}

void TFont::SetCharset(TFontCharset value) {
  Change([&](FontAttributes& k) { k.charset = value; });
}

void TFont::SetOrientation(int32_t value) {
  Change([&](FontAttributes& k) { k.orientation = value; });
}

void TFont::SetColor(TColor value) {
  // Not part of the key, but still an attribute write: it waits for the owner.
  OwnerLockGuard guard(OwnerLock());
  if (value == color_) return;
  color_ = value;
  NotifyChange();
}

void TFont::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TFont*>(source);
  if (!other) {
    TGraphicsObject::Assign(source);
    return;
  }
  OwnerLockGuard mine(OwnerLock());
  OwnerLockGuard theirs(other->OwnerLock());
  FontManager->AdoptRecord(*this, other->Resource());
  SetColor(other->Color());
  // Carry the point size, not the pixel height, across resolutions.
  if (pixelsPerInch_ != other->pixelsPerInch_) SetSize(other->Size());
}

HFONT TFont::Handle() {
  SharedResource* r = Resource();
  if (!r->handle) {
    CacheLock guard(*FontManager);
    if (!r->handle) {
      LOGFONTA lf = LogFontOf(Attr());
      r->handle = CreateFontIndirectA(&lf);
    }
  }
  return static_cast<HFONT>(r->handle);
}

void TFont::SetHandle(HFONT handle) {
  OwnerLockGuard guard(OwnerLock());
  FontAttributes key = AttributesFromHandle(handle);
  FontManager->ReplaceRecord(*this, &key);
}

bool IsWin9xPlatform() {
  // The high bit of the version word is set only on the 9x family.
  static const bool win9x = (GetVersion() & 0x80000000u) != 0;
  return win9x;
}

TFontCharset ScreenDefaultCharset() {
  WindowDC screen(nullptr, GetDC(nullptr));
  HDC dc = screen.Get();
  if (!dc) return DEFAULT_CHARSET;
  TFontCharset result = DEFAULT_CHARSET;
  SelectGuard font(dc, GetStockObject(SYSTEM_FONT));
  TEXTMETRICA tm;
  if (font && GetTextMetricsA(dc, &tm)) result = tm.tmCharSet;
  return result;
}

namespace {

bool IsDefaultFaceName(const FontAttributes& a) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE,
                        reinterpret_cast<const char*>(a.name + 1), a.name[0], "Default",
                        -1) == CSTR_EQUAL;
}

}  // namespace

LOGFONTA LogFontOf(const FontAttributes& a) {
  LOGFONTA lf = {};
  lf.lfHeight = a.height;
  lf.lfWidth = 0;
  lf.lfEscapement = a.orientation;
  lf.lfOrientation = a.orientation;
  lf.lfWeight = (a.style & StyleBit(fsBold)) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (a.style & StyleBit(fsItalic)) ? 1 : 0;
  lf.lfUnderline = (a.style & StyleBit(fsUnderline)) ? 1 : 0;
  lf.lfStrikeOut = (a.style & StyleBit(fsStrikeOut)) ? 1 : 0;
  lf.lfCharSet = a.charset;
  if (a.charset == DEFAULT_CHARSET && DefaultFontAttributes.charset != DEFAULT_CHARSET)
    lf.lfCharSet = DefaultFontAttributes.charset;
  const FontAttributes& face = IsDefaultFaceName(a) ? DefaultFontAttributes : a;
  std::memcpy(lf.lfFaceName, face.name + 1, face.name[0]);
  lf.lfFaceName[face.name[0]] = 0;
  if (IsWin9xPlatform() && a.charset == DefaultFontAttributes.charset &&
      std::memcmp(a.name, DefaultFontAttributes.name, sizeof a.name) == 0) {
    static const TFontCharset screenCharset = ScreenDefaultCharset();
    if (screenCharset == SHIFTJIS_CHARSET) lf.lfCharSet = SHIFTJIS_CHARSET;
  }
  lf.lfOutPrecision = a.orientation != 0 ? OUT_TT_ONLY_PRECIS : OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  switch (a.pitch) {
    case fpVariable:
      lf.lfPitchAndFamily = VARIABLE_PITCH;
      break;
    case fpFixed:
      lf.lfPitchAndFamily = FIXED_PITCH;
      break;
    default:
      lf.lfPitchAndFamily = DEFAULT_PITCH;
  }
  return lf;
}

FontAttributes AttributesFromHandle(HFONT handle) {
  FontAttributes a;
  std::memcpy(&a, &DefaultFontAttributes, sizeof a);
  LOGFONTA lf;
  // Anything but a font (a pen would also answer GetObjectA) is not taken over,
  // so the record never deletes or selects it as a font.
  if (handle && GetObjectType(handle) == OBJ_FONT && GetObjectA(handle, sizeof lf, &lf)) {
    a.height = lf.lfHeight;
    a.orientation = lf.lfOrientation;
    a.charset = lf.lfCharSet;
    a.style = 0;
    if (lf.lfWeight >= FW_BOLD) a.style |= StyleBit(fsBold);
    if (lf.lfItalic == 1) a.style |= StyleBit(fsItalic);
    if (lf.lfUnderline == 1) a.style |= StyleBit(fsUnderline);
    if (lf.lfStrikeOut == 1) a.style |= StyleBit(fsStrikeOut);
    lf.lfFaceName[LF_FACESIZE - 1] = 0;
    a.SetName(lf.lfFaceName);
    switch (lf.lfPitchAndFamily & 0x0F) {
      case FIXED_PITCH:
        a.pitch = fpFixed;
        break;
      case VARIABLE_PITCH:
        a.pitch = fpVariable;
        break;
      default:
        a.pitch = fpDefault;
    }
    a.handle = handle;
  }
  return a;
}

namespace {
constexpr std::string_view kPitchNames[] = {"fpDefault", "fpVariable", "fpFixed"};
constexpr std::string_view kStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
}  // namespace

constinit const TypeDescriptor kTFontCharsetType = IntegerType("TFontCharset", osUByte, 0, 255);
constinit const TypeDescriptor kTFontPitchType = EnumType("TFontPitch", kPitchNames);
constinit const TypeDescriptor kTFontStyleType = EnumType("TFontStyle", kStyleNames);
constinit const TypeDescriptor kTFontStylesType = SetType("TFontStyles", kTFontStyleType, osUByte);
constinit const TypeDescriptor kTFontNameType = SimpleType(pkLongString, "TFontName");
constinit const TypeDescriptor kTFontType = ClassType("TFont", &TFont::StaticMeta);

const ClassMetadata& TFont::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TFont>("TFont", &TGraphicsObject::StaticMeta(), "graphics")
          .Property("Charset", kTFontCharsetType, ByMethod(&TFont::Charset),
                    ByMethod(&TFont::SetCharset))
          .Property("Color", kTColorType, ByField(&TFont::color_), ByMethod(&TFont::SetColor))
          .Property("Height", kIntegerType, ByMethod(&TFont::Height), ByMethod(&TFont::SetHeight))
          .Property("Name", kTFontNameType, ByMethod(&TFont::Name), ByMethod(&TFont::SetName))
          .Property("Orientation", kIntegerType, ByMethod(&TFont::Orientation),
                    ByMethod(&TFont::SetOrientation))
          .Default(0)
          .Property("Pitch", kTFontPitchType, ByMethod(&TFont::Pitch), ByMethod(&TFont::SetPitch))
          .Default(fpDefault)
          .Property("Size", kIntegerType, ByMethod(&TFont::Size), ByMethod(&TFont::SetSize))
          .NotStored()
          .Property("Style", kTFontStylesType, ByMethod(&TFont::Style), ByMethod(&TFont::SetStyle))
          .Build();
  return meta;
}
