#include "classes/ident_maps.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

int32_t ValueOf(std::string_view ident, TIdentMap map) {
  int32_t value = 12345;
  EXPECT_TRUE(IdentToValue(ident, value, map)) << ident;
  return value;
}

TEST(IdentMaps, TablesHaveTheirSizeAndOrder) {
  ASSERT_EQ(ColorIdentMap.size(), 52u);
  ASSERT_EQ(CharsetIdentMap.size(), 18u);
  ASSERT_EQ(CursorIdentMap.size(), 22u);

  EXPECT_STREQ(ColorIdentMap[0].name, "clBlack");
  EXPECT_STREQ(ColorIdentMap[19].name, "clMedGray");
  EXPECT_EQ(ColorIdentMap[19].value, 0x00A4A0A0);
  EXPECT_STREQ(ColorIdentMap[20].name, "clActiveBorder");
  EXPECT_EQ(ColorIdentMap[20].value, static_cast<int32_t>(0xFF00000A));
  EXPECT_STREQ(ColorIdentMap[29].name, "clDefault");
  EXPECT_STREQ(ColorIdentMap[45].name, "clNone");
  EXPECT_EQ(ColorIdentMap[45].value, 0x1FFFFFFF);
  EXPECT_STREQ(ColorIdentMap[51].name, "clWindowText");
  EXPECT_EQ(ColorIdentMap[51].value, -16777208);

  EXPECT_STREQ(CharsetIdentMap[3].name, "MAC_CHARSET");
  EXPECT_EQ(CharsetIdentMap[3].value, 77);
  EXPECT_STREQ(CharsetIdentMap[17].name, "OEM_CHARSET");

  EXPECT_STREQ(CursorIdentMap[4].name, "crSizeNESW");
  EXPECT_STREQ(CursorIdentMap[21].name, "crSize");

  // Names are unique within each map (two cursor names share -22, names never repeat).
  for (TIdentMap map : {ColorIdentMap, CharsetIdentMap, CursorIdentMap}) {
    std::set<std::string> names;
    for (const auto& e : map) EXPECT_TRUE(names.insert(e.name).second) << e.name;
  }
}

TEST(IdentMaps, IdentifierToValueIgnoresAsciiCase) {
  EXPECT_EQ(ValueOf("clblack", ColorIdentMap), 0);
  EXPECT_EQ(ValueOf("CLYELLOW", ColorIdentMap), 65535);
  EXPECT_EQ(ValueOf("clGreen", ColorIdentMap), 32768);
  EXPECT_EQ(ValueOf("clBtnFace", ColorIdentMap), static_cast<int32_t>(0xFF00000F));
  EXPECT_EQ(ValueOf("DEFAULT_CHARSET", CharsetIdentMap), 1);
  EXPECT_EQ(ValueOf("oem_charset", CharsetIdentMap), 255);
  EXPECT_EQ(ValueOf("crHandPoint", CursorIdentMap), -21);

  int32_t value = 7;
  EXPECT_FALSE(IdentToValue("clBlak", value, ColorIdentMap));
  EXPECT_FALSE(IdentToValue("", value, ColorIdentMap));
  EXPECT_FALSE(IdentToValue("clBlack ", value, ColorIdentMap));
  EXPECT_EQ(value, 7);  // untouched when not found
}

TEST(IdentMaps, SharedCursorValueMapsBackToTheFirstName) {
  EXPECT_EQ(ValueOf("crSize", CursorIdentMap), -22);
  EXPECT_EQ(ValueOf("crSizeAll", CursorIdentMap), -22);
  std::string ident;
  ASSERT_TRUE(ValueToIdent(-22, ident, CursorIdentMap));
  EXPECT_EQ(ident, "crSizeAll");
  // No cursor is named -1 or -5.
  EXPECT_FALSE(ValueToIdent(-1, ident, CursorIdentMap));
  EXPECT_FALSE(ValueToIdent(-5, ident, CursorIdentMap));
  ASSERT_TRUE(ColorToIdent(-16777208, ident));
  EXPECT_EQ(ident, "clWindowText");
}

bool AlwaysSeven(std::string_view, int32_t& value) {
  value = 7;
  return true;
}

TEST(IdentMaps, RegistrationLookupIsByIdentityNewestFirst) {
  // Stand-ins for two distinct type descriptors; only their addresses matter.
  static int typeA, typeB;
  auto* a = reinterpret_cast<const TypeDescriptor*>(&typeA);
  auto* b = reinterpret_cast<const TypeDescriptor*>(&typeB);
  EXPECT_EQ(FindIdentToValue(a), nullptr);
  RegisterIdentMap(a, IdentToColor, ColorToIdent);
  EXPECT_EQ(FindIdentToValue(a), &IdentToColor);
  EXPECT_EQ(FindIdentToValue(b), nullptr);
  RegisterIdentMap(a, AlwaysSeven, nullptr);
  EXPECT_EQ(FindIdentToValue(a), &AlwaysSeven);
  EXPECT_EQ(FindValueToIdent(a), nullptr);
}

}  // namespace
