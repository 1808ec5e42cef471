#pragma once
// Fonts: attributes shared through the font cache; the native font is made on
// first use and deleted when the last font with those attributes goes.
#include <cstdint>
#include <string>

#include "graphics/colors.h"
#include "graphics/graphics_object.h"

using TFontCharset = uint8_t;

// Published types of font properties.
extern const TypeDescriptor kTFontCharsetType;  // unsigned 8-bit integer
extern const TypeDescriptor kTFontPitchType;
extern const TypeDescriptor kTFontStyleType;
extern const TypeDescriptor kTFontStylesType;  // set of TFontStyle in 8 bits
extern const TypeDescriptor kTFontNameType;
extern const TypeDescriptor kTFontType;  // class-typed properties holding a TFont

enum TFontPitch : uint8_t { fpDefault, fpVariable, fpFixed };
enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
// A set of TFontStyle in one byte: bit n is style n.
using TFontStyles = uint8_t;
constexpr TFontStyles StyleBit(TFontStyle s) { return static_cast<TFontStyles>(1u << s); }

constexpr int kFontNameMax = 31;

// The font cache key. Always built from a zeroed record and copied as bytes, so
// padding is zero and equal attributes compare equal byte for byte.
struct FontAttributes {
  HFONT handle;  // zero except when a font adopts an existing native font
  int32_t height;
  int32_t orientation;
  TFontPitch pitch;
  TFontStyles style;
  TFontCharset charset;
  unsigned char name[1 + kFontNameMax];  // length byte, then the characters

  std::string Name() const { return std::string(reinterpret_cast<const char*>(name + 1), name[0]); }
  // Zeroes the whole name area, then stores at most 31 characters.
  void SetName(std::string_view text);
};
#ifdef _WIN32
static_assert(sizeof(FontAttributes) == 48, "font key length");
#endif

// Defaults for new fonts; Height and Name are set by the module start-up.
extern FontAttributes DefaultFontAttributes;
// LOGPIXELSY of the screen, read at start-up.
extern int DisplayPixelsPerInch;

class TFont : public TGraphicsObject {
 public:
  TFont();
  ~TFont() override;

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  void Assign(const TPersistent* source) override;

  // The native font, created on first request; 0 when creation fails.
  HFONT Handle();
  // Takes over an existing native font: the attributes are read back from it and
  // the new record owns (and eventually deletes) it.
  void SetHandle(HFONT handle);

  int32_t Height() const { return Attr().height; }
  void SetHeight(int32_t value);
  int32_t Size() const;
  void SetSize(int32_t points);
  std::string Name() const { return Attr().Name(); }
  void SetName(const std::string& value);
  TFontStyles Style() const { return Attr().style; }
  void SetStyle(TFontStyles value);
  TFontPitch Pitch() const { return Attr().pitch; }
  void SetPitch(TFontPitch value);
  TFontCharset Charset() const { return Attr().charset; }
  void SetCharset(TFontCharset value);
  int32_t Orientation() const { return Attr().orientation; }
  void SetOrientation(int32_t value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int value) { pixelsPerInch_ = value; }

 private:
  const FontAttributes& Attr() const { return Attributes<FontAttributes>(); }
  template <typename Edit>
  void Change(Edit edit);
  friend struct FontMetadata;

  TColor color_ = clWindowText;
  int pixelsPerInch_ = 0;
};

// The attributes of an existing native font, as a key that owns that handle.
FontAttributes AttributesFromHandle(HFONT handle);
// The LOGFONT a font record asks the platform for.
LOGFONTA LogFontOf(const FontAttributes& attributes);
// True on the Windows 9x family (platform id 1).
bool IsWin9xPlatform();
// tmCharSet of the stock system font on the screen; DEFAULT_CHARSET on failure.
TFontCharset ScreenDefaultCharset();
