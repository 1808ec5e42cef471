#pragma once
// The thin adapter between the JPEG library (v62 API) and the framework: an error
// manager whose exit jumps back here instead of returning into the library, a
// source manager over a framework stream, a progress monitor, and wrappers that
// turn every library failure into EJPEG once the library's frames are left.
//
// Nothing here draws: the image code (jpeg_image.cpp) owns bitmaps and palettes.
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>

// The library's headers need size_t and FILE first, and jerror.h comes last.
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

class TStream;
class TCustomMemoryStream;

namespace jpeg_limits {
// Frames larger than this are refused before anything is allocated for them.
constexpr int64_t kMaxPixels = int64_t{32} * 1024 * 1024;
// The library's own working memory.
constexpr long kMaxMemory = 256L * 1024 * 1024;
// A progressive file needs about ten scans; hundreds only waste time. Each scan
// costs time in proportion to the frame, so large frames get fewer (never fewer
// than kMinScans), keeping a hostile file's decoding to about a second.
constexpr int kMaxScans = 500;
constexpr int kMinScans = 64;
constexpr int64_t kMaxScanPixels = int64_t{2500} * 1000 * 1000;  // scans x pixels
// The scan limit for a frame of `pixels` pixels.
constexpr int ScanLimit(int64_t pixels) {
  if (pixels <= 0) return kMaxScans;
  const int64_t byWork = kMaxScanPixels / pixels;
  return static_cast<int>(byWork > kMaxScans ? kMaxScans : byWork < kMinScans ? kMinScans : byWork);
}
// Block size of the source manager's reads.
constexpr int kInputBlock = 4096;
}  // namespace jpeg_limits

// The rows a decoding run fills, laid out as the bitmap's: 24-bit blue-green-red
// pixels, or 8-bit indices into the decoder's colour map (grey, or blue-green-red).
enum class JpegRows : uint8_t { kBgr24, kIndexed8 };

struct JpegDecodeContext;

// Called by the progress monitor with the context; may throw (the exception is
// carried out of the library and raised again by the caller of the library call).
using JpegProgressHook = void (*)(JpegDecodeContext& context);

struct JpegProgress {
  jpeg_progress_mgr pub;
  void* image;  // the image being decoded, or none
  int lastPercent;
  uint32_t lastTime;
  int lastRow;
};

struct JpegSource {
  jpeg_source_mgr pub;
  TStream* stream;
  TCustomMemoryStream* memory;  // the same stream when its bytes are in memory
  bool startOfFile;
  bool pastEnd;  // the last refill found no data and inserted an end marker
  JOCTET buffer[jpeg_limits::kInputBlock];
};

// One decoding run (or header read). Zero-filled before use; not copyable.
struct JpegDecodeContext {
  jpeg_error_mgr err;
  JpegProgress progress;
  J_DCT_METHOD savedDctMethod;
  bool savedTwoPassQuantize;
  J_DITHER_MODE savedDitherMode;
  jpeg_decompress_struct cinfo;

  // Adapter state.
  JpegSource source;
  jmp_buf jump;
  std::exception_ptr pending;  // an exception waiting to leave the library
  int errorCode;
  bool created;
  JpegProgressHook progressHook;
  // CMYK output (from CMYK or YCCK files) is read into `scratch` and turned into
  // blue-green-red there, so the caller's rows only ever get three bytes a pixel.
  bool fromInks;
  JSAMPARRAY scratch;
  unsigned scratchLines;
};

// Every call below raises EJPEG "JPEG error #%d" with the library's message code,
// or the exception a hook or the stream raised, after the library's frames are gone.
// The context must stay where it is while the library object exists.

// Zeroes the context, installs the error manager and creates the library object.
void JpegCreate(JpegDecodeContext& context);
// Destroys the library object (safe to call twice).
void JpegDestroy(JpegDecodeContext& context);
// Owns a decoding context on the heap (where it stays put) and destroys its library
// object on every way out.
struct OwnedJpegContext {
  std::unique_ptr<JpegDecodeContext> context = std::make_unique<JpegDecodeContext>();
  OwnedJpegContext() = default;
  OwnedJpegContext(const OwnedJpegContext&) = delete;
  OwnedJpegContext& operator=(const OwnedJpegContext&) = delete;
  ~OwnedJpegContext() { JpegDestroy(*context); }
};
// Installs the progress monitor with `hook` and `image` in its fields.
void JpegAttachProgress(JpegDecodeContext& context, JpegProgressHook hook, void* image);
// Rewinds `data`, reads from it through the source manager and reads the header
// (an image is required). Frames beyond jpeg_limits raise JERR_IMAGE_TOO_BIG.
void JpegReadHeader(JpegDecodeContext& context, TStream& data);
bool JpegHasMultipleScans(JpegDecodeContext& context);
void JpegCalcOutputDimensions(JpegDecodeContext& context);
// Makes the output fit `rows` before the library starts: colour files give
// blue-green-red as they are, CMYK and YCCK files (24-bit rows only) are converted
// row by row, grey and colour files may be quantised for 8-bit rows. Anything else
// (other colour spaces or component counts, inks on 8-bit rows) raises EJPEG with
// JERR_CONVERSION_NOTIMPL before any row exists.
void JpegStartDecompress(JpegDecodeContext& context, JpegRows rows);
int JpegConsumeInput(JpegDecodeContext& context);
void JpegStartOutput(JpegDecodeContext& context, int scanNumber);
// Each of `rows` takes output_width pixels of the kind JpegStartDecompress was given.
unsigned JpegReadScanlines(JpegDecodeContext& context, JSAMPARRAY rows, unsigned maxLines);
void JpegFinishOutput(JpegDecodeContext& context);
void JpegFinishDecompress(JpegDecodeContext& context);
// A colour map of `count` entries (three components) from the library's image pool.
JSAMPARRAY JpegAllocColormap(JpegDecodeContext& context, int count);

// Creates, reads the header and destroys; what loading needs to know.
struct JpegHeaderInfo {
  int width;
  int height;
  bool grayscale;
  bool multipleScans;
};
JpegHeaderInfo JpegReadHeaderOnly(TStream& data);

// Raises EJPEG with `code` (the library's message numbering).
[[noreturn]] void RaiseJpegError(int code);
