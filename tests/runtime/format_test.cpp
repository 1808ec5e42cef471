#include "runtime/format.h"

#include <gtest/gtest.h>

#include <climits>

TEST(FormatText, IntegersWithWidthFlagsAndPrecision) {
  EXPECT_EQ(FormatText("[%5d][%-5d][%05d][%.3d]", {42, 42, -42, 7}), "[   42][42   ][-0042][007]");
  EXPECT_EQ(FormatText("%d %d", {INT_MIN, INT_MAX}), "-2147483648 2147483647");
  EXPECT_EQ(FormatText("%u", {4000000000u}), "4000000000");
  // The "0" flag gives way to "-", and to a precision.
  EXPECT_EQ(FormatText("[%-05d][%06.2d]", {3, 3}), "[3    ][    03]");
}

TEST(FormatText, HexAndNegativeValuesAsThirtyTwoBit) {
  EXPECT_EQ(FormatText("%.8X", {0xABCu}), "00000ABC");
  EXPECT_EQ(FormatText("%x %X", {255, 255}), "ff FF");
  EXPECT_EQ(FormatText("%x %u", {-1, -1}), "ffffffff 4294967295");
  // The atom names of the controls layer are built this way.
  EXPECT_EQ(FormatText("ControlOfs%.8X%.8X", {0x400000u, 0x1234u}), "ControlOfs0040000000001234");
}

TEST(FormatText, PointerIsUpperCaseHexOfPointerWidth) {
  const void* p = reinterpret_cast<const void*>(static_cast<uintptr_t>(0x4A2Bu));
  const std::string expected = std::string(2 * sizeof(void*) - 4, '0') + "4A2B";
  EXPECT_EQ(FormatText("%p", {p}), expected);
  EXPECT_EQ(FormatText("%p", {static_cast<const void*>(nullptr)}),
            std::string(2 * sizeof(void*), '0'));
}

TEST(FormatText, TextWidthPrecisionAndLiteralPercent) {
  EXPECT_EQ(FormatText("[%-10s][%10s][%.3s]", {"left", "right", "abcdef"}),
            "[left      ][     right][abc]");
  EXPECT_EQ(FormatText("100%% of %s", {std::string("it")}), "100% of it");
  EXPECT_EQ(FormatText("''%s'' is not a valid component name", {"1abc"}),
            "''1abc'' is not a valid component name");
}

TEST(FormatText, FloatingPoint) {
  EXPECT_EQ(FormatText("%f|%.2f|%g|%e", {1.5, 2.345, 0.25, 1000.0}),
            "1.500000|2.35|0.25|1.000000e+03");
  EXPECT_EQ(FormatText("%8.3f|%-8.1f|", {3.14159, 2.0}), "   3.142|2.0     |");
}

TEST(FormatText, NeverReadsPastTheArguments) {
  EXPECT_EQ(FormatText("a%sb%dc%pd", {}), "abcd");
  EXPECT_EQ(FormatText("%s and %s", {"one"}), "one and ");
  EXPECT_EQ(FormatText("%*d|", {}), "|");
  // Surplus arguments are ignored.
  EXPECT_EQ(FormatText("%d", {1, 2, 3}), "1");
}

TEST(FormatText, MismatchedKindsAreFormattedFromWhatIsThere) {
  EXPECT_EQ(FormatText("%s", {12}), "12");
  EXPECT_EQ(FormatText("%d", {"text"}), "text");
  EXPECT_EQ(FormatText("%d", {2.9}), "2");
  EXPECT_EQ(FormatText("%f", {2}), "2.000000");
}

TEST(FormatText, UnknownOrTruncatedDirectivesStayAsText) {
  EXPECT_EQ(FormatText("%q %", {1}), "%q %");
  EXPECT_EQ(FormatText("100%", {}), "100%");
  EXPECT_EQ(FormatText("%5", {1}), "%5");
  EXPECT_EQ(FormatText("[%*d]", {4, 7}), "[   7]");
  EXPECT_EQ(FormatText("%99999999999d", {1}).size(), 4096u);  // absurd widths are capped
}
