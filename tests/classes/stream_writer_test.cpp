#include "classes/stream_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "runtime/exception.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes B(std::initializer_list<int> values) {
  Bytes out;
  for (int v : values) out.push_back(static_cast<uint8_t>(v));
  return out;
}

Bytes Cat(Bytes head, const std::string& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

TEST(StreamWriterTest, IntegersTakeTheNarrowestWidth) {
  struct Case {
    int32_t value;
    Bytes bytes;
  };
  const Case cases[] = {
      {0, B({0x02, 0x00})},
      {-11, B({0x02, 0xF5})},
      {127, B({0x02, 0x7F})},
      {-128, B({0x02, 0x80})},
      {128, B({0x03, 0x80, 0x00})},
      {-129, B({0x03, 0x7F, 0xFF})},
      {531, B({0x03, 0x13, 0x02})},
      {846, B({0x03, 0x4E, 0x03})},
      {32767, B({0x03, 0xFF, 0x7F})},
      {-32768, B({0x03, 0x00, 0x80})},
      {32768, B({0x04, 0x00, 0x80, 0x00, 0x00})},
      {-32769, B({0x04, 0xFF, 0x7F, 0xFF, 0xFF})},
      {std::numeric_limits<int32_t>::min(), B({0x04, 0x00, 0x00, 0x00, 0x80})},
  };
  for (const Case& c : cases) {
    StreamWriter w;
    w.WriteInteger(c.value);
    EXPECT_EQ(w.Bytes(), c.bytes) << c.value;
  }
}

TEST(StreamWriterTest, ExplicitIntegerWidthsKeepTheirTag) {
  StreamWriter w;
  w.WriteInt16(5);
  w.WriteInt32(5);
  w.WriteInt64(-2);
  EXPECT_EQ(w.Bytes(), B({0x03, 0x05, 0x00, 0x04, 0x05, 0x00, 0x00, 0x00, 0x13, 0xFE, 0xFF, 0xFF,
                          0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(StreamWriterTest, StringChoiceByLengthAndEncoding) {
  {
    StreamWriter w;
    w.WriteUtf8Text(std::string(255, 'a'));
    ASSERT_EQ(w.Size(), 2u + 255u);
    EXPECT_EQ(w.Bytes()[0], svString);
    EXPECT_EQ(w.Bytes()[1], 255);
  }
  {
    StreamWriter w;
    w.WriteUtf8Text(std::string(256, 'a'));
    ASSERT_EQ(w.Size(), 5u + 256u);
    EXPECT_EQ(Bytes(w.Bytes().begin(), w.Bytes().begin() + 5), B({svLString, 0x00, 0x01, 0, 0}));
  }
  {
    // Two Cyrillic letters: the UTF-8 form differs from any ANSI form.
    StreamWriter w;
    w.WriteUtf8Text("\xD0\x9B\xD0\xB0");
    EXPECT_EQ(w.Bytes(), Cat(B({svUTF8String, 4, 0, 0, 0}), "\xD0\x9B\xD0\xB0"));
  }
  {
    // Held as code page 1251 bytes, the same text is stored as its UTF-8 form.
    StreamWriter w;
    w.WriteString("\xCB\xE0", "\xD0\x9B\xD0\xB0");
    EXPECT_EQ(w.Bytes(), Cat(B({svUTF8String, 4, 0, 0, 0}), "\xD0\x9B\xD0\xB0"));
  }
  {
    StreamWriter w;
    w.WriteString("Tahoma", "Tahoma");
    EXPECT_EQ(w.Bytes(), Cat(B({svString, 6}), "Tahoma"));
  }
  {
    // A long non-ASCII text is UTF-8 whatever its length.
    std::string text;
    for (int i = 0; i < 200; ++i) text += "\xD0\x9B";
    StreamWriter w;
    w.WriteUtf8Text(text);
    EXPECT_EQ(w.Bytes()[0], svUTF8String);
  }
}

TEST(StreamWriterTest, WideStringsIdentifiersAndBooleans) {
  StreamWriter w;
  w.WriteWideString(u"A\u041B");
  w.WriteIdent("clBlack");
  w.WriteBoolean(false);
  w.WriteBoolean(true);
  w.WriteNil();
  const Bytes expected =
      Cat(Cat(B({svWString, 2, 0, 0, 0, 0x41, 0x00, 0x1B, 0x04, svIdent, 7}), "clBlack"),
          std::string({svFalse, svTrue, svNil}));
  EXPECT_EQ(w.Bytes(), expected);
}

TEST(StreamWriterTest, SetsListsAndCollections) {
  {
    StreamWriter w;
    w.WritePropertyName("Font.Style");
    w.WriteSet({});
    EXPECT_EQ(w.Bytes(), Cat(Cat(B({0x0A}), "Font.Style"), std::string("\x0B\x00", 2)));
  }
  {
    const std::vector<std::string> bold{"fsBold"};
    StreamWriter w;
    w.WriteSet(bold);
    EXPECT_EQ(w.Bytes(), Cat(Cat(B({0x0B, 0x06}), "fsBold"), std::string(1, '\0')));
  }
  {
    StreamWriter w;
    w.WriteListBegin();
    w.WriteInteger(1);
    w.WriteListEnd();
    w.WriteCollectionBegin();
    w.WriteCollectionItemBegin(300);
    w.WriteCollectionItemEnd();
    w.WriteCollectionItemBegin();
    w.WriteCollectionItemEnd();
    w.WriteCollectionEnd();
    EXPECT_EQ(w.Bytes(), B({svList, svInt8, 1, svNull, svCollection, svInt16, 0x2C, 0x01, svList, 0,
                            svList, 0, 0}));
  }
}

TEST(StreamWriterTest, ComponentStructure) {
  StreamWriter w;
  w.WriteSignature();
  w.WriteHeaderPrefix(hfInherited, 200);
  w.WriteComponentHeader("TForm1", "Form1");
  w.WritePropertyName("Left");
  w.WriteInteger(0);
  w.WriteEndOfList();
  w.WriteEndOfList();
  EXPECT_EQ(w.Bytes(), Cat(Cat(Cat(Cat(B({'T', 'P', 'F', '0', 0xF3, svInt16, 200, 0, 6}), "TForm1"),
                                   std::string("\x05", 1) + "Form1"),
                               std::string("\x04", 1) + "Left"),
                           std::string("\x02\x00\x00\x00", 4)));
}

TEST(StreamWriterTest, RefusesWhatCannotBeReadBack) {
  StreamWriter w;
  // A class name of 240 bytes would start with a byte that reads as a header prefix.
  EXPECT_NO_THROW(w.WriteComponentHeader(std::string(239, 'T'), ""));
  EXPECT_THROW(w.WriteComponentHeader(std::string(240, 'T'), ""), EWriteError);
  // An empty path or set element would read as the end of its list.
  EXPECT_THROW(w.WritePropertyName(""), EWriteError);
  const std::vector<std::string> emptyElement{""};
  EXPECT_THROW(w.WriteSet(emptyElement), EWriteError);
  EXPECT_THROW(w.WriteShortString(std::string(256, 'x')), EWriteError);
  EXPECT_THROW(w.WriteIdent(std::string(256, 'x')), EWriteError);
  EXPECT_THROW(w.WritePropertyName(std::string(256, 'x')), EWriteError);
  EXPECT_THROW(w.WriteHeaderPrefix(hfChildPos), EWriteError);
  EXPECT_THROW(w.WriteHeaderPrefix(0x10), EWriteError);
}

TEST(StreamWriterTest, ExtendedFloatsAreExact) {
  struct Case {
    double value;
    Bytes raw;
  };
  const Case cases[] = {
      {0.0, B({0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x00})},
      {-0.0, B({0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x80})},
      {1.0, B({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F})},
      {-2.5, B({0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0})},
      // The smallest subnormal double, 2^-1074, is a normal extended value.
      {std::numeric_limits<double>::denorm_min(), B({0, 0, 0, 0, 0, 0, 0, 0x80, 0xCD, 0x3B})},
      {std::numeric_limits<double>::infinity(), B({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F})},
  };
  for (const Case& c : cases) {
    StreamWriter w;
    w.WriteExtended(c.value);
    EXPECT_EQ(w.Bytes(), Cat(B({svExtended}), std::string(c.raw.begin(), c.raw.end()))) << c.value;
  }
}

TEST(StreamWriterTest, OtherFixedSizeValues) {
  StreamWriter w;
  w.WriteSingle(1.0f);
  w.WriteDouble(1.0);
  w.WriteCurrency(-10000);
  const uint8_t data[] = {0xFF, 0xD8};
  w.WriteBinary(data);
  EXPECT_EQ(w.Bytes(),
            B({svSingle, 0,    0,    0x80,     0x3F,       svDouble, 0,    0,    0,    0,
               0,        0,    0xF0, 0x3F,     svCurrency, 0xF0,     0xD8, 0xFF, 0xFF, 0xFF,
               0xFF,     0xFF, 0xFF, svBinary, 2,          0,        0,    0,    0xFF, 0xD8}));
}

}  // namespace
