#pragma once
// TBitmap: the raster graphic. It holds a device-dependent bitmap or a DIB section
// (shared between copies until one of them changes), gives direct access to pixel
// rows, has its own canvas and draws itself stretched onto other canvases.
#include <cstdint>
#include <memory>
#include <optional>

#include "classes/streams.h"
#include "graphics/canvas.h"
#include "graphics/colors.h"
#include "graphics/graphic.h"
#include "graphics/shared_image.h"
#include "platform/gdi_handles.h"
#include "platform/win32.h"

class TBitmap;

enum TBitmapHandleKind : uint8_t { hkDIB, hkDDB };
enum TPixelLayout : uint8_t {
  pxDevice,
  px1Bit,
  px4Bit,
  px8Bit,
  px15Bit,
  px16Bit,
  px24Bit,
  px32Bit,
  pxCustom
};

class TBitmapImage : public TSharedImage {
 public:
  TBitmapImage();
  ~TBitmapImage() override;
  void FreeHandle() override;

  HBITMAP handle = nullptr;      // in use: a DDB, or the DIB section itself
  HBITMAP maskHandle = nullptr;  // monochrome mask for transparent drawing
  HPALETTE palette = nullptr;
  HBITMAP dibHandle = nullptr;
  DIBSECTION dib;
  std::unique_ptr<TMemoryStream> saveStream;  // only while dormant
  bool os2Format = false;                     // read from (and written with) a core header
  bool halftone = false;
  // An adopted section that keeps its top row first in memory. Sections made here are
  // always bottom-up; the system describes both kinds with a positive height.
  bool topDown = false;
};

// A bitmap's own canvas: a memory DC with the bitmap selected, made on demand and
// given back at the release points.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* bitmap);
  ~TBitmapCanvas() override;
  void AcquireDeviceContext() override;
  // Puts back what the DC had selected and deletes it.
  void FreeContext();
  HBITMAP SelectedBitmap() const { return selected_; }

 private:
  TBitmap* bitmap_;
  HBITMAP selected_ = nullptr;
  // The DC's own selections while it exists; undone before it is deleted.
  std::optional<SelectGuard> bitmapSelection_;
  std::optional<PaletteGuard> paletteSelection_;
};

class TBitmap : public TGraphic {
 public:
  TBitmap();
  ~TBitmap() override;

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  static const TGraphicClass& StaticClass();
  const TGraphicClass& GraphicClass() const override { return StaticClass(); }

  // Graphic operations.
  void NotifyChange() override;
  void DrawInto(TCanvas* canvas, const RECT& rect) override;
  bool IsEmpty() override;
  int ImageHeight() override;
  int ImageWidth() override;
  HPALETTE PaletteHandle() override;
  void SetImageHeight(int value) override;
  void SetPaletteHandle(HPALETTE palette) override;
  void SetImageWidth(int value) override;
  void SetImageSize(int width, int height) override;
  void ReadPayload(TStream& stream) override;
  void WritePayload(TStream& stream) override;
  void LoadStream(TStream& stream) override;
  void SaveStream(TStream& stream) override;
  void LoadClipboardData(uint16_t format, HANDLE data, HPALETTE palette) override;
  void SaveClipboardData(uint16_t& format, HANDLE& data, HPALETTE& palette) override;
  void Assign(const TPersistent* source) override;

  // Bitmap operations.
  virtual HBITMAP NativeHandle();
  virtual HBITMAP TransparencyMask();
  virtual void SetHandleKind(TBitmapHandleKind kind);
  void SetNativeHandle(HBITMAP handle);
  TBitmapHandleKind HandleKind() const;
  TPixelLayout PixelLayout() const;
  void SetPixelLayout(TPixelLayout layout);
  // Address of pixel row `row` (0 = top); raises "Scan line index out of range".
  void* ScanLineAddress(int row);
  TCanvas* Canvas();
  void MakeDormant();
  TColor TransparentColor();
  void SetTransparentColor(TColor color);
  uint8_t TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(uint8_t mode) { transparentMode_ = mode; }
  bool Monochrome() const;

  // Internals that the canvas, the brush cache and the JPEG decoder reach.
  TBitmapImage* Image() const { return image_; }
  void PrepareForChange();  // also the canvas's OnChanging
  void EnsureHandle();
  void EnsureDib();
  void EnsurePalette();

 private:
  void CanvasChanging(TObject* sender);
  void CanvasChanged(TObject* sender);
  void ReplaceImage(HBITMAP handle, HPALETTE palette, const DIBSECTION& dib, bool os2Format,
                    std::unique_ptr<TMemoryStream> saveStream = nullptr);
  void ReleaseCanvasContext();
  void ReadBmp(TStream& stream, int64_t size);
  void WriteBmp(TStream& stream);
  void BuildMask();

  TBitmapImage* image_;
  std::unique_ptr<TBitmapCanvas, FreeDeleter> canvas_;
  bool noPalette_ = false;
  bool maskValid_ = false;
  bool maskBitsValid_ = false;
  TColor transparentColor_ = clDefault;
  uint8_t transparentMode_ = 0;
};

// --- process-wide bitmap state ---------------------------------------------------

// The 16-colour system palette, the image-swap lock and the list of bitmap
// canvases holding a DC; made by BitmapStartup (or on first need), freed by
// BitmapShutdown.
void BitmapStartup();
void BitmapShutdown();
HPALETTE SystemPalette16();
// When set, new bitmaps start as device-dependent ones. Nothing here sets it.
extern bool DdbOnlyBitmaps;

// Releases the DC of every bitmap canvas that is not locked (visited last to
// first); windowed controls call this after each message.
void FreeMemoryContexts();
// Takes `bitmap` out of every bitmap canvas DC that has it selected.
void DeselectBitmap(HBITMAP bitmap);

// Raises EOutOfResources with the system's text for GetLastError, or
// "Out of system resources" when there is none.
[[noreturn]] void RaiseOutOfResources();
// `value` itself, or the platform error when it is 0.
template <class H>
H CheckHandle(H value) {
  if (!value) RaiseOutOfResources();
  return value;
}

// Bytes per row of a DIB: rows are padded to 32 bits.
constexpr int32_t DibRowBytes(int32_t width, int32_t bitCount) {
  return static_cast<int32_t>(((static_cast<int64_t>(width) * bitCount + 31) & ~31) / 8);
}

// The routine every format change, resize and conversion goes through: a new
// native bitmap described by `dib` (0 for a zero size), with the pixels of
// `source` copied in when there is one.
HBITMAP CopyBitmap(HBITMAP source, HPALETTE oldPalette, HPALETTE newPalette, DIBSECTION& dib,
                   TCanvas* canvas);
// A palette from a DIB section's colour table, or 0 when it has none.
HPALETTE PaletteFromDibColorTable(HBITMAP dibHandle, int colors);
// A copy of `palette` (0 for 0).
HPALETTE CopyPalette(HPALETTE palette);
