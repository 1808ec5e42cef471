// The picture's JPEG payload: a 32-bit count and that many bytes of a JPEG file,
// read the way the image reads it (count checked against the data, header read at
// load) and then decoded through the JPEG adapter in one of the image's modes.
// Decoding goes into plain memory here, so the target needs no drawing layer.
//
// Input: one mode byte, then the payload.
//
// Frames above kMaxDecodedPixels are only read up to their header (which applies the
// decoder's own size limit): decoding them runs the same paths as a smaller frame at
// up to a hundred times the cost, and a few such inputs in the corpus used to set the
// pace of the whole run.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "classes/streams.h"
#include "graphics/bitmap.h"
#include "graphics/jpeg_decoder.h"
#include "runtime/exception.h"

namespace {

constexpr int64_t kMaxDecodedPixels = 512 * 512;
// Keeps the colour map reads from being optimised away.
volatile unsigned colormapSum = 0;

enum Mode : uint8_t {
  kPlain = 0,        // the launcher's settings: BGR rows
  kProgressive = 1,  // buffered output, one pass per scan
  kIndexed = 2,      // 236-colour quantised output
  kGray = 3,         // grayscale output
  kScaled = 4,       // 1/8 scale, fast DCT, ordered dither
};

void ReadRows(JpegDecodeContext& context, uint8_t* pixels, size_t stride) {
  jpeg_decompress_struct& cinfo = context.cinfo;
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = &pixels[stride * cinfo.output_scanline];
    if (JpegReadScanlines(context, &row, 1) == 0) break;
  }
}

// Every colour map entry the image reads into a palette: one grey row, or the
// blue, green and red rows.
void ReadColormap(const jpeg_decompress_struct& cinfo) {
  if (!cinfo.colormap) return;
  const int rows = cinfo.out_color_space == JCS_GRAYSCALE ? 1 : 3;
  unsigned sum = 0;
  for (int c = 0; c < rows; ++c)
    for (int i = 0; i < cinfo.actual_number_of_colors; ++i) sum += cinfo.colormap[c][i];
  colormapSum = sum;
}

void Decode(TMemoryStream& data, uint8_t mode) {
  auto holder = std::make_unique<JpegDecodeContext>();
  JpegDecodeContext& context = *holder;
  struct Destroy {
    JpegDecodeContext& c;
    ~Destroy() { JpegDestroy(c); }
  } destroy{context};
  JpegCreate(context);
  JpegAttachProgress(context, nullptr, nullptr);
  JpegReadHeader(context, data);
  jpeg_decompress_struct& cinfo = context.cinfo;
  cinfo.do_block_smoothing = TRUE;
  if (mode == kGray) cinfo.out_color_space = JCS_GRAYSCALE;
  if (mode == kIndexed || cinfo.out_color_space == JCS_GRAYSCALE) {
    cinfo.quantize_colors = TRUE;
    cinfo.desired_number_of_colors = 236;
  }
  if (mode == kScaled) {
    cinfo.scale_denom = 8;
    cinfo.dct_method = JDCT_IFAST;
    cinfo.two_pass_quantize = FALSE;
    cinfo.dither_mode = JDITHER_ORDERED;
  }
  const JpegRows rows = cinfo.quantize_colors ? JpegRows::kIndexed8 : JpegRows::kBgr24;
  const bool buffered = mode == kProgressive && JpegHasMultipleScans(context);
  if (buffered) {
    cinfo.enable_2pass_quant = cinfo.two_pass_quantize;
    cinfo.buffered_image = TRUE;
  }
  JpegStartDecompress(context, rows);
  ReadColormap(cinfo);
  // Rows as the bitmap lays them out, whatever the file holds, so a sample written
  // past the last one the bitmap has is caught.
  const auto width = static_cast<int32_t>(cinfo.output_width);
  const size_t stride = DibRowBytes(width, rows == JpegRows::kIndexed8 ? 8 : 24);
  // Only the decoder writes these rows and nothing reads them: no zero fill needed.
  std::unique_ptr<uint8_t[]> pixels(new uint8_t[std::max<size_t>(stride * cinfo.output_height, 1)]);
  if (buffered) {
    do {
      JpegStartOutput(context, cinfo.input_scan_number);
      ReadColormap(cinfo);
      ReadRows(context, pixels.get(), stride);
      JpegFinishOutput(context);
    } while (JpegConsumeInput(context) != JPEG_REACHED_EOI);
    JpegStartOutput(context, cinfo.input_scan_number);
  }
  ReadRows(context, pixels.get(), stride);
  if (buffered) JpegFinishOutput(context);
  JpegFinishDecompress(context);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = bytes[0] % 5;
  TMemoryStream payload;
  payload.Write(bytes + 1, static_cast<int64_t>(size - 1));
  payload.SetPosition(0);
  try {
    int32_t count = 0;
    payload.ReadBuffer(&count, sizeof count);
    if (count < 0 || count > payload.Size() - payload.Position())
      throw EReadError("Stream read error");
    TMemoryStream data;
    data.SetSize(count);
    if (count > 0) payload.ReadBuffer(data.Memory(), count);
    if (count == 0) return 0;
    const JpegHeaderInfo info = JpegReadHeaderOnly(data);
    if (info.width <= 0 || info.height <= 0) __builtin_trap();
    if (int64_t{info.width} * info.height > kMaxDecodedPixels) return 0;
    Decode(data, mode);
  } catch (const Exception&) {
    // Refused input: what the image raises to its painter.
  }
  return 0;
}
