// Reading the launcher's window into the stand-in form.
#include "classes/reader.h"

#include <gtest/gtest.h>

#include <fstream>

#include "classes/reader_text.h"
#include "platform/win32.h"
#include "runtime/text.h"
#include "tests/classes/reader_test_stream.h"
#include "tests/classes/reader_test_util.h"
#include "tests/classes/standins.h"

namespace standins {
namespace {

uint32_t Fnv(const std::vector<uint8_t>& bytes) {
  uint32_t hash = 2166136261u;
  for (uint8_t b : bytes) hash = (hash ^ b) * 16777619u;
  return hash;
}

// The build's compiled definition, <build>/resources/TFORM1.bin beside <build>/tests/,
// or nothing when this build has none.
std::vector<uint8_t> CompiledDefinition() {
  char path[1024] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string file(path, length);
#ifndef _WIN32
  // Module names come in Windows form; the native file system wants the Unix path.
  if (file.rfind("Z:", 0) == 0) file.erase(0, 2);
  for (char& c : file) c = c == '\\' ? '/' : c;
  const char separator = '/';
#else
  const char separator = '\\';
#endif
  for (int up = 0; up < 2; ++up) file.erase(file.find_last_of(separator));
  file += separator;
  file += "resources";
  file += separator;
  file += "TFORM1.bin";
  std::ifstream in(file, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
}

class LauncherStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureRegistered();
    LoadLog().clear();
  }
  void Read(const std::vector<uint8_t>& bytes) {
    stream = MemoryStreamOf(bytes);
    TReader reader(*stream);
    EXPECT_EQ(reader.LoadRoot(form.get()), form.get());
  }

  TOwnedPtr<TForm1> form{new TForm1(nullptr)};
  std::unique_ptr<TMemoryStream> stream;
};

TEST_F(LauncherStreamTest, BuilderMatchesTheShippedLayout) {
  const std::vector<uint8_t> bytes = BuildLauncherStream(kLauncherJpegSize);
  EXPECT_EQ(bytes.size(), kLauncherStreamSize);
  const uint8_t start[] = {'T', 'P', 'F', '0', 6,   'T', 'F', 'o', 'r', 'm', '1', 5,
                           'F', 'o', 'r', 'm', '1', 4,   'L', 'e', 'f', 't', 2,   0};
  EXPECT_TRUE(std::equal(std::begin(start), std::end(start), bytes.begin()));
  // Four end markers close the last label, its children, the panel's and the form's.
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 4, bytes.end()), std::vector<uint8_t>(4, 0));
  EXPECT_NE(Find(bytes, "\x07OnClick\x07\x0BLabel3Click"), std::string::npos);
}

TEST_F(LauncherStreamTest, FormPropertiesArriveThroughTheirSetters) {
  Read(BuildLauncherStream());
  EXPECT_EQ(form->Name(), "Form1");
  EXPECT_EQ(form->borderStyle, 0);
  EXPECT_EQ(form->position, 4);
  EXPECT_EQ(form->color, 0);
  EXPECT_EQ(form->clientHeight, 531);
  EXPECT_EQ(form->clientWidth, 846);
  EXPECT_EQ(form->font->charset, 1);
  EXPECT_EQ(form->font->color, -16777208);
  EXPECT_EQ(form->font->height, -11);
  EXPECT_EQ(form->font->name, "Tahoma");
  EXPECT_EQ(form->font->style, 0);
  EXPECT_FALSE(form->oldCreateOrder);
  EXPECT_EQ(form->pixelsPerInch, 96);
  EXPECT_EQ(form->textHeight, 13);  // consumed by the form's declared value

  // The caption is stored as UTF-8 and arrives in the ANSI code page.
  const std::string utf8 =
      "\xD0\x9B\xD0\xB0\xD1\x82\xD1\x83\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB9 "
      "\xD0\xA4\xD0\xBE\xD0\xBD\xD0\xB0\xD1\x80\xD1\x8C: "
      "\xD0\xA5\xD1\x80\xD0\xB0\xD0\xBD\xD0\xB8\xD1\x82\xD0\xB5\xD0\xBB\xD1\x8C "
      "\xD0\xA2\xD0\xB8\xD1\x85\xD0\xBE\xD0\xB9 "
      "\xD0\x94\xD0\xBE\xD0\xBB\xD0\xB8\xD0\xBD\xD1\x8B";
  ASSERT_EQ(utf8.size(), 73u);
  EXPECT_EQ(form->caption, WideToAnsi(DecodeStoredUtf8(utf8)));
  EXPECT_EQ(form->caption.size(), 39u);

  EXPECT_FALSE(form->HasState(stLoading | stReading));
  EXPECT_EQ(stream->Position(), stream->Size());
}

