#include "runtime/text.h"

#include <gtest/gtest.h>

#include "platform/win32.h"
#include "runtime/startup.h"

TEST(TextConversion, Utf8AndWideRoundTrip) {
  const std::string utf8 = "\xD0\x9B\xD0\xB0\xD1\x82\xD1\x83\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB9 A";
  const WideString wide = Utf8ToWide(utf8);
  EXPECT_EQ(wide, u"\u041B\u0430\u0442\u0443\u043D\u043D\u044B\u0439 A");
  EXPECT_EQ(WideToUtf8(wide), utf8);
  // Characters outside the basic plane travel as surrogate pairs.
  EXPECT_EQ(Utf8ToWide("\xF0\x9F\x94\xA6"), u"\U0001F526");
  EXPECT_EQ(WideToUtf8(u"\U0001F526"), "\xF0\x9F\x94\xA6");
}

TEST(TextConversion, EmptyAndEmbeddedNul) {
  EXPECT_EQ(AnsiToWide(""), u"");
  EXPECT_EQ(WideToAnsi(u""), "");
  EXPECT_EQ(Utf8ToAnsi(""), "");
  EXPECT_EQ(Utf8ToWide(std::string("a\0b", 3)), WideString(u"a\0b", 3));
}

TEST(TextConversion, AnsiUsesTheStartupCodePage) {
  RuntimeCoreStartup();
  EXPECT_EQ(StartupAnsiCodePage(), static_cast<unsigned>(GetACP()));
  EXPECT_EQ(AnsiCodePage(), StartupAnsiCodePage());
  if (AnsiCodePage() == 1252) {
    EXPECT_EQ(AnsiToWide("caf\xE9 \x80"), u"caf\u00E9 \u20AC");
    EXPECT_EQ(WideToAnsi(u"caf\u00E9 \u20AC"), "caf\xE9 \x80");
    EXPECT_EQ(Utf8ToAnsi("caf\xC3\xA9"), "caf\xE9");
    EXPECT_EQ(AnsiToUtf8("caf\xE9"), "caf\xC3\xA9");
    // Not representable: the code page's default character.
    EXPECT_EQ(Utf8ToAnsi("\xD0\x9B"), "?");
  } else if (AnsiCodePage() == 1251) {
    EXPECT_EQ(Utf8ToAnsi("\xD0\x9B"), "\xCB");
    EXPECT_EQ(AnsiToUtf8("\xCB"), "\xD0\x9B");
  }
}

TEST(RuntimeStartup, RecordsShowCommandAndMainThread) {
  RuntimeCoreStartup();
  STARTUPINFOA info{};
  info.cb = sizeof(info);
  GetStartupInfoA(&info);
  const int expected = (info.dwFlags & 1) != 0 ? info.wShowWindow : 10;
  EXPECT_EQ(StartupShowCommand(), expected);
  EXPECT_EQ(MainThreadId(), static_cast<unsigned long>(GetCurrentThreadId()));
}
