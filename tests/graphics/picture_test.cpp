#include "graphics/picture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "classes/filer.h"
#include "classes/streams.h"
#include "graphics/bitmap.h"
#include "graphics/clipboard_formats.h"
#include "graphics/file_formats.h"
#include "graphics/jpeg_image.h"
#include "graphics/jpeg_module.h"
#include "jpeg_samples.h"
#include "runtime/exception.h"

namespace {

// Stands in for the form reader and writer: hands "Data" blocks to the picture
// and collects what it writes.
class BlobFiler : public TFiler {
 public:
  BlobFiler() : TFiler(dummy_, 4096) {}
  void DefineValue(std::string_view, const TReaderProc&, const TWriterProc&, bool) override {}
  void DefineBlob(std::string_view name, const TStreamProc& readProc, const TStreamProc& writeProc,
                  bool hasData) override {
    names.emplace_back(name);
    read = readProc;
    write = writeProc;
    this->hasData = hasData;
  }
  std::vector<std::string> names;
  TStreamProc read;
  TStreamProc write;
  bool hasData = false;

 private:
  TMemoryStream dummy_;
};

// Named apart from the other test files' counters: the sanitizer's type check takes
// same-named classes of different anonymous namespaces for one another.
class PictureChangeCounter : public TObject {
 public:
  void Changed(TObject*) { ++count; }
  int count = 0;
};

void ReadData(TPicture& picture, const samples::Bytes& block) {
  BlobFiler filer;
  picture.DeclareExtraProperties(filer);
  TMemoryStream stream;
  stream.Write(block.data(), static_cast<int64_t>(block.size()));
  stream.SetPosition(0);
  filer.read(stream);
}

samples::Bytes WriteData(TPicture& picture, bool* hasData = nullptr) {
  BlobFiler filer;
  picture.DeclareExtraProperties(filer);
  if (hasData) *hasData = filer.hasData;
  TMemoryStream stream;
  filer.write(stream);
  const auto* p = static_cast<const uint8_t*>(stream.Memory());
  return samples::Bytes(p, p + stream.Size());
}

samples::Bytes Block(const std::string& className, const samples::Bytes& payload) {
  samples::Bytes b;
  b.reserve(1 + className.size() + payload.size());
  b.push_back(static_cast<uint8_t>(className.size()));
  for (char c : className) b.push_back(static_cast<uint8_t>(c));
  b.insert(b.end(), payload.begin(), payload.end());
  return b;
}

samples::Bytes Counted(const samples::Bytes& data) {
  const auto n = static_cast<uint32_t>(data.size());
  samples::Bytes b{static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8),
                   static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 24)};
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

class PictureTest : public ::testing::Test {
 protected:
  void SetUp() override { JpegModuleStartup(); }
  void TearDown() override { JpegModuleShutdown(); }
};

std::vector<std::string> Extensions() {
  std::vector<std::string> out;
  for (const TFileFormat& f : GraphicFormats().Entries()) out.push_back(f.extension);
  return out;
}

TEST(GraphicFormats, JpegEntriesComeLastAndGoAtShutDown) {
  FreeGraphicFormats();
  using V = std::vector<std::string>;
  EXPECT_EQ(Extensions(), (V{"wmf", "emf", "ico", "bmp"}));
  EXPECT_EQ(GraphicFormats().Entries()[3].description, "Bitmaps");
  EXPECT_EQ(GraphicFormats().Entries()[1].description, "Enhanced Metafiles");
  JpegModuleStartup();
  EXPECT_EQ(Extensions(), (V{"wmf", "emf", "ico", "bmp", "jpeg", "jpg"}));
  EXPECT_EQ(GraphicFormats().Entries()[5].description, "JPEG Image File");
  EXPECT_EQ(FindGraphicClass("TJPEGImage"), &TJPEGImage::StaticClass());
  EXPECT_EQ(FindGraphicClass("tjpegimage"), nullptr);
  EXPECT_EQ(FindGraphicClass("TMetafile"), &TMetafile::StaticClass());
  EXPECT_EQ(FindClipboardClass(CF_BITMAP), &TBitmap::StaticClass());
  JpegModuleShutdown();
  EXPECT_EQ(Extensions(), (V{"wmf", "emf", "ico", "bmp"}));
  EXPECT_EQ(FindGraphicClass("TJPEGImage"), nullptr);
  EXPECT_EQ(GraphicFormats().FindExtension("JPG"), nullptr);
  // Removal takes derived classes too, from both registries.
  RemoveGraphicFormats(TGraphic::StaticClass());
  EXPECT_TRUE(GraphicFormats().Entries().empty());
  EXPECT_EQ(FindClipboardClass(CF_BITMAP), nullptr);
  FreeGraphicFormats();
}

