#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "classes/filer.h"
#include "classes/streams.h"
#include "graphics/bitmap.h"
#include "graphics/jpeg_decoder.h"
#include "graphics/jpeg_image.h"
#include "graphics/jpeg_module.h"
#include "graphics/picture.h"
#include "jpeg_samples.h"
#include "runtime/exception.h"
#include "tests/support/dib_surface.h"
#include "tests/support/exception_message.h"

namespace {

using samples::Bytes;
using samples::DataFiler;
using samples::PictureDataBlock;
using ImagePtr = std::unique_ptr<TJPEGImage, FreeDeleter>;

constexpr int kArtworkSize = 305872;

// The shared test surface with a canvas over it.
class Surface : public test_support::DibSurface {
 public:
  Surface(int width, int height) : DibSurface(width, height) { canvas.SetHandle(Dc()); }
  ~Surface() { canvas.SetHandle(nullptr); }
  TCanvas canvas;
};

// Records the progress reports an image makes.
class ProgressLog : public TObject {
 public:
  void Progress(TObject*, TProgressStage stage, uint8_t percent, bool redraw, const RECT&,
                const std::string&) {
    stages.push_back(static_cast<char>('0' + stage));
    lastPercent = percent;
    lastRedraw = redraw;
  }
  void Watch(TGraphic& g) { g.OnProgress = TProgressEvent::Bind<&ProgressLog::Progress>(this); }
  std::string stages;
  int lastPercent = -1;
  bool lastRedraw = false;
};

ImagePtr Load(const Bytes& file) {
  ImagePtr image(new TJPEGImage);
  TMemoryStream stream;
  stream.Write(file.data(), static_cast<int64_t>(file.size()));
  stream.SetPosition(0);
  image->LoadStream(stream);
  return image;
}

std::string ErrorText(int code) { return "JPEG error #" + std::to_string(code); }

// djpeg's BMP of `file`: rows bottom-up, BGR, padded to 4 bytes.
Bytes ReferenceDecode(const Bytes& file) {
  const char* djpeg = std::getenv("LAUNCHER_DJPEG");
  if (!djpeg || !*djpeg) return {};
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string in = std::string(temp) + "graphicsb_ref.jpg";
  const std::string out = std::string(temp) + "graphicsb_ref.bmp";
  if (FILE* f = std::fopen(in.c_str(), "wb")) {
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
  }
  std::string command =
      std::string("\"") + djpeg + "\" -bmp -outfile \"" + out + "\" \"" + in + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    return {};
  WaitForSingleObject(pi.hProcess, INFINITE);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  Bytes bmp = samples::ReadFile(out);
  DeleteFileA(in.c_str());
  DeleteFileA(out.c_str());
  return bmp;
}

class JpegTest : public ::testing::Test {
 protected:
  void SetUp() override { JpegModuleStartup(); }
  void TearDown() override { JpegModuleShutdown(); }
};

TEST_F(JpegTest, LauncherArtworkFromTheWindowDefinition) {
  const Bytes form = samples::LauncherFormStream();
  ASSERT_FALSE(form.empty()) << "no TFORM1.bin in " << samples::BuildFolder();
  const Bytes block = PictureDataBlock(form);
  ASSERT_EQ(block.size(), 305887u);
  EXPECT_EQ(Bytes(block.begin() + 11, block.begin() + 17),
            (Bytes{0xD0, 0xAA, 0x04, 0x00, 0xFF, 0xD8}));

  TPicture picture;
  DataFiler filer;
  picture.DeclareExtraProperties(filer);
  TMemoryStream stream;
  stream.Write(block.data(), static_cast<int64_t>(block.size()));
  stream.SetPosition(0);
  filer.read(stream);
  auto* image = dynamic_cast<TJPEGImage*>(picture.Graphic());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Data()->data->Size(), kArtworkSize);
  EXPECT_EQ(std::memcmp(image->Data()->data->Memory(), block.data() + 15, kArtworkSize), 0);
  // Known from the header alone.
  EXPECT_EQ(picture.Width(), 1152);
  EXPECT_EQ(picture.Height(), 846);
  EXPECT_EQ(image->DecodedBitmap(), nullptr);
  EXPECT_FALSE(image->EncodeProgressive);

