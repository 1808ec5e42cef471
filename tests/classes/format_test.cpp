// Primitive value reads, text decoding, skipping, and every property kind as stored.
#include <gtest/gtest.h>

#include <functional>

#include "classes/reader.h"
#include "classes/reader_text.h"
#include "classes/stream_writer.h"
#include "runtime/exception.h"
#include "runtime/text.h"
#include "tests/classes/reader_test_util.h"
#include "tests/classes/standins.h"
#include "tests/support/exception_message.h"

namespace standins {
namespace {

// A reader over raw bytes, keeping its stream alive.
struct RawReader {
  explicit RawReader(const std::vector<uint8_t>& bytes,
                     int bufferSize = TReader::kDefaultBufferSize)
      : stream(MemoryStreamOf(bytes)), reader(*stream, bufferSize) {}
  std::unique_ptr<TMemoryStream> stream;
  TReader reader;
};

std::vector<uint8_t> Written(const std::function<void(StreamWriter&)>& write) {
  StreamWriter w;
  write(w);
  return w.TakeBytes();
}

TEST(ReaderPrimitives, IntegersAreSignExtendedFromEachWidth) {
  RawReader r({0x02, 0xF5, 0x03, 0x13, 0x02, 0x03, 0x7F, 0xFF, 0x04, 0x00, 0x80, 0x00, 0x00, 0x03,
               0x80, 0x00, 0x02, 0x7F});
  EXPECT_EQ(r.reader.ReadInteger(), -11);
  EXPECT_EQ(r.reader.ReadInteger(), 531);
  EXPECT_EQ(r.reader.ReadInteger(), -129);
  EXPECT_EQ(r.reader.ReadInteger(), 32768);
  EXPECT_EQ(r.reader.ReadInteger(), 128);
  EXPECT_EQ(r.reader.ReadInt64(), 127);

  RawReader wide(Written([](StreamWriter& w) {
    w.WriteInt64(int64_t{1} << 40);
    w.WriteInt64(5);
  }));
  EXPECT_EQ(wide.reader.ReadInt64(), int64_t{1} << 40);
  EXPECT_EQ(MessageOf([&] { wide.reader.ReadInteger(); }), "Invalid property value");
}

TEST(ReaderPrimitives, FloatsAcceptTheirTagsOnly) {
  RawReader r(Written([](StreamWriter& w) {
    w.WriteExtended(1.5);
    w.WriteDouble(2.25);
    w.WriteInteger(3);
    w.WriteSingle(0.5f);
    w.WriteSingle(0.75f);
    w.WriteCurrency(12345);
    w.WriteInteger(2);
    w.WriteDate(45000.5);
  }));
  EXPECT_EQ(r.reader.ReadFloat(), 1.5L);
  EXPECT_EQ(r.reader.ReadFloat(), 2.25L);
  EXPECT_EQ(r.reader.ReadFloat(), 3.0L);
  EXPECT_EQ(MessageOf([&] { r.reader.ReadFloat(); }), "Invalid property value");
  float rejected;
  r.reader.Read(&rejected, 4);  // the rejected tag was consumed, its data not
  EXPECT_EQ(rejected, 0.5f);
  EXPECT_EQ(r.reader.ReadSingle(), 0.75f);
  EXPECT_EQ(r.reader.ReadCurrency(), 12345);
  EXPECT_EQ(r.reader.ReadCurrency(), 20000);  // an integer is scaled
  EXPECT_EQ(r.reader.ReadDate(), 45000.5);
}

TEST(ReaderPrimitives, StringsConvertBetweenTheirForms) {
  RawReader r(Written([](StreamWriter& w) {
    w.WriteShortString("short");
    w.WriteLongString("long");
    w.WriteUtf8String("A\xE2\x82\xAC");
    w.WriteWideString(u"wide");
    w.WriteShortString("abc");
    w.WriteUtf8String("\xE2\x82\xAC");
    w.WriteIdent("ident");
  }));
  EXPECT_EQ(r.reader.ReadString(), "short");
  EXPECT_EQ(r.reader.ReadString(), "long");
  EXPECT_EQ(r.reader.ReadString(), WideToAnsi(u"A\u20AC"));
  EXPECT_EQ(r.reader.ReadString(), "wide");
  EXPECT_EQ(r.reader.ReadWideString(), u"abc");
  EXPECT_EQ(r.reader.ReadWideString(), u"\u20AC");
  EXPECT_EQ(MessageOf([&] { r.reader.ReadString(); }), "Invalid property value");
}

TEST(ReaderPrimitives, StoredUtf8DecodesByItsOwnRule) {
  EXPECT_EQ(DecodeStoredUtf8("Az"), u"Az");
  EXPECT_EQ(DecodeStoredUtf8("\xC3\xA9"), u"\u00E9");
  EXPECT_EQ(DecodeStoredUtf8("\xD0\x9B"), u"\u041B");
  EXPECT_EQ(DecodeStoredUtf8("x\xE2\x82\xACy"), u"x\u20ACy");
  // A four-byte lead is taken as a three-byte sequence.
  EXPECT_EQ(DecodeStoredUtf8("\xF0\x9F\x98"), std::u16string(1, char16_t{0x07D8}));
  // Incomplete or broken sequences empty the whole text.
  EXPECT_EQ(DecodeStoredUtf8("abc\xE2\x82"), u"");
  EXPECT_EQ(DecodeStoredUtf8("abc\xC3"), u"");
  EXPECT_EQ(DecodeStoredUtf8("\xC3\x41xyz"), u"");
  EXPECT_EQ(DecodeStoredUtf8("\xE2\xC2\xAC"), u"");
  EXPECT_EQ(DecodeStoredUtf8(""), u"");
}

TEST(ReaderPrimitives, IdentifiersBooleansAndPrefixes) {
  RawReader r({svIdent, 2, 'o', 'k', svFalse, svTrue, svNil, svNull, svInt8, 1, svTrue, svFalse,
               svInt8, 0, 0xF3, svInt8, 5, 0x06});
  EXPECT_EQ(r.reader.ReadIdentifier(), "ok");
  EXPECT_EQ(r.reader.ReadIdentifier(), "False");
  EXPECT_EQ(r.reader.ReadIdentifier(), "True");
  EXPECT_EQ(r.reader.ReadIdentifier(), "nil");
  EXPECT_EQ(r.reader.ReadIdentifier(), "Null");
  EXPECT_EQ(MessageOf([&] { r.reader.ReadIdentifier(); }), "Invalid property value");
  r.reader.Read(nullptr, 0);
  uint8_t skipped;
  r.reader.Read(&skipped, 1);
  EXPECT_TRUE(r.reader.ReadBoolean());
  EXPECT_FALSE(r.reader.ReadBoolean());
  EXPECT_FALSE(r.reader.ReadBoolean());  // any other tag reads as false
  r.reader.Read(&skipped, 1);
  int32_t childPos = -1;
  EXPECT_EQ(r.reader.ReadPrefix(childPos), 3);
  EXPECT_EQ(childPos, 5);
  EXPECT_EQ(r.reader.ReadPrefix(childPos), 0);  // 0x06 is a class name's length
  EXPECT_EQ(r.reader.NextValue(), 0x06);
}

TEST(ReaderPrimitives, WrongListDelimiterSkipsTheValue) {
  RawReader r({svInt16, 1, 2, svInt8, 9, svList, svString, 1, 'x', svNull, svInt8, 7});
  EXPECT_EQ(MessageOf([&] { r.reader.ReadListBegin(); }), "Invalid property value");
  EXPECT_EQ(MessageOf([&] { r.reader.ReadListEnd(); }), "Invalid property value");
  r.reader.ReadListBegin();
  EXPECT_FALSE(r.reader.EndOfList());
  EXPECT_EQ(r.reader.ReadString(), "x");
  EXPECT_TRUE(r.reader.EndOfList());
  r.reader.ReadListEnd();
  EXPECT_EQ(r.reader.ReadInteger(), 7);
}

TEST(ReaderPrimitives, SkippingCoversEveryKindOfValue) {
  const auto bytes = Written([](StreamWriter& w) {
    w.WriteListBegin();
    w.WriteInteger(1);
    w.WriteListBegin();
    w.WriteString("in", "in");
    w.WriteListEnd();
    w.WriteListEnd();
    w.WriteInteger(-5);
    w.WriteInteger(1000);
    w.WriteInteger(100000);
    w.WriteExtended(2.5);
    w.WriteShortString("text");
    w.WriteIdent("ident");
    w.WriteBoolean(false);
    w.WriteBoolean(true);
    w.WriteBinary(std::vector<uint8_t>(300, 0xAB));
    w.WriteSet(std::vector<std::string>{"a", "bb"});
    w.WriteLongString(std::string(5000, 'L'));
    w.WriteNil();
    w.WriteCollectionBegin();
    w.WriteCollectionItemBegin(3);
    w.WritePropertyName("Value");
    w.WriteInteger(1);
    w.WriteCollectionItemEnd();
    w.WriteCollectionItemBegin();
    w.WriteCollectionItemEnd();
    w.WriteCollectionEnd();
    w.WriteSingle(1.0f);
    w.WriteCurrency(1);
    w.WriteDate(1.0);
    w.WriteWideString(u"wide");
    w.WriteInt64(1);
    w.WriteUtf8String("\xC3\xA9");
    w.WriteDouble(1.0);
    w.WriteNull();
    w.WriteRaw(std::vector<uint8_t>{0x63});  // unknown tag: nothing follows it
    w.WriteInteger(77);
  });
  // A small buffer makes every skip cross refills.
  RawReader r(bytes, 16);
  for (int i = 0; i < 23; ++i) r.reader.SkipOneValue();
  EXPECT_EQ(r.reader.ReadInteger(), 77);
  EXPECT_EQ(r.reader.Position(), static_cast<int64_t>(bytes.size()));
}

TEST(ReaderPrimitives, DestructionLeavesTheStreamAfterTheLastByteUsed) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 5000; ++i) bytes.insert(bytes.end(), {svInt8, static_cast<uint8_t>(i)});
  auto stream = MemoryStreamOf(bytes);
  {
    TReader reader(*stream);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(reader.ReadInteger(), i);
    EXPECT_EQ(stream->Position(), TReader::kDefaultBufferSize);  // one buffer fill
  }
  EXPECT_EQ(stream->Position(), 6);
  {
    TReader reader(*stream);
    EXPECT_EQ(reader.ReadInteger(), 3);
  }
  EXPECT_EQ(stream->Position(), 8);
}

