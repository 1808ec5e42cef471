#include "graphics/jpeg_image.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "classes/metadata_builder.h"
#include "graphics/bitmap.h"
#include "graphics/jpeg_decoder.h"
#include "platform/gdi_handles.h"
#include "runtime/exception.h"
#include "runtime/messages.h"

TJPEGDefaults JpegDefaults;

namespace {

constexpr DWORD kProgressInterval = 500;  // ms between progress reports
constexpr RECT kEmptyRect = {0, 0, 0, 0};

}  // namespace

const ClassMetadata& TJPEGImage::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TJPEGImage>("TJPEGImage", &TGraphic::StaticMeta(), "graphics").Build();
  return meta;
}

const TGraphicClass& TJPEGImage::StaticClass() {
  static const TGraphicClass cls{&TJPEGImage::StaticMeta,
                                 []() -> TGraphic* { return new TJPEGImage; }};
  return cls;
}

TJPEGImage::TJPEGImage() : data_(new TJPEGData) {
  data_->Reference();
  BlockSmoothing = JpegDefaults.BlockSmoothing;
  GrayOutput = JpegDefaults.GrayOutput;
  OutputFormat = JpegDefaults.OutputFormat;
  EncodeQuality = JpegDefaults.EncodeQuality;
  ShowProgressively = JpegDefaults.ShowProgressively;
  EncodeProgressive = JpegDefaults.EncodeProgressive;
  DecodeSpeed = JpegDefaults.DecodeSpeed;
  DecodeScale = JpegDefaults.DecodeScale;
}

TJPEGImage::~TJPEGImage() {
  if (tempPalette_) DeleteObject(tempPalette_);
  FreeBitmap();
  TSharedImage::Release(data_);
}

void TJPEGImage::FreeBitmap() {
  TObject::FreeObject(bitmap_);
  bitmap_ = nullptr;
}

void TJPEGImage::NewData() {
  auto* data = new TJPEGData;
  data->Reference();
  TSharedImage::Release(data_);
  data_ = data;
  needRecalc_ = true;
}

// --- sizes and state --------------------------------------------------------------

bool TJPEGImage::IsEmpty() {
  if (data_->data) return false;
  return !bitmap_ || bitmap_->IsEmpty();
}

void TJPEGImage::CalcScaledSize() {
  // The options are plain fields here, so a changed scale counts as a reason to
  // recalculate, as new data does.
  if (!needRecalc_ && scaledFor_ == DecodeScale) return;
  if (!data_->data) {
    scaledWidth_ = scaledHeight_ = 0;
    needRecalc_ = false;
    scaledFor_ = DecodeScale;
    return;
  }
  OwnedJpegContext holder;
  PrepareDecoder(*holder.context);
  holder.context->cinfo.progress = nullptr;
  JpegCalcOutputDimensions(*holder.context);
  scaledWidth_ = static_cast<int>(holder.context->cinfo.output_width);
  scaledHeight_ = static_cast<int>(holder.context->cinfo.output_height);
  EncodeProgressive = JpegHasMultipleScans(*holder.context);
  needRecalc_ = false;
  scaledFor_ = DecodeScale;
}

int TJPEGImage::ImageWidth() {
  if (bitmap_) return bitmap_->ImageWidth();
  if (DecodeScale == scFull) return data_->width;
  CalcScaledSize();
  return scaledWidth_;
}

int TJPEGImage::ImageHeight() {
  if (bitmap_) return bitmap_->ImageHeight();
  if (DecodeScale == scFull) return data_->height;
  CalcScaledSize();
  return scaledHeight_;
}

void TJPEGImage::SetImageWidth(int) { throw EInvalidGraphicOperation(msg::kJpegCannotResize, {}); }

void TJPEGImage::SetImageHeight(int) { throw EInvalidGraphicOperation(msg::kJpegCannotResize, {}); }

HPALETTE TJPEGImage::PaletteHandle() {
  if (bitmap_) return bitmap_->PaletteHandle();
  if (tempPalette_) return tempPalette_;
  if (OutputFormat == ofIndexed8) return nullptr;
  WindowDC screen(nullptr);
  if (screen && GetDeviceCaps(screen.Get(), BITSPIXEL) * GetDeviceCaps(screen.Get(), PLANES) <= 8)
    tempPalette_ = CreateHalftonePalette(screen.Get());
  return tempPalette_;
}

void TJPEGImage::SetPaletteHandle(HPALETTE palette) {
  if (palette == tempPalette_) return;
  bool freed = false;
  if (bitmap_ && bitmap_->PaletteHandle() != palette) {
    FreeBitmap();
    freed = true;
  }
  if (tempPalette_) DeleteObject(tempPalette_);
  tempPalette_ = palette;
  if (freed) {
    SetPaletteModified(true);
    NotifyChange();
  }
}