  ProgressLog log;
  log.Watch(*image);
  Surface surface(846, 531);
  SetStretchBltMode(surface.Dc(), BLACKONWHITE);
  surface.canvas.StretchGraphic({0, 0, 846, 531}, image);
  TBitmap* bitmap = image->DecodedBitmap();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(log.stages.front(), '0');
  EXPECT_EQ(log.stages.back(), '2');
  EXPECT_EQ(log.lastPercent, 100);
  EXPECT_EQ(bitmap->PixelLayout(), px24Bit);
  EXPECT_EQ(bitmap->ImageWidth(), 1152);
  EXPECT_EQ(bitmap->ImageHeight(), 846);
  EXPECT_EQ(GetStretchBltMode(surface.Dc()), COLORONCOLOR);

  // A second draw only stretches the bitmap it already has.
  log.stages.clear();
  surface.canvas.StretchGraphic({0, 0, 846, 531}, image);
  EXPECT_EQ(image->DecodedBitmap(), bitmap);
  EXPECT_EQ(log.stages, "");

  const Bytes file(block.begin() + 15, block.end());
  const Bytes reference = ReferenceDecode(file);
  if (reference.empty()) GTEST_SKIP() << "reference decoder not available (LAUNCHER_DJPEG)";
  uint32_t offset = 0;
  std::memcpy(&offset, &reference[10], 4);
  const size_t rowBytes = 1152 * 3;  // already a multiple of 4
  ASSERT_EQ(reference.size(), offset + rowBytes * 846);
  for (int y = 0; y < 846; ++y) {
    const uint8_t* ours = static_cast<const uint8_t*>(bitmap->ScanLineAddress(y));
    const uint8_t* theirs = &reference[offset + rowBytes * (845 - y)];
    ASSERT_EQ(std::memcmp(ours, theirs, rowBytes), 0) << "row " << y;
  }
}

TEST_F(JpegTest, SizeComesFromTheHeaderAndCannotChange) {
  ImagePtr image = Load(samples::EncodeJpeg(33, 17, 3, false));
  EXPECT_EQ(image->ImageWidth(), 33);
  EXPECT_EQ(image->ImageHeight(), 17);
  EXPECT_EQ(image->DecodedBitmap(), nullptr);
  EXPECT_FALSE(image->IsEmpty());
  try {
    image->SetImageWidth(10);
    FAIL();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(), "Cannot change the size of a JPEG image");
  }
  EXPECT_THROW(image->SetImageSize(1, 1), EInvalidGraphicOperation);
}

TEST_F(JpegTest, SingleRowAndTopRowPixelsLandInOrder) {
  // Pure blue on top of pure red: the DIB gets blue, green, red bytes.
  auto paint = [](int, int y, int c) -> uint8_t {
    return y < 8 ? (c == 2 ? 255 : 0) : (c == 0 ? 255 : 0);
  };
  ImagePtr image = Load(samples::EncodeJpeg(16, 16, 3, false, paint));
  TBitmap* b = image->DecodeToBitmap();
  const auto* top = static_cast<const uint8_t*>(b->ScanLineAddress(0));
  const auto* bottom = static_cast<const uint8_t*>(b->ScanLineAddress(15));
  EXPECT_GT(top[0], 240);
  EXPECT_LT(top[2], 15);
  EXPECT_GT(bottom[2], 240);
  EXPECT_LT(bottom[0], 15);
  ImagePtr oneRow = Load(samples::EncodeJpeg(9, 1, 3, false));
  EXPECT_EQ(oneRow->DecodeToBitmap()->ImageHeight(), 1);
}

TEST_F(JpegTest, TruncatedFileDecodesWithoutError) {
  Bytes file = samples::EncodeJpeg(64, 64, 3, false);
  file.resize(file.size() / 2);
  ImagePtr image = Load(file);
  Surface surface(64, 64);
  EXPECT_NO_THROW(surface.canvas.StretchGraphic({0, 0, 64, 64}, image.get()));
  ASSERT_NE(image->DecodedBitmap(), nullptr);
  EXPECT_EQ(image->DecodedBitmap()->ImageHeight(), 64);
}