class PropertyKindsTest : public ::testing::Test {
 protected:
  void SetUp() override { EnsureRegistered(); }

  // Reads one property record into a fresh TKinds; returns the failure message.
  std::string ReadOne(const char* path, const std::function<void(StreamWriter&)>& value) {
    StreamWriter w;
    w.WriteSignature();
    w.WriteComponentHeader("TKinds", "");
    w.WritePropertyName(path);
    value(w);
    w.WriteEndOfList();
    w.WriteEndOfList();
    kinds.reset(new TKinds(nullptr));
    auto stream = MemoryStreamOf(w.TakeBytes());
    TReader reader(*stream);
    return MessageOf([&] { reader.LoadRoot(kinds.get()); });
  }

  TOwnedPtr<TKinds> kinds;
};

TEST_F(PropertyKindsTest, OrdinalKinds) {
  EXPECT_EQ(ReadOne("Integer", [](StreamWriter& w) { w.WriteInt32(100000); }), "");
  EXPECT_EQ(kinds->integer, 100000);
  EXPECT_EQ(ReadOne("Char", [](StreamWriter& w) { w.WriteShortString("A"); }), "");
  EXPECT_EQ(kinds->ch, 'A');
  EXPECT_EQ(ReadOne("Char", [](StreamWriter& w) { w.WriteShortString(""); }), "");
  EXPECT_EQ(kinds->ch, 0);
  EXPECT_EQ(ReadOne("Char", [](StreamWriter& w) { w.WriteShortString("AB"); }),
            "Error reading TKinds.Char: Invalid property value");
  EXPECT_EQ(ReadOne("WideChar", [](StreamWriter& w) { w.WriteUtf8String("\xC3\xA9"); }), "");
  EXPECT_EQ(kinds->wideCh, u'\u00E9');
  EXPECT_EQ(ReadOne("WideChar", [](StreamWriter& w) { w.WriteWideString(u"ab"); }),
            "Error reading TKinds.WideChar: Invalid property value");
  EXPECT_EQ(ReadOne("Align", [](StreamWriter& w) { w.WriteIdent("ALCUSTOM"); }), "");
  EXPECT_EQ(kinds->align, 6);
  EXPECT_EQ(ReadOne("Align", [](StreamWriter& w) { w.WriteIdent("alNowhere"); }),
            "Error reading TKinds.Align: Invalid property value");
  EXPECT_EQ(ReadOne("Font.Charset", [](StreamWriter& w) { w.WriteIdent("OEM_CHARSET"); }), "");
  EXPECT_EQ(kinds->font->charset, 255);
  // No identifier map is registered for plain integers.
  EXPECT_EQ(ReadOne("Integer", [](StreamWriter& w) { w.WriteIdent("clBlack"); }),
            "Error reading TKinds.Integer: Invalid property value");
  EXPECT_EQ(ReadOne("Numbers",
                    [](StreamWriter& w) {
                      w.WriteSet(std::vector<std::string>{"3", "40", "-5", "0"});
                    }),
            "");
  EXPECT_EQ(kinds->numbers, (1u << 3) | 1u);
  // -1 cannot be told from the answer for a name that is no element.
  EXPECT_EQ(ReadOne("Numbers", [](StreamWriter& w) { w.WriteSet(std::vector<std::string>{"-1"}); }),
            "Error reading TKinds.Numbers: Invalid property value");
}