TEST_F(PictureTest, DataOfOneZeroByteIsAnEmptyPicture) {
  TPicture picture;
  PictureChangeCounter counter;
  picture.OnChange = TNotifyEvent::Bind<&PictureChangeCounter::Changed>(&counter);
  ReadData(picture, {0});
  EXPECT_EQ(picture.Graphic(), nullptr);
  EXPECT_EQ(counter.count, 1);
  EXPECT_EQ(picture.Width(), 0);
  bool hasData = true;
  EXPECT_EQ(WriteData(picture, &hasData), samples::Bytes{0});
  EXPECT_FALSE(hasData);
}

TEST_F(PictureTest, UnknownOrMisspelledClassGivesAnEmptyPicture) {
  TPicture picture;
  const samples::Bytes jpeg = samples::EncodeJpeg(16, 8, 3, false);
  ReadData(picture, Block("TJPEGImage", Counted(jpeg)));
  ASSERT_NE(picture.Graphic(), nullptr);
  ReadData(picture, Block("tjpegimage", Counted(jpeg)));
  EXPECT_EQ(picture.Graphic(), nullptr);
}

TEST_F(PictureTest, JpegDataRoundTripsByteForByte) {
  TPicture picture;
  const samples::Bytes jpeg = samples::EncodeJpeg(40, 24, 3, false);
  const samples::Bytes block = Block("TJPEGImage", Counted(jpeg));
  ReadData(picture, block);
  auto* image = dynamic_cast<TJPEGImage*>(picture.Graphic());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Data()->data->Size(), static_cast<int64_t>(jpeg.size()));
  EXPECT_EQ(picture.Width(), 40);
  EXPECT_EQ(picture.Height(), 24);
  EXPECT_EQ(image->DecodedBitmap(), nullptr);
  bool hasData = false;
  EXPECT_EQ(WriteData(picture, &hasData), block);
  EXPECT_TRUE(hasData);
}

TEST_F(PictureTest, BitmapDataRoundTrips) {
  TPicture picture;
  TBitmap* bitmap = picture.AsBitmap();
  bitmap->SetPixelLayout(px24Bit);
  bitmap->SetImageSize(3, 2);
  const samples::Bytes written = WriteData(picture);
  ASSERT_GT(written.size(), 8u);
  EXPECT_EQ(std::string(written.begin() + 1, written.begin() + 8), "TBitmap");
  TPicture back;
  ReadData(back, written);
  ASSERT_NE(dynamic_cast<TBitmap*>(back.Graphic()), nullptr);
  EXPECT_EQ(back.Width(), 3);
  EXPECT_EQ(WriteData(back), written);
}