// A marker whose length runs past the end of the data meets the end marker the
// source inserts there: before the frame that is a header without an image, after
// the scan the picture is complete.
TEST_F(JpegTest, MarkerLongerThanTheRestOfTheFileEndsIt) {
  const Bytes whole = samples::EncodeJpeg(16, 16, 3, false);
  const Bytes longComment = {0xFF, 0xFE, 0xFF, 0xFF, 'x'};
  Bytes inHeader(whole.begin(), whole.begin() + 2);
  inHeader.insert(inHeader.end(), longComment.begin(), longComment.end());
  EXPECT_EQ(MessageOf<EJPEG>([&] { Load(inHeader); }), ErrorText(JERR_NO_IMAGE));

  for (size_t tail : {0u, 1u, 7u}) {
    SCOPED_TRACE(tail);
    Bytes afterScan(whole.begin(), whole.end() - 2);  // without its end marker
    afterScan.insert(afterScan.end(), longComment.begin(), longComment.end());
    afterScan.insert(afterScan.end(), tail, 0x55);
    ImagePtr image = Load(afterScan);
    EXPECT_EQ(MessageOf<EJPEG>([&] { image->DecodeToBitmap(); }), "");
    ASSERT_NE(image->DecodedBitmap(), nullptr);
    EXPECT_EQ(image->DecodedBitmap()->ImageHeight(), 16);
  }
}

TEST_F(JpegTest, DamagedMarkerRaisesOnceAtFirstDraw) {
  Bytes file = samples::EncodeJpeg(64, 64, 3, false);
  // A marker code that may not appear inside the scan data.
  const size_t sos = samples::FindMarker(file, 0xDA);
  ASSERT_NE(sos, std::string::npos);
  const size_t at = sos + 400;
  file[at] = 0xFF;
  file[at + 1] = 0x02;
  ImagePtr image = Load(file);
  Surface surface(64, 64);
  const std::string first = MessageOf<EJPEG>([&] {
    surface.canvas.StretchGraphic({0, 0, 64, 64}, image.get());
  });
  EXPECT_EQ(first, ErrorText(JERR_UNKNOWN_MARKER));
  TBitmap* partial = image->DecodedBitmap();
  ASSERT_NE(partial, nullptr);
  EXPECT_EQ(MessageOf<EJPEG>([&] {
              surface.canvas.StretchGraphic({0, 0, 64, 64}, image.get());
            }),
            "");
  EXPECT_EQ(image->DecodedBitmap(), partial);
}

TEST_F(JpegTest, HeaderErrorsRaiseAtLoad) {
  Bytes file = samples::EncodeJpeg(8, 8, 3, false);
  file[0] = 0x00;  // not a JPEG start
  EXPECT_EQ(MessageOf<EJPEG>([&] { Load(file); }), ErrorText(JERR_NO_SOI));
}

TEST_F(JpegTest, ZeroCountPayloadFailsAtFirstDrawWithEmptyInput) {
  TMemoryStream payload;
  const int32_t zero = 0;
  payload.Write(&zero, 4);
  payload.SetPosition(0);
  TJPEGImage image;
  image.ReadPayload(payload);
  EXPECT_FALSE(image.IsEmpty());
  EXPECT_EQ(JPEG_LIB_VERSION, 62);
  if (sizeof(void*) == 4) {
    EXPECT_EQ(sizeof(jpeg_error_mgr), 132u);
  }
  EXPECT_EQ(JERR_INPUT_EMPTY, 42);
  EXPECT_EQ(JWRN_JPEG_EOF, 120);
  EXPECT_EQ(MessageOf<EJPEG>([&] { image.DecodeToBitmap(); }), "JPEG error #42");
  TMemoryStream written;
  image.WritePayload(written);
  EXPECT_EQ(written.Size(), 4);
}

TEST_F(JpegTest, ShortPayloadIsAStreamReadError) {
  const Bytes file = samples::EncodeJpeg(8, 8, 3, false);
  TMemoryStream payload;
  const int32_t count = static_cast<int32_t>(file.size()) + 1;
  payload.Write(&count, 4);
  payload.Write(file.data(), static_cast<int64_t>(file.size()));
  payload.SetPosition(0);
  TJPEGImage image;
  try {
    image.ReadPayload(payload);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Stream read error");
  }
}

TEST_F(JpegTest, OversizedFrameIsRefusedBeforeAnyAllocation) {
  Bytes file = samples::EncodeJpeg(8, 8, 3, false);
  const size_t sof = samples::FindMarker(file, 0xC0);
  ASSERT_NE(sof, std::string::npos);
  // Height and width: 16384 x 16384.
  file[sof + 5] = 0x40;
  file[sof + 6] = 0x00;
  file[sof + 7] = 0x40;
  file[sof + 8] = 0x00;
  EXPECT_EQ(MessageOf<EJPEG>([&] { Load(file); }), ErrorText(JERR_IMAGE_TOO_BIG));
}

