// The form tool's text and binary sides: the launcher definition compiles to the
// expected bytes, every stored kind survives binary -> text -> binary, and bad input
// is reported with its line or byte offset.
#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "classes/stream_writer.h"
#include "tools/formtool/binary_reader.h"
#include "tools/formtool/binary_writer.h"
#include "tools/formtool/form_error.h"
#include "tools/formtool/text_parser.h"
#include "tools/formtool/text_printer.h"

namespace formtool {
namespace {

using namespace std::string_literals;

constexpr size_t kJpegSize = 305872;

std::string ToString(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// A stand-in for the generated artwork: the size and start of a JPEG file.
std::string FakeJpeg() {
  std::string data(kJpegSize, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + 3);
  data[0] = '\xFF';
  data[1] = '\xD8';
  return data;
}

std::string ReadSourceFile(const std::string& relative) {
  std::ifstream in(std::string(LAUNCHER_SOURCE_DIR) + "/" + relative, std::ios::binary);
  std::ostringstream data;
  data << in.rdbuf();
  return data.str();
}

FileLoader LoaderFor(std::map<std::string, std::string> files) {
  return [files = std::move(files)](const std::string& path) {
    const auto it = files.find(path);
    if (it == files.end()) throw FormError("file '" + path + "' not found");
    return it->second;
  };
}

std::string Compile(std::string_view text, const FileLoader& loader = LoaderFor({})) {
  return ToString(WriteBinary(ParseText(text, loader)));
}

// Binary -> text -> binary; large blocks go through side files like the command does.
std::string RoundTrip(const std::string& binary, std::string* textOut = nullptr) {
  std::map<std::string, std::string> sideFiles;
  PrintOptions options;
  options.storeFile = [&](const std::string& data, const std::string& extension) {
    std::string name = "side" + std::to_string(sideFiles.size()) + extension;
    sideFiles[name] = data;
    return name;
  };
  const std::string text = PrintText(ReadBinary(binary), options);
  if (textOut) *textOut = text;
  return Compile(text, LoaderFor(sideFiles));
}

// A short string: length byte and text.
std::string S(std::string_view text) { return static_cast<char>(text.size()) + std::string(text); }

class LauncherDefinitionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stream_ = Compile(ReadSourceFile("resources/launcher.form"),
                      LoaderFor({{"artwork.jpg", FakeJpeg()}}));
  }
  std::string stream_;
};

TEST_F(LauncherDefinitionTest, StartsWithTheFormRecord) {
  const std::string caption =
      "\xD0\x9B\xD0\xB0\xD1\x82\xD1\x83\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB9 "
      "\xD0\xA4\xD0\xBE\xD0\xBD\xD0\xB0\xD1\x80\xD1\x8C: "
      "\xD0\xA5\xD1\x80\xD0\xB0\xD0\xBD\xD0\xB8\xD1\x82\xD0\xB5\xD0\xBB\xD1\x8C "
      "\xD0\xA2\xD0\xB8\xD1\x85\xD0\xBE\xD0\xB9 "
      "\xD0\x94\xD0\xBE\xD0\xBB\xD0\xB8\xD0\xBD\xD1\x8B";
  ASSERT_EQ(caption.size(), 73u);
  const std::string expected =
      "TPF0" + S("TForm1") + S("Form1") + S("Left") + "\x02\x00"s + S("Top") + "\x02\x00"s +
      S("BorderStyle") + "\x07" + S("bsNone") + S("Caption") + "\x14\x49\x00\x00\x00"s + caption +
      S("ClientHeight") + "\x03\x13\x02" + S("ClientWidth") + "\x03\x4E\x03" + S("Color") + "\x07" +
      S("clBlack") + S("Font.Charset") + "\x07" + S("DEFAULT_CHARSET") + S("Font.Color") + "\x07" +
      S("clWindowText") + S("Font.Height") + "\x02\xF5" + S("Font.Name") + "\x06" + S("Tahoma") +
      S("Font.Style") + "\x0B\x00"s + S("OldCreateOrder") + "\x08" + S("Position") + "\x07" +
      S("poScreenCenter") + S("OnActivate") + "\x07" + S("FormActivate") + S("PixelsPerInch") +
      "\x02\x60" + S("TextHeight") + "\x02\x0D" + "\x00"s + S("TImage") + S("Image1");
  ASSERT_GE(stream_.size(), expected.size());
  EXPECT_EQ(stream_.substr(0, expected.size()), expected);
}

TEST_F(LauncherDefinitionTest, SizePictureAndEnd) {
  EXPECT_EQ(stream_.size(), 307402u);
  const std::string picture =
      S("Picture.Data") + "\x0A\xDF\xAA\x04\x00"s + S("TJPEGImage") + "\xD0\xAA\x04\x00\xFF\xD8"s;
  EXPECT_NE(stream_.find(picture), std::string::npos);
  const std::string end = S("OnClick") + "\x07" + S("Label3Click") + "\x00\x00\x00\x00"s;
  EXPECT_EQ(stream_.substr(stream_.size() - end.size()), end);
  EXPECT_EQ(stream_.find('\xF0' + S("T")), std::string::npos) << "no component has a prefix";
}

TEST_F(LauncherDefinitionTest, TreeAndRoundTrip) {
  const Document doc = ReadBinary(stream_);
  ASSERT_EQ(doc.root.children.size(), 3u);
  EXPECT_EQ(doc.root.children[0].name, "Image1");
  EXPECT_EQ(doc.root.children[1].name, "Label4");
  const Component& panel = doc.root.children[2];
  EXPECT_EQ(panel.className, "TPanel");
  ASSERT_EQ(panel.children.size(), 3u);
  EXPECT_EQ(panel.children[0].name, "Label1");
  EXPECT_EQ(panel.children[2].name, "Label3");

  std::string text;
  EXPECT_EQ(RoundTrip(stream_, &text), stream_);
  EXPECT_NE(text.find("jpeg(\"side0.jpg\")"), std::string::npos) << text;
  // Without side files the picture is written inline, and still comes back exact.
  EXPECT_EQ(Compile(PrintText(doc, {})), stream_);
}

// A stream using every kind of value, in forms the plain notation would not choose.
std::string EveryKindStream() {
  StreamWriter w;
  const auto prop = [&](std::string_view path) { w.WritePropertyName(path); };
  w.WriteSignature();
  w.WriteHeaderPrefix(0);
  w.WriteComponentHeader("TRoot Form", "");
  prop("Ints");
  w.WriteListBegin();
  w.WriteInt32(5);
  w.WriteInt16(-1);
  w.WriteInt8(-128);
  w.WriteInteger(70000);
  w.WriteInt64(std::numeric_limits<int64_t>::min());
  w.WriteInt64(1);
  w.WriteListEnd();
  prop("Money");
  w.WriteCurrency(std::numeric_limits<int64_t>::min());
  prop("Money2");
  w.WriteCurrency(-12345);
  prop("Floats");
  w.WriteListBegin();
  w.WriteExtended(1.5);
  w.WriteExtended(-0.0);
  w.WriteExtended(std::numeric_limits<double>::denorm_min());
  const uint8_t unnormal[kExtendedSize] = {1, 2, 3, 4, 5, 6, 7, 0x40, 0xFF, 0x3F};
  w.WriteExtendedRaw(unnormal);
  const uint8_t nan[kExtendedSize] = {1, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0xFF};
  w.WriteExtendedRaw(nan);
  w.WriteSingle(0.1f);
  w.WriteSingle(std::numeric_limits<float>::denorm_min());
  w.WriteSingle(-std::numeric_limits<float>::infinity());
  w.WriteDouble(-0.0);
  w.WriteDouble(std::numeric_limits<double>::quiet_NaN());
  w.WriteDate(45000.25);
  w.WriteListEnd();
  prop("Strings");
  w.WriteListBegin();
  w.WriteShortString("plain \"quoted\" \\ back\nslash\x7F\x01");
  w.WriteShortString("\xCB\xE0\xF2");  // code page 1251 bytes
  w.WriteLongString("short but long");
  w.WriteLongString(std::string(300, 'z'));
  w.WriteUtf8String("ascii");
  w.WriteUtf8String("\xD0\x9B\xD0\xB0");
  w.WriteUtf8String("bad \xC0\x80 \xED\xA0\x80 \xFF");
  w.WriteWideString(std::u16string(u"w\u041B\t") + char16_t(0xD800) + u"\U0001F600");
  w.WriteShortString("");
  w.WriteListEnd();
  prop("Idents");
  w.WriteListBegin();
  w.WriteIdent("true");
  w.WriteIdent("component");
  w.WriteIdent("two words");
  w.WriteIdent("Form2.Button1");
  w.WriteIdent("");
  w.WriteBoolean(true);
  w.WriteBoolean(false);
  w.WriteNil();
  w.WriteListEnd();
  prop("Null");
  w.WriteNull();
  prop("item");
  w.WriteBinary({});
  prop("weird path!");
  const uint8_t blob[] = {0, 1, 2, 0xFE, 0xFF};
  w.WriteBinary(blob);
  prop("Sets");
  w.WriteListBegin();
  w.WriteSet({});
  const std::vector<std::string> elements{"fsBold", "odd name", "inline", "\xFF"};
  w.WriteSet(elements);
  w.WriteListBegin();
  w.WriteListBegin();
  w.WriteListEnd();
  w.WriteListEnd();
  w.WriteListEnd();
  prop("Items");
  w.WriteCollectionBegin();
  w.WriteCollectionItemBegin();
  prop("Caption");
  w.WriteUtf8Text("first");
  w.WriteCollectionItemEnd();
  w.WriteInt32(1);  // an order value wider than needed
  w.WriteCollectionItemBegin();
  w.WriteCollectionItemEnd();
  w.WriteCollectionItemBegin(-3);
  w.WriteCollectionItemEnd();
  w.WriteCollectionEnd();
  prop("Empty");
  w.WriteCollectionBegin();
  w.WriteCollectionEnd();
  w.WriteEndOfList();
  // Children with every header form.
  w.WriteHeaderPrefix(hfInherited | hfInline);
  w.WriteComponentHeader("TChild", "inherited");
  w.WriteEndOfList();
  w.WriteEndOfList();
  const uint8_t prefix[] = {0xF0 | hfChildPos | 0x08, svInt32, 2, 0, 0, 0};
  w.WriteRaw(prefix);
  w.WriteComponentHeader("TChild", "Second");
  w.WriteEndOfList();
  w.WriteEndOfList();
  w.WriteHeaderPrefix(0, 300);
  w.WriteComponentHeader("TChild", "Third");
  w.WriteEndOfList();
  w.WriteEndOfList();
  w.WriteEndOfList();
  const uint8_t trailing[] = {0xDE, 0xAD};
  w.WriteRaw(trailing);
  return ToString(w.Bytes());
}

TEST(FormToolRoundTripTest, EveryStoredKindSurvives) {
  const std::string stream = EveryKindStream();
  std::string text;
  EXPECT_EQ(RoundTrip(stream, &text), stream) << text;
  // Printing is stable: the text of the recompiled stream is the same text.
  std::string again;
  RoundTrip(RoundTrip(stream), &again);
  EXPECT_EQ(again, text);
}

TEST(FormToolRoundTripTest, PlainNotationChoosesTheStandardKinds) {
  const std::string head = "TPF0" + S("T") + S("A") + S("P");
  const std::string tail = "\x00\x00"s;
  const FileLoader loader = LoaderFor({{"x.bmp", "BM"}});
  const auto value = [&](std::string_view text) {
    const std::string out = Compile("component T A { P = " + std::string(text) + " }", loader);
    EXPECT_EQ(out.substr(0, head.size()), head);
    EXPECT_EQ(out.substr(out.size() - 2), tail);
    return out.substr(head.size(), out.size() - head.size() - 2);
  };
  EXPECT_EQ(value("128"), "\x03\x80\x00"s);
  EXPECT_EQ(value("-129"), "\x03\x7F\xFF"s);
  EXPECT_EQ(value("32768"), "\x04\x00\x80\x00\x00"s);
  EXPECT_EQ(value("0x7F"), "\x02\x7F"s);
  EXPECT_EQ(value("!i32 1"), "\x04\x01\x00\x00\x00"s);
  EXPECT_EQ(value("4294967296"), "\x13\x00\x00\x00\x00\x01\x00\x00\x00"s);
  EXPECT_EQ(value("\"" + std::string(255, 'a') + "\"").substr(0, 2), "\x06\xFF");
  EXPECT_EQ(value("\"" + std::string(256, 'a') + "\"").substr(0, 5), "\x0C\x00\x01\x00\x00"s);
  EXPECT_EQ(value("\"\xD0\x9B\""), "\x14\x02\x00\x00\x00\xD0\x9B"s);
  EXPECT_EQ(value("!ansi \"\\xCB\""), "\x06\x01\xCB"s);
  EXPECT_EQ(value("{fsBold}"),
            "\x0B\x06"
            "fsBold\x00"s);
  EXPECT_EQ(value("{}"), "\x0B\x00"s);
  EXPECT_EQ(value("1.5").substr(0, 1), "\x05");
  EXPECT_EQ(value("!currency -1.5"), "\x10\x68\xC5\xFF\xFF\xFF\xFF\xFF\xFF"s);
  EXPECT_EQ(value("<0A 0b>"), "\x0A\x02\x00\x00\x00\x0A\x0B"s);
  EXPECT_EQ(value("graphic(\"TBitmap\", \"x.bmp\")"), "\x0A\x0E\x00\x00\x00"s + S("TBitmap") +
                                                          "\x02\x00\x00\x00"
                                                          "BM"s);
}

struct TextErrorCase {
  const char* text;
  const char* message;  // expected at the start of the error
};

class FormToolTextErrorTest : public ::testing::TestWithParam<TextErrorCase> {};

TEST_P(FormToolTextErrorTest, NamesTheLine) {
  const TextErrorCase& c = GetParam();
  try {
    Compile(c.text, LoaderFor({{"small.bin", "xy"}}));
    FAIL() << "no error for: " << c.text;
  } catch (const FormError& e) {
    EXPECT_EQ(std::string(e.what()).substr(0, std::string(c.message).size()), c.message)
        << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormToolTextErrorTest,
    ::testing::Values(
        TextErrorCase{"", "line 1: the text must start with 'component'"},
        TextErrorCase{"component A B {\n  X = !i8 300\n}", "line 2: 300 does not fit"},
        TextErrorCase{"component A B {\n\n  X = \"open\n}", "line 3: string is not closed"},
        TextErrorCase{"component A B {\n  component C D {}\n  X = 1\n}",
                      "line 3: properties must come before the child components"},
        TextErrorCase{"component A B {\n  X = \"\\x80\"\n}",
                      "line 2: \\xHH above 7F is a raw byte"},
        TextErrorCase{"component A B {\n  X = !ansi \"\xD0\x9B\"\n}",
                      "line 2: character U+041B cannot be stored as a single byte"},
        TextErrorCase{"component A B {\n  X = !i9 1\n}", "line 2: unknown type '!i9'"},
        TextErrorCase{"component A B {\n  X = file(\"nope.bin\")\n}",
                      "line 2: file 'nope.bin' not found"},
        TextErrorCase{"component A B {\n  X = jpeg(\"small.bin\")\n}",
                      "line 2: 'small.bin' is not a JPEG file"},
        TextErrorCase{"component A B {\n  X = 1\n", "line 3: component B (line 1) is not closed"},
        TextErrorCase{"component A B {}\ncomponent C D {}", "line 2: expected the end of the text"},
        TextErrorCase{"component A B {\n  X = [1, null]\n}", "line 2: 'null' would end the list"},
        TextErrorCase{"component A B {\n  X = item\n}", "line 2: 'item' cannot stand here"},
        TextErrorCase{"component A B {\n  X = {a, \"\"}\n}",
                      "line 2: a set element name cannot be empty"},
        TextErrorCase{"component A B {\n  \"\" = 1\n}", "line 2: a property path cannot be empty"},
        TextErrorCase{"component A B {\n  X = !double <00>\n}", "line 2: raw bytes of this float"},
        TextErrorCase{"component A B {\n  X = !currency 1.23456\n}",
                      "line 2: '1.23456' is not a currency"},
        TextErrorCase{"component A B {\n  X = 99999999999999999999\n}",
                      "line 2: '99999999999999999999' does not fit"},
        TextErrorCase{"component A B {\n  X = <0A 0>\n}", "line 2: hex block has an odd number"},
        TextErrorCase{"component A B {\n  X = 1 ;\n}", "line 2: unexpected character ';'"}));

// Expects ReadBinary to fail with a message that starts with "offset <at>: ".
void ExpectBinaryError(const std::string& data, size_t at, const std::string& detail) {
  try {
    ReadBinary(data);
    ADD_FAILURE() << "no error";
  } catch (const FormError& e) {
    const std::string prefix = "offset " + std::to_string(at) + ": ";
    EXPECT_EQ(std::string(e.what()).substr(0, prefix.size()), prefix) << e.what();
    EXPECT_NE(std::string(e.what()).find(detail), std::string::npos) << e.what();
  }
}

TEST(FormToolBinaryErrorTest, HostileAndTruncatedStreams) {
  ExpectBinaryError("TPF1" + S("T") + S("A") + "\x00\x00"s, 0, "\"TPF0\"");
  const std::string head = "TPF0" + S("T") + S("A") + S("P");
  const size_t lengthAt = head.size() + 1;
  ExpectBinaryError(head + "\x0A\xFF\xFF\xFF\x7F"s + "abc", lengthAt, "runs past the end");
  ExpectBinaryError(head + "\x0C\xFE\xFF\xFF\xFF"s, lengthAt, "negative length -2");
  ExpectBinaryError(head + "\x12\x02\x00\x00\x00\x41\x00\x42"s, lengthAt, "runs past the end");
  ExpectBinaryError(head + "\x16"s, head.size(), "unknown value tag 22");
  ExpectBinaryError(head + "\x0E\x07"s, head.size() + 1, "does not start with a list tag");
  ExpectBinaryError("TPF0\xF2\x06\x00"s, 5, "the child position is not an integer");
  // Readable after a prefix, but no writer stores it and the text cannot say it.
  ExpectBinaryError("TPF0\xF0"s + S(std::string(240, 'T')) + "\x00\x00\x00"s, 5,
                    "class name is longer than 239 bytes");

  // Deep nesting ends in an error, not in a stack overflow.
  const std::string lists = head + std::string(100000, '\x01');
  ExpectBinaryError(lists, head.size() + kMaxNesting, "nesting deeper than");
  std::string nested = "TPF0";
  for (int i = 0; i < 100000; ++i) nested += S("T") + S("A") + '\x00';
  EXPECT_THROW(ReadBinary(nested), FormError);

  // Every cut of a real stream fails cleanly with an offset at the cut.
  const std::string full = EveryKindStream();
  const size_t rootEnd = full.size() - 2;  // before the trailing bytes
  for (size_t cut = 0; cut < rootEnd; ++cut) {
    try {
      ReadBinary(full.substr(0, cut));
      ADD_FAILURE() << "no error at cut " << cut;
    } catch (const FormError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("offset ", 0), 0u) << e.what();
    }
  }
}

}  // namespace
}  // namespace formtool