TEST_F(LauncherStreamTest, ChildrenAreCreatedNamedParentedAndBound) {
  Read(BuildLauncherStream());
  ASSERT_NE(form->Image1, nullptr);
  ASSERT_NE(form->Label4, nullptr);
  ASSERT_NE(form->Panel1, nullptr);
  ASSERT_NE(form->Label1, nullptr);
  ASSERT_NE(form->Label2, nullptr);
  ASSERT_NE(form->Label3, nullptr);

  // Everything is owned by the form, in creation order.
  ASSERT_EQ(form->OwnedCount(), 6);
  const char* order[] = {"Image1", "Label4", "Panel1", "Label1", "Label2", "Label3"};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(form->OwnedAt(i)->Name(), order[i]);

  EXPECT_EQ(form->children, (std::vector<TControl*>{form->Image1, form->Label4, form->Panel1}));
  EXPECT_EQ(form->Panel1->children,
            (std::vector<TControl*>{form->Label1, form->Label2, form->Label3}));

  TImage& image = *form->Image1;
  EXPECT_EQ(image.align, 5);
  EXPECT_TRUE(image.stretch);
  EXPECT_EQ(image.explicitLeft, 248);
  EXPECT_EQ(image.explicitTop, 144);
  EXPECT_EQ(image.explicitWidth, 105);
  EXPECT_EQ(image.explicitHeight, 105);
  EXPECT_EQ(image.picture->readCount, 1);
  EXPECT_EQ(image.picture->graphicClass, "TJPEGImage");
  EXPECT_EQ(image.picture->payloadCount, 64);
  EXPECT_EQ(image.picture->blockSize, 1 + 10 + 4 + 64);
  EXPECT_EQ(image.picture->payloadHash, Fnv(FakeJpeg(64)));

  TLabel& title = *form->Label4;
  EXPECT_EQ(title.caption, "BRASS LANTERN: THE RIVER WARDEN");
  EXPECT_EQ(title.font->color, 65535);
  EXPECT_EQ(title.font->style, 1);
  EXPECT_FALSE(title.parentFont);
  EXPECT_TRUE(title.transparent);

  TPanel& panel = *form->Panel1;
  EXPECT_EQ(panel.align, 6);
  EXPECT_EQ(panel.bevelOuter, 0);
  EXPECT_EQ(panel.color, 0);
  EXPECT_EQ(panel.tabOrder, 0);

  for (TLabel* label : {form->Label1, form->Label2, form->Label3}) {
    EXPECT_EQ(label->Owner(), form.get());
    EXPECT_EQ(label->Parent(), form->Panel1);
    EXPECT_EQ(label->cursor, -21);
    EXPECT_EQ(label->font->color, 32768);
    EXPECT_FALSE(label->HasState(stLoading | stReading));
  }
  EXPECT_EQ(form->Label1->caption, "RUSSIAN");
  EXPECT_EQ(form->Label2->caption, "EXIT");
}

TEST_F(LauncherStreamTest, HandlersAreBoundToTheFormsPublishedMethods) {
  Read(BuildLauncherStream());
  form->Label1->onClick(form->Label1);
  form->Label2->onClick(form->Label2);
  form->Label3->onClick(form->Label3);
  form->onActivate(form.get());
  EXPECT_EQ(form->calls, (std::vector<std::string>{"Label1Click", "Label2Click", "Label3Click",
                                                   "FormActivate"}));
  EXPECT_EQ(form->Label1->onClick.Instance(), form.get());
  EXPECT_EQ(form->Label4->onClick.Instance(), nullptr);
}