TEST_F(PropertyKindsTest, FloatKinds) {
  EXPECT_EQ(ReadOne("Extended", [](StreamWriter& w) { w.WriteExtended(1.5); }), "");
  EXPECT_EQ(kinds->extended, 1.5L);
  EXPECT_EQ(ReadOne("Single", [](StreamWriter& w) { w.WriteDouble(0.25); }), "");
  EXPECT_EQ(kinds->single, 0.25f);
  EXPECT_EQ(ReadOne("Double", [](StreamWriter& w) { w.WriteInteger(7); }), "");
  EXPECT_EQ(kinds->dbl, 7.0);
  EXPECT_EQ(ReadOne("Currency", [](StreamWriter& w) { w.WriteExtended(1.23456); }), "");
  EXPECT_EQ(kinds->currency, 12346);
  EXPECT_EQ(ReadOne("Comp", [](StreamWriter& w) { w.WriteDouble(2.5); }), "");
  EXPECT_EQ(kinds->comp, 2);  // ties go to even
  for (auto write :
       {+[](StreamWriter& w) { w.WriteSingle(1.0f); }, +[](StreamWriter& w) { w.WriteCurrency(1); },
        +[](StreamWriter& w) { w.WriteDate(1.0); }}) {
    EXPECT_EQ(ReadOne("Double", write), "Error reading TKinds.Double: Invalid property value");
  }
}