TEST_F(JpegTest, EndlessScansAreCutShort) {
  Bytes file = samples::EncodeJpeg(32, 32, 3, true);
  // Repeat the first scan (its header and data up to the next marker) many times.
  const size_t sos = samples::FindMarker(file, 0xDA);
  size_t end = sos + 2;
  while (end + 1 < file.size() && !(file[end] == 0xFF && file[end + 1] != 0x00 &&
                                    (file[end + 1] < 0xD0 || file[end + 1] > 0xD7)))
    ++end;
  const Bytes scan(file.begin() + sos, file.begin() + end);
  auto repeated = [&](int times) {
    Bytes forged(file.begin(), file.begin() + end);
    for (int i = 0; i < times; ++i) forged.insert(forged.end(), scan.begin(), scan.end());
    forged.insert(forged.end(), file.begin() + end, file.end());
    return Load(forged);
  };
  // A few hundred redundant scans are still decoded...
  EXPECT_NO_THROW(repeated(400)->DecodeToBitmap());
  // ...thousands are refused instead of keeping the decoder busy.
  ImagePtr image = repeated(5000);
  EXPECT_TRUE(image->EncodeProgressive);
  EXPECT_EQ(MessageOf<EJPEG>([&] { image->DecodeToBitmap(); }), ErrorText(JERR_BAD_PROGRESSION));
  // Larger frames are allowed fewer scans, but never fewer than a real file may use.
  EXPECT_EQ(jpeg_limits::ScanLimit(32 * 32), jpeg_limits::kMaxScans);
  EXPECT_LT(jpeg_limits::ScanLimit(int64_t{8000} * 4000), jpeg_limits::kMaxScans);
  EXPECT_EQ(jpeg_limits::ScanLimit(int64_t{1} << 40), jpeg_limits::kMinScans);
}

TEST_F(JpegTest, ProgressiveFilesDecodeBothWays) {
  const Bytes file = samples::EncodeJpeg(40, 30, 3, true);
  ImagePtr plain = Load(file);
  ImagePtr shown = Load(file);
  shown->ShowProgressively = true;
  TBitmap* a = plain->DecodeToBitmap();
  TBitmap* b = shown->DecodeToBitmap();
  ASSERT_EQ(b->ImageHeight(), 30);
  for (int y = 0; y < 30; y += 7) {
    const auto* ra = static_cast<const uint8_t*>(a->ScanLineAddress(y));
    const auto* rb = static_cast<const uint8_t*>(b->ScanLineAddress(y));
    for (int x = 0; x < 40 * 3; ++x) ASSERT_NEAR(ra[x], rb[x], 24) << y << "," << x;
  }
}

TEST_F(JpegTest, IndexedAndGrayOutputUsePalettes) {
  ImagePtr indexed = Load(samples::EncodeJpeg(48, 48, 3, false));
  indexed->OutputFormat = ofIndexed8;
  ProgressLog log;
  log.Watch(*indexed);
  TBitmap* b = indexed->DecodeToBitmap();
  EXPECT_EQ(b->PixelLayout(), px8Bit);
  HPALETTE palette = b->PaletteHandle();
  ASSERT_NE(palette, nullptr);
  WORD colors = 0;
  GetObjectA(palette, sizeof colors, &colors);
  EXPECT_GT(colors, 1);
  EXPECT_LE(colors, 236);
  EXPECT_TRUE(log.lastRedraw);

  // The decoder's colour map is in blue, green, red order: a red file stays red.
  ImagePtr red = Load(samples::EncodeJpeg(
      16, 16, 3, false, [](int, int, int c) -> uint8_t { return c == 0 ? 255 : 0; }));
  red->OutputFormat = ofIndexed8;
  TBitmap* r = red->DecodeToBitmap();
  const uint8_t index = static_cast<const uint8_t*>(r->ScanLineAddress(5))[5];
  PALETTEENTRY entry = {};
  ASSERT_EQ(GetPaletteEntries(r->PaletteHandle(), index, 1, &entry), 1u);
  EXPECT_GT(entry.peRed, 200);
  EXPECT_LT(entry.peBlue, 60);

  ImagePtr gray = Load(samples::EncodeJpeg(16, 16, 1, false));
  EXPECT_TRUE(gray->Data()->grayscale);
  TBitmap* g = gray->DecodeToBitmap();
  EXPECT_EQ(g->PixelLayout(), px8Bit);
  PALETTEENTRY e = {};
  ASSERT_EQ(GetPaletteEntries(g->PaletteHandle(), 1, 1, &e), 1u);
  EXPECT_EQ(e.peRed, e.peGreen);
  EXPECT_EQ(e.peGreen, e.peBlue);
}