bool TJPEGImage::SameImage(TGraphic* other) {
  auto* jpeg = dynamic_cast<TJPEGImage*>(other);
  if (!jpeg) return false;
  if (data_->data && jpeg->data_->data) return SamePayloads(this, jpeg);
  return data_ == jpeg->data_;
}

// --- loading and saving -----------------------------------------------------------

void TJPEGImage::LoadData(TStream& stream, int64_t count) {
  // A count beyond what the stream holds is a short read: refuse it before
  // allocating room for it.
  if (count < 0 || count > stream.Size() - stream.Position())
    throw EReadError(msg::kStreamReadError, {});
  NewData();
  FreeBitmap();
  data_->data = std::make_unique<TMemoryStream>();
  data_->data->SetSize(count);
  if (count > 0) stream.ReadBuffer(data_->data->Memory(), count);
  if (count > 0) {
    const JpegHeaderInfo info = JpegReadHeaderOnly(*data_->data);
    data_->width = info.width;
    data_->height = info.height;
    data_->grayscale = info.grayscale;
    EncodeProgressive = info.multipleScans;
  }
  SetPaletteModified(true);
  NotifyChange();
}

void TJPEGImage::ReadPayload(TStream& stream) {
  int32_t count = 0;
  stream.ReadBuffer(&count, sizeof count);
  LoadData(stream, count);
}

void TJPEGImage::WritePayload(TStream& stream) {
  const int32_t count = data_->data ? static_cast<int32_t>(data_->data->Size()) : 0;
  stream.WriteBuffer(&count, sizeof count);
  if (count > 0) stream.WriteBuffer(data_->data->Memory(), count);
}

void TJPEGImage::LoadStream(TStream& stream) {
  LoadData(stream, stream.Size() - stream.Position());
}

void TJPEGImage::SaveStream(TStream& stream) {
  if (!data_->data && bitmap_ && !bitmap_->IsEmpty())
    // Nothing in this program encodes; say so rather than write nothing.
    throw EInvalidGraphicOperation(msg::kJpegNoEncoder, {});
  if (data_->data) stream.WriteBuffer(data_->data->Memory(), data_->data->Size());
}

void TJPEGImage::LoadClipboardData(uint16_t format, HANDLE data, HPALETTE palette) {
  std::unique_ptr<TBitmap, FreeDeleter> bitmap(new TBitmap);
  bitmap->LoadClipboardData(format, data, palette);
  Assign(bitmap.get());
}

void TJPEGImage::SaveClipboardData(uint16_t& format, HANDLE& data, HPALETTE& palette) {
  DecodeToBitmap()->SaveClipboardData(format, data, palette);
}

void TJPEGImage::Assign(const TPersistent* source) {
  if (auto* jpeg = dynamic_cast<const TJPEGImage*>(source)) {
    if (jpeg == this) return;
    jpeg->data_->Reference();
    TSharedImage::Release(data_);
    data_ = jpeg->data_;
    needRecalc_ = true;
    FreeBitmap();
    if (jpeg->bitmap_) {
      bitmap_ = new TBitmap;
      bitmap_->Assign(jpeg->bitmap_);
    }
    SetPaletteModified(true);
    NotifyChange();
  } else if (auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
    NewData();
    FreeBitmap();
    bitmap_ = new TBitmap;
    bitmap_->Assign(bitmap);
    SetPaletteModified(true);
    NotifyChange();
  } else {
    TGraphic::Assign(source);
  }
}

void TJPEGImage::AssignTo(TPersistent& dest) const {
  if (auto* bitmap = dynamic_cast<TBitmap*>(&dest)) {
    bitmap->Assign(const_cast<TJPEGImage*>(this)->DecodeToBitmap());
    return;
  }
  TGraphic::AssignTo(dest);
}

void TJPEGImage::DrawInto(TCanvas* canvas, const RECT& rect) {
  canvas->StretchGraphic(rect, DecodeToBitmap());
}

// --- decoding ---------------------------------------------------------------------

