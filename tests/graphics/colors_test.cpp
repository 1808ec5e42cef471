#include "graphics/colors.h"

#include <gtest/gtest.h>

#include <string>

#include "classes/ident_maps.h"
#include "graphics/font.h"

namespace {

TEST(Colors, ResolveLooksUpOnlySystemColours) {
  EXPECT_EQ(ResolveColor(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ResolveColor(clWindowText), GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(ResolveColor(clNone), 0x1FFFFFFFu);
  EXPECT_EQ(ResolveColor(clDefault), 0x20000000u);
  EXPECT_EQ(ResolveColor(clRed), 0x0000FFu);
  EXPECT_EQ(clWindowText, static_cast<TColor>(0xFF000008u));
}

TEST(Colors, ConstantsAgreeWithTheIdentifierMap) {
  const std::pair<const char*, TColor> named[] = {
      {"clBlack", clBlack},         {"clMaroon", clMaroon},
      {"clSkyBlue", clSkyBlue},     {"clMedGray", clMedGray},
      {"clWhite", clWhite},         {"clBtnFace", clBtnFace},
      {"clMenuBar", clMenuBar},     {"clHotLight", clHotLight},
      {"clInfoBk", clInfoBk},       {"cl3DDkShadow", cl3DDkShadow},
      {"clScrollBar", clScrollBar}, {"clNone", clNone},
      {"clDefault", clDefault},     {"clGradientInactiveCaption", clGradientInactiveCaption}};
  for (const auto& [name, value] : named) {
    int32_t mapped = 0;
    ASSERT_TRUE(IdentToValue(name, mapped, ColorIdentMap)) << name;
    EXPECT_EQ(mapped, value) << name;
  }
}

TEST(Colors, StartUpRegistersColourAndCharsetMaps) {
  TIdentToInt toColor = FindIdentToValue(&kTColorType);
  ASSERT_NE(toColor, nullptr);
  int32_t v = -1;
  EXPECT_TRUE(toColor("clblack", v));
  EXPECT_EQ(v, 0);
  EXPECT_FALSE(toColor("clBlakc", v));

  TIdentToInt toCharset = FindIdentToValue(&kTFontCharsetType);
  ASSERT_NE(toCharset, nullptr);
  EXPECT_TRUE(toCharset("OEM_CHARSET", v));
  EXPECT_EQ(v, 255);
}

}  // namespace