TEST_F(JpegTest, DecodeOptionsShapeTheBitmap) {
  const Bytes file = samples::EncodeJpeg(32, 16, 3, false);
  ImagePtr gray = Load(file);
  gray->GrayOutput = true;
  TBitmap* g = gray->DecodeToBitmap();
  EXPECT_EQ(g->PixelLayout(), px8Bit);
  PALETTEENTRY e = {};
  ASSERT_EQ(GetPaletteEntries(g->PaletteHandle(), 5, 1, &e), 1u);
  EXPECT_EQ(e.peRed, e.peGreen);
  EXPECT_EQ(e.peGreen, e.peBlue);

  for (TJPEGScale scale : {scHalf, scQuarter, scEighth}) {
    ImagePtr scaled = Load(file);
    scaled->DecodeScale = scale;
    scaled->DecodeSpeed = dqBestSpeed;
    // Known before decoding, from the library's own calculation.
    EXPECT_EQ(scaled->ImageWidth(), 32 >> scale);
    EXPECT_EQ(scaled->ImageHeight(), 16 >> scale);
    EXPECT_EQ(scaled->DecodedBitmap(), nullptr);
    TBitmap* b = scaled->DecodeToBitmap();
    EXPECT_EQ(b->ImageWidth(), 32 >> scale);
    EXPECT_EQ(b->ImageHeight(), 16 >> scale);
    EXPECT_EQ(b->PixelLayout(), px24Bit);
  }
}