TEST_F(LauncherStreamTest, FinishLoadingRunsOnceEachInPostLoadOrder) {
  Read(BuildLauncherStream());
  EXPECT_EQ(LoadLog(), (std::vector<std::string>{"Form1", "Image1", "Label4", "Label1", "Label2",
                                                 "Label3", "Panel1"}));
}

TEST_F(LauncherStreamTest, ComponentDestroyedByAnEarlierFinishLoadingIsNotFinished) {
  AfterFinishLoading() = [&](TControl* control) {
    if (control == form.get()) form->Image1->Free();
  };
  Read(BuildLauncherStream());
  AfterFinishLoading() = nullptr;
  EXPECT_EQ(LoadLog(),
            (std::vector<std::string>{"Form1", "Label4", "Label1", "Label2", "Label3", "Panel1"}));
  EXPECT_EQ(form->OwnedCount(), 5);
}

TEST_F(LauncherStreamTest, CompiledDefinitionMatchesAndReads) {
  const std::vector<uint8_t> compiled = CompiledDefinition();
  if (compiled.empty()) GTEST_SKIP() << "this build has no compiled definition";
  ASSERT_EQ(compiled.size(), kLauncherStreamSize);
  // Byte for byte what the reader's own tests build, apart from the artwork itself.
  const std::vector<uint8_t> built = BuildLauncherStream(kLauncherJpegSize);
  const size_t payload = Find(built,
                              "\x0C"
                              "Picture.Data\x0A") +
                         13 + 1 + 4 + 11 + 4;
  ASSERT_EQ(payload, Find(compiled,
                          "\x0C"
                          "Picture.Data\x0A") +
                         13 + 1 + 4 + 11 + 4);
  EXPECT_TRUE(std::equal(built.begin(), built.begin() + payload, compiled.begin()));
  const size_t after = payload + kLauncherJpegSize;
  EXPECT_TRUE(std::equal(built.begin() + after, built.end(), compiled.begin() + after));

  Read(compiled);
  EXPECT_EQ(LoadLog(), (std::vector<std::string>{"Form1", "Image1", "Label4", "Label1", "Label2",
                                                 "Label3", "Panel1"}));
  EXPECT_EQ(form->Image1->picture->graphicClass, "TJPEGImage");
  EXPECT_EQ(form->Image1->picture->payloadCount, static_cast<int32_t>(kLauncherJpegSize));
  EXPECT_EQ(compiled[payload], 0xFF);
  EXPECT_EQ(compiled[payload + 1], 0xD8);
  form->Label3->onClick(form->Label3);
  EXPECT_EQ(form->calls, std::vector<std::string>{"Label3Click"});
}

TEST_F(LauncherStreamTest, SecondFormWithTheStoredNameIsRenamed) {
  Read(BuildLauncherStream());
  TOwnedPtr<TForm1> second(new TForm1(nullptr));
  TOwnedPtr<TForm1> third(new TForm1(nullptr));
  const std::vector<uint8_t> bytes = BuildLauncherStream();
  for (TForm1* f : {second.get(), third.get()}) {
    auto s = MemoryStreamOf(bytes);
    TReader reader(*s);
    reader.LoadRoot(f);
  }
  EXPECT_EQ(form->Name(), "Form1");
  EXPECT_EQ(second->Name(), "Form1_1");
  EXPECT_EQ(third->Name(), "Form1_2");
  // Each form's own components and handlers.
  EXPECT_EQ(second->Label1->Owner(), second.get());
  second->Label1->onClick(nullptr);
  EXPECT_EQ(second->calls, std::vector<std::string>{"Label1Click"});
  EXPECT_TRUE(form->calls.empty());
}

}  // namespace
}  // namespace standins