TEST_F(PictureTest, FailedReadKeepsTheOldGraphic) {
  TPicture picture;
  ReadData(picture, Block("TJPEGImage", Counted(samples::EncodeJpeg(8, 8, 3, false))));
  TGraphic* old = picture.Graphic();
  ASSERT_NE(old, nullptr);
  samples::Bytes shortPayload = Counted(samples::EncodeJpeg(8, 8, 3, false));
  shortPayload.resize(shortPayload.size() - 5);
  EXPECT_THROW(ReadData(picture, Block("TJPEGImage", shortPayload)), EReadError);
  EXPECT_EQ(picture.Graphic(), old);
  // A name longer than the 63-character field is refused, not copied.
  samples::Bytes longName(1, 64);
  longName.resize(65, 'A');
  EXPECT_THROW(ReadData(picture, longName), EReadError);
  EXPECT_EQ(picture.Graphic(), old);
}

TEST_F(PictureTest, GraphicAssignmentCopiesAndForcingReplaces) {
  TPicture picture;
  PictureChangeCounter counter;
  picture.OnChange = TNotifyEvent::Bind<&PictureChangeCounter::Changed>(&counter);
  TBitmap own;
  own.SetPixelLayout(px24Bit);
  own.SetImageSize(4, 4);
  picture.SetGraphic(&own);
  EXPECT_EQ(counter.count, 1);
  ASSERT_NE(picture.Graphic(), &own);
  EXPECT_EQ(picture.Width(), 4);
  // The copy shares own's pixels until one of them changes.
  EXPECT_EQ(static_cast<TBitmap*>(picture.Graphic())->Image(), own.Image());
  picture.ForceGraphicClass(TBitmap::StaticClass());
  EXPECT_EQ(counter.count, 1);
  picture.ForceGraphicClass(TJPEGImage::StaticClass());
  EXPECT_EQ(counter.count, 2);
  EXPECT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
  // Changes of the graphic reach the picture's owner.
  picture.AsBitmap()->SetImageSize(2, 2);
  EXPECT_EQ(counter.count, 4);
  picture.Assign(nullptr);
  EXPECT_EQ(picture.Graphic(), nullptr);
}

TEST_F(PictureTest, WrittenOnlyWhenDifferentFromTheAncestor) {
  const samples::Bytes block = Block("TJPEGImage", Counted(samples::EncodeJpeg(8, 8, 3, false)));
  TPicture a;
  TPicture b;
  ReadData(a, block);
  ReadData(b, block);
  BlobFiler filer;
  filer.SetAncestor(&b);
  a.DeclareExtraProperties(filer);
  EXPECT_FALSE(filer.hasData);
  TPicture empty;
  filer.SetAncestor(&empty);
  a.DeclareExtraProperties(filer);
  EXPECT_TRUE(filer.hasData);
}

}  // namespace

TEST_F(PictureTest, GraphicStoredDirectlyKeepsItsOwnDataBlock) {
  TBitmap empty;
  BlobFiler filer;
  empty.DeclareExtraProperties(filer);
  EXPECT_EQ(filer.names, std::vector<std::string>{"Data"});
  EXPECT_FALSE(filer.hasData);

  TBitmap a;
  a.SetPixelLayout(px24Bit);
  a.SetImageSize(3, 2);
  a.Canvas()->SetPixelAt(1, 1, clRed);
  a.DeclareExtraProperties(filer);
  EXPECT_TRUE(filer.hasData);
  TMemoryStream stream;
  filer.write(stream);
  stream.SetPosition(0);
  TBitmap b;
  b.DeclareExtraProperties(filer);
  filer.read(stream);
  EXPECT_EQ(b.ImageWidth(), 3);
  EXPECT_EQ(b.Canvas()->PixelAt(1, 1), static_cast<COLORREF>(clRed));

  // Against an ancestor: written only when the image differs; any other kind of
  // ancestor always gets it.
  filer.SetAncestor(&b);
  a.DeclareExtraProperties(filer);
  EXPECT_FALSE(filer.hasData);
  b.Canvas()->SetPixelAt(0, 0, clBlue);
  a.DeclareExtraProperties(filer);
  EXPECT_TRUE(filer.hasData);
  TPicture picture;
  filer.SetAncestor(&picture);
  empty.DeclareExtraProperties(filer);
  EXPECT_TRUE(filer.hasData);
}