// CMYK and YCCK files draw as the same picture stored as YCbCr does, on every path
// that gives 24-bit rows; whatever no bitmap row can hold is refused before any
// pixel is written, and the bitmap stays empty.
TEST_F(JpegTest, InkAndUnknownColourSpaces) {
  EXPECT_EQ(JERR_CONVERSION_NOTIMPL, 27);
  constexpr int kWidth = 48, kHeight = 40;
  // Red across, green down, blue falling: bright, dark and saturated corners.
  const samples::Painter light = [](int x, int y, int c) -> uint8_t {
    const int v[3] = {x * 255 / (kWidth - 1), y * 255 / (kHeight - 1),
                      255 - (x + y) * 255 / (kWidth + kHeight - 2)};
    return static_cast<uint8_t>(v[c]);
  };
  const Bytes cmyk = samples::EncodeInks(kWidth, kHeight, JCS_CMYK, true, false, light);
  const Bytes plainInks = samples::EncodeInks(kWidth, kHeight, JCS_CMYK, false, false, light);
  const Bytes ycck = samples::EncodeInks(kWidth, kHeight, JCS_YCCK, true, false, light);
  const Bytes progressive = samples::EncodeInks(kWidth, kHeight, JCS_YCCK, true, true, light);
  const Bytes two = samples::EncodeUnknown(kWidth, kHeight, 2);
  const Bytes five = samples::EncodeUnknown(kWidth, kHeight, 5);
  struct Case {
    const char* name;
    const Bytes& file;
    TJPEGPixelFormat format;
    bool gray;
    TJPEGScale scale;
    bool shown;  // ShowProgressively
    int error;   // 0: drawn as the YCbCr file is
  } cases[] = {
      {"cmyk", cmyk, ofRGB24, false, scFull, false, 0},
      {"cmyk without marker", plainInks, ofRGB24, false, scFull, false, 0},
      {"ycck", ycck, ofRGB24, false, scFull, false, 0},
      {"ycck halved", ycck, ofRGB24, false, scHalf, false, 0},
      {"progressive", progressive, ofRGB24, false, scFull, false, 0},
      {"progressive shown", progressive, ofRGB24, false, scQuarter, true, 0},
      {"cmyk indexed", cmyk, ofIndexed8, false, scFull, false, JERR_CONVERSION_NOTIMPL},
      {"ycck gray", ycck, ofRGB24, true, scFull, false, JERR_CONVERSION_NOTIMPL},
      {"two", two, ofRGB24, false, scFull, false, JERR_CONVERSION_NOTIMPL},
      {"two indexed", two, ofIndexed8, false, scFull, false, JERR_CONVERSION_NOTIMPL},
      {"two gray", two, ofRGB24, true, scFull, false, JERR_CONVERSION_NOTIMPL},
      {"five", five, ofRGB24, false, scHalf, false, JERR_CONVERSION_NOTIMPL},
  };
  for (const Case& c : cases) {
    for (TJPEGPerformance speed : {dqBestQuality, dqBestSpeed}) {
      SCOPED_TRACE(std::string(c.name) + (speed == dqBestSpeed ? ", fast" : ""));
      auto decode = [&](const Bytes& file, std::string& error) {
        ImagePtr image = Load(file);
        image->OutputFormat = c.format;
        image->GrayOutput = c.gray;
        image->DecodeScale = c.scale;
        image->DecodeSpeed = speed;
        image->ShowProgressively = c.shown;
        EXPECT_EQ(image->ImageWidth(), kWidth >> c.scale);  // from the header alone
        error = MessageOf<EJPEG>([&] { image->DecodeToBitmap(); });
        return image;
      };
      std::string error;
      ImagePtr image = decode(c.file, error);
      EXPECT_FALSE(image->Data()->grayscale);
      TBitmap* b = image->DecodedBitmap();
      ASSERT_NE(b, nullptr);
      if (c.error) {
        EXPECT_EQ(error, ErrorText(c.error));
        EXPECT_TRUE(b->IsEmpty());
        continue;
      }
      ASSERT_EQ(error, "");
      ImagePtr plain = decode(samples::EncodeJpeg(kWidth, kHeight, 3, c.shown, light), error);
      ASSERT_EQ(error, "");
      TBitmap* p = plain->DecodedBitmap();
      ASSERT_EQ(b->PixelLayout(), px24Bit);
      ASSERT_EQ(b->ImageWidth(), p->ImageWidth());
      ASSERT_EQ(b->ImageHeight(), p->ImageHeight());
      int worst = 0;
      for (int y = 0; y < b->ImageHeight(); ++y) {
        const auto* rb = static_cast<const uint8_t*>(b->ScanLineAddress(y));
        const auto* rp = static_cast<const uint8_t*>(p->ScanLineAddress(y));
        for (int x = 0; x < b->ImageWidth() * 3; ++x)
          worst = std::max(worst, std::abs(rb[x] - rp[x]));
      }
      EXPECT_LE(worst, 16);
    }
  }
}

TEST_F(JpegTest, AssignmentBothWays) {
  ImagePtr source = Load(samples::EncodeJpeg(12, 10, 3, false));
  TJPEGImage copy;
  copy.Assign(source.get());
  EXPECT_EQ(copy.Data(), source->Data());
  EXPECT_TRUE(copy.SameImage(source.get()));
  TBitmap bitmap;
  bitmap.Assign(source.get());
  EXPECT_EQ(bitmap.ImageWidth(), 12);
  EXPECT_EQ(bitmap.Image(), source->DecodedBitmap()->Image());
  TJPEGImage fromBitmap;
  fromBitmap.Assign(&bitmap);
  EXPECT_FALSE(fromBitmap.IsEmpty());
  EXPECT_EQ(fromBitmap.ImageWidth(), 12);
  EXPECT_FALSE(fromBitmap.SameImage(source.get()));
  EXPECT_FALSE(source->SameImage(&bitmap));
}

TEST_F(JpegTest, AbortFromAProgressHandlerEndsDecodingQuietly) {
  class Aborter : public TObject {
   public:
    void Progress(TObject*, TProgressStage stage, uint8_t, bool, const RECT&, const std::string&) {
      if (stage == psStarting) throw EAbort("stop");
    }
  } aborter;
  ImagePtr image = Load(samples::EncodeJpeg(16, 16, 3, false));
  image->OnProgress = TProgressEvent::Bind<&Aborter::Progress>(&aborter);
  EXPECT_NO_THROW(image->DecodeToBitmap());
  EXPECT_NE(image->DecodedBitmap(), nullptr);
}

}  // namespace
