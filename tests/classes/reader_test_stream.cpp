#include "tests/classes/reader_test_stream.h"

namespace standins {

namespace {

void Int(StreamWriter& w, const char* path, int32_t value) {
  w.WritePropertyName(path);
  w.WriteInteger(value);
}
void Ident(StreamWriter& w, const char* path, const char* ident) {
  w.WritePropertyName(path);
  w.WriteIdent(ident);
}
void Text(StreamWriter& w, const char* path, const std::string& utf8) {
  w.WritePropertyName(path);
  w.WriteUtf8Text(utf8);
}
void Bool(StreamWriter& w, const char* path, bool value) {
  w.WritePropertyName(path);
  w.WriteBoolean(value);
}
void Set(StreamWriter& w, const char* path, std::vector<std::string> elements) {
  w.WritePropertyName(path);
  w.WriteSet(elements);
}

}  // namespace

std::vector<uint8_t> FakeJpeg(size_t size) {
  std::vector<uint8_t> bytes(size);
  uint32_t x = 0x12345678;
  for (size_t i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    bytes[i] = static_cast<uint8_t>(x >> 24);
  }
  if (size >= 2) {
    bytes[0] = 0xFF;
    bytes[1] = 0xD8;
  }
  return bytes;
}

void WriteLabel(StreamWriter& w, const std::string& name, int left, int width,
                const std::string& caption, const std::string& handler) {
  w.WriteComponentHeader("TLabel", name);
  Int(w, "Left", left);
  Int(w, "Top", 4);
  Int(w, "Width", width);
  Int(w, "Height", 19);
  Ident(w, "Cursor", "crHandPoint");
  Text(w, "Caption", caption);
  Ident(w, "Font.Charset", "DEFAULT_CHARSET");
  Ident(w, "Font.Color", "clGreen");
  Int(w, "Font.Height", -16);
  Text(w, "Font.Name", "Tahoma");
  Set(w, "Font.Style", {"fsBold"});
  Bool(w, "ParentFont", false);
  Ident(w, "OnClick", handler.c_str());
  w.WriteEndOfList();  // properties
  w.WriteEndOfList();  // children
}

std::vector<uint8_t> BuildLauncherStream(size_t jpegSize) {
  StreamWriter w;
  w.WriteSignature();
  w.WriteComponentHeader("TForm1", "Form1");
  Int(w, "Left", 0);
  Int(w, "Top", 0);
  Ident(w, "BorderStyle", "bsNone");
  Text(w, "Caption",
       "\xD0\x9B\xD0\xB0\xD1\x82\xD1\x83\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB9 "
       "\xD0\xA4\xD0\xBE\xD0\xBD\xD0\xB0\xD1\x80\xD1\x8C: "
       "\xD0\xA5\xD1\x80\xD0\xB0\xD0\xBD\xD0\xB8\xD1\x82\xD0\xB5\xD0\xBB\xD1\x8C "
       "\xD0\xA2\xD0\xB8\xD1\x85\xD0\xBE\xD0\xB9 "
       "\xD0\x94\xD0\xBE\xD0\xBB\xD0\xB8\xD0\xBD\xD1\x8B");
  Int(w, "ClientHeight", 531);
  Int(w, "ClientWidth", 846);
  Ident(w, "Color", "clBlack");
  Ident(w, "Font.Charset", "DEFAULT_CHARSET");
  Ident(w, "Font.Color", "clWindowText");
  Int(w, "Font.Height", -11);
  Text(w, "Font.Name", "Tahoma");
  Set(w, "Font.Style", {});
  Bool(w, "OldCreateOrder", false);
  Ident(w, "Position", "poScreenCenter");
  Ident(w, "OnActivate", "FormActivate");
  Int(w, "PixelsPerInch", 96);
  Int(w, "TextHeight", 13);
  w.WriteEndOfList();

  w.WriteComponentHeader("TImage", "Image1");
  Int(w, "Left", 0);
  Int(w, "Top", 0);
  Int(w, "Width", 846);
  Int(w, "Height", 531);
  Ident(w, "Align", "alClient");
  {
    const std::vector<uint8_t> jpeg = FakeJpeg(jpegSize);
    std::vector<uint8_t> block;
    const std::string cls = "TJPEGImage";
    block.push_back(static_cast<uint8_t>(cls.size()));
    block.insert(block.end(), cls.begin(), cls.end());
    const uint32_t count = static_cast<uint32_t>(jpeg.size());
    for (int i = 0; i < 4; ++i) block.push_back(static_cast<uint8_t>(count >> (8 * i)));
    block.insert(block.end(), jpeg.begin(), jpeg.end());
    w.WritePropertyName("Picture.Data");
    w.WriteBinary(block);
  }
  Bool(w, "Stretch", true);
  Int(w, "ExplicitLeft", 248);
  Int(w, "ExplicitTop", 144);
  Int(w, "ExplicitWidth", 105);
  Int(w, "ExplicitHeight", 105);
  w.WriteEndOfList();
  w.WriteEndOfList();

  w.WriteComponentHeader("TLabel", "Label4");
  Int(w, "Left", 232);
  Int(w, "Top", 305);
  Int(w, "Width", 424);
  Int(w, "Height", 25);
  Text(w, "Caption", "BRASS LANTERN: THE RIVER WARDEN");
  Ident(w, "Font.Charset", "DEFAULT_CHARSET");
  Ident(w, "Font.Color", "clYellow");
  Int(w, "Font.Height", -21);
  Text(w, "Font.Name", "Tahoma");
  Set(w, "Font.Style", {"fsBold"});
  Bool(w, "ParentFont", false);
  Bool(w, "Transparent", true);
  w.WriteEndOfList();
  w.WriteEndOfList();

  w.WriteComponentHeader("TPanel", "Panel1");
  Int(w, "Left", 8);
  Int(w, "Top", 496);
  Int(w, "Width", 830);
  Int(w, "Height", 27);
  Ident(w, "Align", "alCustom");
  Ident(w, "BevelOuter", "bvNone");
  Ident(w, "Color", "clBlack");
  Int(w, "TabOrder", 0);
  w.WriteEndOfList();
  WriteLabel(w, "Label1", 385, 75, "RUSSIAN", "Label1Click");
  WriteLabel(w, "Label2", 481, 39, "EXIT", "Label2Click");
  WriteLabel(w, "Label3", 293, 72, "ENGLISH", "Label3Click");
  w.WriteEndOfList();  // panel's children

  w.WriteEndOfList();  // form's children
  return w.TakeBytes();
}

}  // namespace standins