void JpegImageProgress(JpegDecodeContext& context) {
  auto* image = static_cast<TJPEGImage*>(context.progress.image);
  if (!image) return;
  JpegProgress& p = context.progress;
  const DWORD now = GetTickCount();
  if (now - p.lastTime < kProgressInterval) return;
  const DWORD previous = p.lastTime;
  p.lastTime = now;
  if (previous == 0) return;
  const jpeg_decompress_struct& cinfo = context.cinfo;
  RECT r = kEmptyRect;
  const int scanline = static_cast<int>(cinfo.output_scanline);
  r = {0, p.lastRow, static_cast<LONG>(cinfo.output_width), scanline};
  // A new pass began: everything below the last reported row changes too.
  if (scanline < p.lastRow) r.bottom = static_cast<LONG>(cinfo.output_height);
  if (p.pub.pass_limit <= 0 || p.pub.total_passes <= 0) return;
  const int percent = static_cast<int>(
      (static_cast<double>(p.pub.pass_counter) / static_cast<double>(p.pub.pass_limit) +
       p.pub.completed_passes) *
      100.0 / p.pub.total_passes);
  if (percent == p.lastPercent) return;
  p.lastPercent = percent;
  p.lastRow = scanline;
  image->ReportProgress(image, psRunning, static_cast<uint8_t>(std::clamp(percent, 0, 100)),
                        r.bottom - r.top >= 4, r, std::string());
}

void TJPEGImage::PrepareDecoder(JpegDecodeContext& context) {
  JpegCreate(context);
  JpegAttachProgress(context, &JpegImageProgress, this);
  jpeg_decompress_struct& cinfo = context.cinfo;
  JpegReadHeader(context, *data_->data);
  cinfo.scale_num = 1;
  cinfo.scale_denom = 1u << DecodeScale;
  cinfo.do_block_smoothing = BlockSmoothing ? TRUE : FALSE;
  if (GrayOutput) cinfo.out_color_space = JCS_GRAYSCALE;
  if (OutputFormat == ofIndexed8 || cinfo.out_color_space == JCS_GRAYSCALE) {
    cinfo.quantize_colors = TRUE;
    cinfo.desired_number_of_colors = 236;
  }
  if (DecodeSpeed == dqBestSpeed) {
    cinfo.dct_method = JDCT_IFAST;
    cinfo.two_pass_quantize = FALSE;
    cinfo.dither_mode = JDITHER_ORDERED;
  }
  context.savedDctMethod = cinfo.dct_method;
  context.savedTwoPassQuantize = cinfo.two_pass_quantize != 0;
  context.savedDitherMode = cinfo.dither_mode;
  if (ShowProgressively && JpegHasMultipleScans(context)) {
    cinfo.enable_2pass_quant = cinfo.two_pass_quantize;
    cinfo.dct_method = JDCT_IFAST;
    cinfo.two_pass_quantize = FALSE;
    cinfo.dither_mode = JDITHER_ORDERED;
    cinfo.buffered_image = TRUE;
  }
}

HPALETTE TJPEGImage::PaletteFromColormap(JpegDecodeContext& context) {
  const jpeg_decompress_struct& cinfo = context.cinfo;
  const int count = std::clamp(cinfo.actual_number_of_colors, 0, 256);
  std::vector<unsigned char> bytes(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * 256);
  auto* pal = reinterpret_cast<LOGPALETTE*>(bytes.data());
  pal->palVersion = 0x300;
  pal->palNumEntries = static_cast<WORD>(count);
  const bool gray = cinfo.out_color_space == JCS_GRAYSCALE;
  for (int i = 0; i < count; ++i) {
    PALETTEENTRY& e = pal->palPalEntry[i];
    if (gray) {
      const BYTE v = cinfo.colormap[0][i];
      e = {v, v, v, 0};
    } else {
      e = {cinfo.colormap[2][i], cinfo.colormap[1][i], cinfo.colormap[0][i], 0};
    }
  }
  return CreatePalette(pal);
}

void TJPEGImage::ReadRows(JpegDecodeContext& context, int linesPerRead, ptrdiff_t rowStep) {
  jpeg_decompress_struct& cinfo = context.cinfo;
  auto* row = static_cast<unsigned char*>(bitmap_->ScanLineAddress(0));
  JSAMPROW rows[16];
  linesPerRead = std::clamp(linesPerRead, 1, 16);
  while (cinfo.output_scanline < cinfo.output_height) {
    const int left = static_cast<int>(cinfo.output_height - cinfo.output_scanline);
    const int lines = std::min(linesPerRead, left);
    for (int i = 0; i < lines; ++i) rows[i] = row + rowStep * i;
    const unsigned got = JpegReadScanlines(context, rows, static_cast<unsigned>(lines));
    // Our source never suspends; no rows means there is nothing more to come.
    if (got == 0) break;
    if (cinfo.output_scanline < cinfo.output_height) row += rowStep * static_cast<ptrdiff_t>(got);
  }
}

void TJPEGImage::TakeDecoderPalette(JpegDecodeContext& context) {
  bitmap_->SetPaletteHandle(PaletteFromColormap(context));
  SetPaletteModified(true);
}

