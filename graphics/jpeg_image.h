#pragma once
// TJPEGImage: a graphic holding a JPEG file's bytes, decoded into a 24-bit (or
// 8-bit) TBitmap the first time it is drawn or its pixels are needed.
#include <cstdint>
#include <memory>

#include "classes/streams.h"
#include "graphics/graphic.h"
#include "graphics/shared_image.h"

class TBitmap;
struct JpegDecodeContext;

enum TJPEGPixelFormat : uint8_t { ofRGB24, ofIndexed8 };
enum TJPEGPerformance : uint8_t { dqBestQuality, dqBestSpeed };
enum TJPEGScale : uint8_t { scFull, scHalf, scQuarter, scEighth };

// Options copied into every new image.
struct TJPEGDefaults {
  uint8_t EncodeQuality = 90;
  bool GrayOutput = false;
  TJPEGPerformance DecodeSpeed = dqBestQuality;
  TJPEGPixelFormat OutputFormat = ofRGB24;
  bool ShowProgressively = false;
  bool EncodeProgressive = false;
  TJPEGScale DecodeScale = scFull;
  bool BlockSmoothing = true;
};
extern TJPEGDefaults JpegDefaults;

// The compressed bytes and what the frame header says, shared between copies.
class TJPEGData : public TSharedImage {
 public:
  void FreeHandle() override {}

  std::unique_ptr<TMemoryStream> data;  // the file exactly as read
  int width = 0;
  int height = 0;
  bool grayscale = false;
};

class TJPEGImage : public TGraphic {
 public:
  TJPEGImage();
  ~TJPEGImage() override;

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  static const TGraphicClass& StaticClass();
  const TGraphicClass& GraphicClass() const override { return StaticClass(); }

  void DrawInto(TCanvas* canvas, const RECT& rect) override;
  bool SameImage(TGraphic* other) override;
  bool IsEmpty() override;
  int ImageHeight() override;
  int ImageWidth() override;
  HPALETTE PaletteHandle() override;
  void SetPaletteHandle(HPALETTE palette) override;
  void SetImageHeight(int value) override;
  void SetImageWidth(int value) override;
  void ReadPayload(TStream& stream) override;
  void WritePayload(TStream& stream) override;
  void LoadStream(TStream& stream) override;
  void SaveStream(TStream& stream) override;
  void LoadClipboardData(uint16_t format, HANDLE data, HPALETTE palette) override;
  void SaveClipboardData(uint16_t& format, HANDLE& data, HPALETTE& palette) override;
  void Assign(const TPersistent* source) override;
  void AssignTo(TPersistent& dest) const override;

  // The decoded bitmap, decoding on first call. Once a bitmap exists (even one
  // left partly filled by a failed run) it is returned without decoding again.
  TBitmap* DecodeToBitmap();
  // The decoded bitmap or none; never decodes.
  TBitmap* DecodedBitmap() const { return bitmap_; }
  TJPEGData* Data() const { return data_; }

  // Options (one byte each; this program never changes them after creation).
  bool BlockSmoothing = true;
  bool GrayOutput = false;
  TJPEGPixelFormat OutputFormat = ofRGB24;
  uint8_t EncodeQuality = 90;
  bool ShowProgressively = false;
  bool EncodeProgressive = false;
  TJPEGPerformance DecodeSpeed = dqBestQuality;
  TJPEGScale DecodeScale = scFull;

 private:
  friend void JpegImageProgress(JpegDecodeContext& context);
  void LoadData(TStream& stream, int64_t count);
  void NewData();
  void FreeBitmap();
  void PrepareDecoder(JpegDecodeContext& context);
  void CalcScaledSize();
  HPALETTE PaletteFromColormap(JpegDecodeContext& context);
  void TakeDecoderPalette(JpegDecodeContext& context);
  bool ApplyGivenPalette(JpegDecodeContext& context);
  void Decode(JpegDecodeContext& context);
  void ReadScans(JpegDecodeContext& context, int linesPerRead, ptrdiff_t rowStep, bool takePalette);
  void ReadRows(JpegDecodeContext& context, int linesPerRead, ptrdiff_t rowStep);

  TJPEGData* data_;
  TBitmap* bitmap_ = nullptr;
  int scaledWidth_ = 0;
  int scaledHeight_ = 0;
  HPALETTE tempPalette_ = nullptr;
  bool needRecalc_ = false;
  TJPEGScale scaledFor_ = scFull;  // the scale the scaled size was worked out for
};