TEST_F(PropertyKindsTest, StringKinds) {
  EXPECT_EQ(ReadOne("Name20", [](StreamWriter& w) { w.WriteLongString(std::string(300, 'n')); }),
            "");
  EXPECT_EQ(kinds->name20, std::string(20, 'n'));
  EXPECT_EQ(ReadOne("Text", [](StreamWriter& w) { w.WriteWideString(u"hi"); }), "");
  EXPECT_EQ(kinds->text, "hi");
  EXPECT_EQ(ReadOne("Wide", [](StreamWriter& w) { w.WriteShortString("abc"); }), "");
  EXPECT_EQ(kinds->wide, u"abc");
  EXPECT_EQ(ReadOne("Wide", [](StreamWriter& w) { w.WriteUtf8String("\xE2\x82\xAC"); }), "");
  EXPECT_EQ(kinds->wide, u"\u20AC");
  EXPECT_EQ(ReadOne("Text", [](StreamWriter& w) { w.WriteInteger(1); }),
            "Error reading TKinds.Text: Invalid property value");
}

TEST_F(PropertyKindsTest, VariantsCollectionsAndEvents) {
  // An integer variant keeps the width it was stored with.
  EXPECT_EQ(ReadOne("Variant", [](StreamWriter& w) { w.WriteInteger(-5); }), "");
  EXPECT_EQ(kinds->variant, TVariant(int8_t{-5}));
  EXPECT_EQ(ReadOne("Variant", [](StreamWriter& w) { w.WriteInteger(1000); }), "");
  EXPECT_EQ(kinds->variant, TVariant(int16_t{1000}));
  EXPECT_EQ(ReadOne("Variant", [](StreamWriter& w) { w.WriteInt32(7); }), "");
  EXPECT_EQ(kinds->variant, TVariant(int32_t{7}));
  EXPECT_EQ(ReadOne("Variant", [](StreamWriter& w) { w.WriteWideString(u"v"); }), "");
  EXPECT_EQ(kinds->variant, TVariant(std::u16string(u"v")));
  EXPECT_EQ(ReadOne("Variant", [](StreamWriter& w) { w.WriteNull(); }), "");
  EXPECT_EQ(kinds->variant, TVariant(TVariantNull{}));
  EXPECT_EQ(ReadOne("Variant", [](StreamWriter& w) { w.WriteBinary(std::vector<uint8_t>(3)); }),
            "Error reading TKinds.Variant: Stream read error");

  EXPECT_EQ(ReadOne("Items",
                    [](StreamWriter& w) {
                      w.WriteCollectionBegin();
                      w.WriteCollectionItemBegin(5);
                      w.WritePropertyName("Value");
                      w.WriteInteger(11);
                      w.WriteCollectionItemEnd();
                      w.WriteCollectionItemBegin();
                      w.WritePropertyName("Text");
                      w.WriteShortString("second");
                      w.WriteCollectionItemEnd();
                      w.WriteCollectionEnd();
                    }),
            "");
  ASSERT_EQ(kinds->items->Count(), 2);
  EXPECT_EQ(kinds->items->items[0]->value, 11);
  EXPECT_EQ(kinds->items->items[1]->text, "second");
  EXPECT_EQ(kinds->items->updates, 0);
  EXPECT_EQ(ReadOne("Items.Bogus", [](StreamWriter& w) { w.WriteInteger(1); }),
            "Error reading TKinds.Items.Bogus: Property Bogus does not exist");

  EXPECT_EQ(ReadOne("OnEvent", [](StreamWriter& w) { w.WriteIdent("handler"); }), "");
  kinds->onEvent(nullptr);
  EXPECT_EQ(kinds->handled, 1);
  EXPECT_EQ(ReadOne("OnEvent", [](StreamWriter& w) { w.WriteIdent("Label1Click"); }),
            "Error reading TKinds.OnEvent: Invalid property value");
}

}  // namespace
}  // namespace standins