// A palette given beforehand becomes the colour map of indexed output and the bitmap's
// palette; other output drops it. Whether the bitmap has its palette now.
bool TJPEGImage::ApplyGivenPalette(JpegDecodeContext& context) {
  if (!tempPalette_) return false;
  if (OutputFormat != ofIndexed8) {
    DeleteObject(tempPalette_);
    tempPalette_ = nullptr;
    return false;
  }
  jpeg_decompress_struct& cinfo = context.cinfo;
  PALETTEENTRY entries[256] = {};
  const UINT count = GetPaletteEntries(tempPalette_, 0, 256, entries);
  JSAMPARRAY map = JpegAllocColormap(context, static_cast<int>(count));
  for (UINT i = 0; i < count; ++i) {
    map[0][i] = entries[i].peBlue;
    map[1][i] = entries[i].peGreen;
    map[2][i] = entries[i].peRed;
  }
  cinfo.colormap = map;
  cinfo.actual_number_of_colors = static_cast<int>(count);
  bitmap_->SetPaletteHandle(CopyPalette(tempPalette_));
  return true;
}

// A buffered (progressive) image: every scan as it comes, each drawn over the last, then
// the final output pass started with the settings the scans were shown without.
void TJPEGImage::ReadScans(JpegDecodeContext& context, int linesPerRead, ptrdiff_t rowStep,
                           bool takePalette) {
  jpeg_decompress_struct& cinfo = context.cinfo;
  do {
    JpegStartOutput(context, cinfo.input_scan_number);
    if (context.progress.pub.completed_passes == 0 && cinfo.colormap &&
        bitmap_->PixelLayout() == px8Bit && takePalette)
      TakeDecoderPalette(context);
    ReadRows(context, linesPerRead, rowStep);
    JpegFinishOutput(context);
  } while (JpegConsumeInput(context) != JPEG_REACHED_EOI);
  cinfo.dct_method = context.savedDctMethod;
  cinfo.dither_mode = context.savedDitherMode;
  if (context.savedTwoPassQuantize) {
    cinfo.two_pass_quantize = TRUE;
    cinfo.colormap = nullptr;
  }
  JpegStartOutput(context, cinfo.input_scan_number);
}

void TJPEGImage::Decode(JpegDecodeContext& context) {
  jpeg_decompress_struct& cinfo = context.cinfo;
  const JpegRows rows = OutputFormat == ofIndexed8 || cinfo.out_color_space == JCS_GRAYSCALE
                            ? JpegRows::kIndexed8
                            : JpegRows::kBgr24;
  bitmap_->SetPixelLayout(rows == JpegRows::kIndexed8 ? px8Bit : px24Bit);
  ReportProgress(this, psStarting, 0, false, kEmptyRect, std::string());
  const bool takePalette = !ApplyGivenPalette(context);
  JpegStartDecompress(context, rows);
  bitmap_->SetImageWidth(static_cast<int>(cinfo.output_width));
  bitmap_->SetImageHeight(static_cast<int>(cinfo.output_height));

  ptrdiff_t rowStep = 0;
  if (cinfo.output_height >= 2)
    rowStep = static_cast<unsigned char*>(bitmap_->ScanLineAddress(1)) -
              static_cast<unsigned char*>(bitmap_->ScanLineAddress(0));
  const int linesPerRead = rowStep > 0 && rowStep % 4 == 0 ? cinfo.rec_outbuf_height : 1;

  const bool buffered = cinfo.buffered_image != 0;
  if (buffered) ReadScans(context, linesPerRead, rowStep, takePalette);
  if ((!buffered || context.savedTwoPassQuantize) && cinfo.colormap && takePalette)
    TakeDecoderPalette(context);
  ReadRows(context, linesPerRead, rowStep);
  if (buffered) JpegFinishOutput(context);
  JpegFinishDecompress(context);
}

TBitmap* TJPEGImage::DecodeToBitmap() {
  if (bitmap_) return bitmap_;
  bitmap_ = new TBitmap;
  if (!data_->data) return bitmap_;
  OwnedJpegContext holder;
  PrepareDecoder(*holder.context);

  std::exception_ptr failure;
  bool aborted = false;
  try {
    Decode(*holder.context);
  } catch (const EAbort&) {
    aborted = true;
  } catch (...) {
    failure = std::current_exception();
  }
  const bool ok = !failure && !aborted;
  ReportProgress(this, psEnding, ok ? 100 : 0, PaletteModified(), kEmptyRect, std::string());
  if (PaletteModified()) NotifyChange();
  if (failure) std::rethrow_exception(failure);
  return bitmap_;
}
