#include "graphics/jpeg_decoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "classes/streams.h"
#include "runtime/exception.h"
#include "runtime/messages.h"

void RaiseJpegError(int code) { throw EJPEG(msg::kJpegError, {code}); }

namespace {

JpegDecodeContext& ContextOf(j_common_ptr cinfo) {
  return *static_cast<JpegDecodeContext*>(cinfo->client_data);
}

// Never returns into the library: back to the adapter call that entered it.
[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  JpegDecodeContext& context = ContextOf(cinfo);
  context.errorCode = cinfo->err->msg_code;
  longjmp(context.jump, 1);
}

// Warnings and traces are dropped and no text is ever formatted.
void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}
void FormatMessage(j_common_ptr, char*) {}
void ResetErrorManager(j_common_ptr cinfo) {
  cinfo->err->num_warnings = 0;
  cinfo->err->msg_code = 0;
}

jpeg_error_mgr MakeErrorTemplate() {
  jpeg_error_mgr e;
  std::memset(&e, 0, sizeof e);
  e.error_exit = ErrorExit;
  e.emit_message = EmitMessage;
  e.output_message = OutputMessage;
  e.format_message = FormatMessage;
  e.reset_error_mgr = ResetErrorManager;
  return e;
}
const jpeg_error_mgr kErrorTemplate = MakeErrorTemplate();

// Leaves the library with an exception raised in our own callback. The catch
// block has ended before the jump, so no exception is in flight across it.
[[noreturn]] void JumpWithPending(JpegDecodeContext& context) { longjmp(context.jump, 2); }

// --- source manager over a stream -----------------------------------------------

void InitSource(j_decompress_ptr cinfo) {
  ContextOf(reinterpret_cast<j_common_ptr>(cinfo)).source.startOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
  JpegDecodeContext& context = ContextOf(reinterpret_cast<j_common_ptr>(cinfo));
  JpegSource& src = context.source;
  // A stream in memory is handed over whole, where it lies: the library decodes on its
  // fast path only while a few hundred bytes are buffered, which a short refill breaks.
  if (src.memory) {
    const int64_t position = src.memory->Position(), size = src.memory->Size();
    if (position >= 0 && position < size) {
      src.memory->SetPosition(size);
      src.pub.next_input_byte = static_cast<const JOCTET*>(src.memory->Memory()) + position;
      src.pub.bytes_in_buffer = static_cast<size_t>(size - position);
      src.startOfFile = false;
      return TRUE;
    }
  }
  int64_t got = 0;
  bool failed = false;
  try {
    got = src.stream->Read(src.buffer, jpeg_limits::kInputBlock);
  } catch (...) {
    context.pending = std::current_exception();
    failed = true;
  }
  if (failed) JumpWithPending(context);
  src.pastEnd = got <= 0;
  if (got <= 0) {
    if (src.startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    WARNMS(cinfo, JWRN_JPEG_EOF);
    // An end-of-image marker in place of the missing data lets the library finish.
    src.buffer[0] = 0xFF;
    src.buffer[1] = JPEG_EOI;
    got = 2;
  }
  src.pub.next_input_byte = src.buffer;
  src.pub.bytes_in_buffer = static_cast<size_t>(got);
  src.startOfFile = false;
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  jpeg_source_mgr* src = cinfo->src;
  while (count > static_cast<long>(src->bytes_in_buffer)) {
    count -= static_cast<long>(src->bytes_in_buffer);
    src->fill_input_buffer(cinfo);
    // Past the end every refill is the same inserted end marker, and the library
    // reaches it whatever part of the skip is left: stop here rather than refill
    // once for every two bytes of a marker that claims up to 64 KB.
    if (ContextOf(reinterpret_cast<j_common_ptr>(cinfo)).source.pastEnd) return;
  }
  src->next_input_byte += count;
  src->bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

// --- progress monitor -------------------------------------------------------------

void ProgressMonitor(j_common_ptr cinfo) {
  JpegDecodeContext& context = ContextOf(cinfo);
  // A file made of endless tiny scans would otherwise keep the decoder busy.
  if (cinfo->is_decompressor) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    const int64_t pixels = static_cast<int64_t>(d->image_width) * d->image_height;
    if (d->input_scan_number > jpeg_limits::ScanLimit(pixels))
      ERREXIT4(cinfo, JERR_BAD_PROGRESSION, 0, 0, 0, 0);
  }
  if (!context.progressHook) return;
  bool failed = false;
  try {
    context.progressHook(context);
  } catch (...) {
    context.pending = std::current_exception();
    failed = true;
  }
  if (failed) JumpWithPending(context);
}

// After a jump: the library object is left as the library left it (the caller
// destroys it); raise what caused the jump.
[[noreturn]] void RaiseFromJump(JpegDecodeContext& context) {
  if (context.pending) {
    std::exception_ptr pending = context.pending;
    context.pending = nullptr;
    std::rethrow_exception(pending);
  }
  RaiseJpegError(context.errorCode);
}

[[noreturn]] void Refuse(JpegDecodeContext& context, int code) {
  context.errorCode = code;
  RaiseJpegError(code);
}

void CheckFrameSize(JpegDecodeContext& context, int64_t width, int64_t height) {
  if (width * height > jpeg_limits::kMaxPixels) Refuse(context, JERR_IMAGE_TOO_BIG);
}

// Sets the output colour space for `rows` and tells whether the library can fill
// them from this file.
bool ChooseOutput(JpegDecodeContext& context, JpegRows rows) {
  jpeg_decompress_struct& cinfo = context.cinfo;
  const int n = cinfo.num_components;
  const J_COLOR_SPACE in = cinfo.jpeg_color_space;
  const bool grey = n == 1 && in == JCS_GRAYSCALE;
  const bool colour = n == 3 && (in == JCS_YCbCr || in == JCS_RGB);
  const bool inks = n == 4 && (in == JCS_CMYK || in == JCS_YCCK);
  // The library writes the DIB's blue-green-red order itself.
  if (cinfo.out_color_space == JCS_RGB) cinfo.out_color_space = JCS_EXT_BGR;
  const J_COLOR_SPACE out = cinfo.out_color_space;
  context.fromInks = false;
  if (rows == JpegRows::kIndexed8)
    // The palette is made from a grey or blue-green-red colour map; the quantiser
    // would make one of four rows from inks and of as many rows as an unknown
    // file has components.
    return cinfo.quantize_colors && (grey || colour) &&
           (out == JCS_GRAYSCALE || (out == JCS_EXT_BGR && colour));
  if (cinfo.quantize_colors) return false;
  // The header asks for CMYK from both ink files (the library undoes YCCK's
  // transform); turning inks into light is ours.
  context.fromInks = inks && out == JCS_CMYK;
  return context.fromInks || (colour && out == JCS_EXT_BGR);
}

// The light the inks leave, in the DIB's order. Files with an Adobe marker store
// 255 minus each ink, as print tools write them; others the ink itself.
void InksToBgr(const JSAMPLE* inks, JSAMPLE* bgr, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, inks += 4, bgr += 3) {
    const auto left = [&](int i) { return inverted ? int{inks[i]} : 255 - inks[i]; };
    const int black = left(3);
    for (int i = 0; i < 3; ++i) bgr[i] = static_cast<JSAMPLE>((left(2 - i) * black + 127) / 255);
  }
}

}  // namespace

// setjmp must be called in the frame that stays alive while the library runs;
// each wrapper below is such a frame, with nothing to destroy when jumped to.
#define JPEG_GUARD(context)                                  \
  do {                                                       \
    if (setjmp((context).jump) != 0) RaiseFromJump(context); \
  } while (0)

void JpegCreate(JpegDecodeContext& context) {
  // A plain fill: the context holds only C structures, a jmp_buf and an empty
  // exception pointer, which is all-zero when empty on our platforms.
  context.pending = nullptr;
  std::memset(static_cast<void*>(&context.err), 0,
              reinterpret_cast<char*>(&context.source) - reinterpret_cast<char*>(&context.err));
  std::memset(static_cast<void*>(&context.source), 0, sizeof context.source);
  context.errorCode = 0;
  context.created = false;
  context.progressHook = nullptr;
  context.fromInks = false;
  context.scratch = nullptr;
  context.scratchLines = 0;
  context.err = kErrorTemplate;
  context.cinfo.err = &context.err;
  context.cinfo.client_data = &context;
  JPEG_GUARD(context);
  jpeg_CreateDecompress(&context.cinfo, JPEG_LIB_VERSION, sizeof(jpeg_decompress_struct));
  context.cinfo.client_data = &context;
  context.created = true;
  context.cinfo.mem->max_memory_to_use = jpeg_limits::kMaxMemory;
}

void JpegDestroy(JpegDecodeContext& context) {
  if (!context.created) return;
  context.created = false;
  // Destroying only frees pools; it does not report errors.
  jpeg_destroy_decompress(&context.cinfo);
}

void JpegAttachProgress(JpegDecodeContext& context, JpegProgressHook hook, void* image) {
  context.progress.pub.progress_monitor = ProgressMonitor;
  context.progress.image = image;
  context.progressHook = hook;
  context.cinfo.progress = &context.progress.pub;
}

void JpegReadHeader(JpegDecodeContext& context, TStream& data) {
  data.SetPosition(0);
  JpegSource& src = context.source;
  src.stream = &data;
  src.memory = dynamic_cast<TCustomMemoryStream*>(&data);
  src.pub.init_source = InitSource;
  src.pub.fill_input_buffer = FillInputBuffer;
  src.pub.skip_input_data = SkipInputData;
  src.pub.resync_to_restart = jpeg_resync_to_restart;
  src.pub.term_source = TermSource;
  src.pub.bytes_in_buffer = 0;
  src.pub.next_input_byte = nullptr;
  context.cinfo.src = &src.pub;
  {
    JPEG_GUARD(context);
    jpeg_read_header(&context.cinfo, TRUE);
  }
  CheckFrameSize(context, context.cinfo.image_width, context.cinfo.image_height);
}

bool JpegHasMultipleScans(JpegDecodeContext& context) {
  JPEG_GUARD(context);
  return jpeg_has_multiple_scans(&context.cinfo) != 0;
}

void JpegCalcOutputDimensions(JpegDecodeContext& context) {
  JPEG_GUARD(context);
  jpeg_calc_output_dimensions(&context.cinfo);
}

void JpegStartDecompress(JpegDecodeContext& context, JpegRows rows) {
  jpeg_decompress_struct& cinfo = context.cinfo;
  if (!ChooseOutput(context, rows)) Refuse(context, JERR_CONVERSION_NOTIMPL);
  {
    JPEG_GUARD(context);
    jpeg_calc_output_dimensions(&cinfo);
  }
  CheckFrameSize(context, cinfo.output_width, cinfo.output_height);
  JPEG_GUARD(context);
  jpeg_start_decompress(&cinfo);
  if (context.fromInks) {
    context.scratchLines = static_cast<unsigned>(std::max(cinfo.rec_outbuf_height, 1));
    context.scratch = cinfo.mem->alloc_sarray(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                              cinfo.output_width * 4, context.scratchLines);
  }
}

int JpegConsumeInput(JpegDecodeContext& context) {
  JPEG_GUARD(context);
  return jpeg_consume_input(&context.cinfo);
}

void JpegStartOutput(JpegDecodeContext& context, int scanNumber) {
  JPEG_GUARD(context);
  jpeg_start_output(&context.cinfo, scanNumber);
}

namespace {
unsigned ReadInto(JpegDecodeContext& context, JSAMPARRAY rows, unsigned maxLines) {
  JPEG_GUARD(context);
  return jpeg_read_scanlines(&context.cinfo, rows, maxLines);
}
}  // namespace

unsigned JpegReadScanlines(JpegDecodeContext& context, JSAMPARRAY rows, unsigned maxLines) {
  if (!context.fromInks) return ReadInto(context, rows, maxLines);
  const unsigned got = ReadInto(context, context.scratch, std::min(maxLines, context.scratchLines));
  for (unsigned i = 0; i < got; ++i)
    InksToBgr(context.scratch[i], rows[i], context.cinfo.output_width,
              context.cinfo.saw_Adobe_marker != 0);
  return got;
}

void JpegFinishOutput(JpegDecodeContext& context) {
  JPEG_GUARD(context);
  jpeg_finish_output(&context.cinfo);
}

void JpegFinishDecompress(JpegDecodeContext& context) {
  JPEG_GUARD(context);
  jpeg_finish_decompress(&context.cinfo);
}

JSAMPARRAY JpegAllocColormap(JpegDecodeContext& context, int count) {
  JPEG_GUARD(context);
  return context.cinfo.mem->alloc_sarray(reinterpret_cast<j_common_ptr>(&context.cinfo),
                                         JPOOL_IMAGE, static_cast<JDIMENSION>(std::max(count, 1)),
                                         3);
}

JpegHeaderInfo JpegReadHeaderOnly(TStream& data) {
  OwnedJpegContext holder;
  JpegDecodeContext& context = *holder.context;
  JpegCreate(context);
  JpegReadHeader(context, data);
  JpegHeaderInfo info;
  info.width = static_cast<int>(context.cinfo.image_width);
  info.height = static_cast<int>(context.cinfo.image_height);
  info.grayscale = context.cinfo.jpeg_color_space == JCS_GRAYSCALE;
  info.multipleScans = JpegHasMultipleScans(context);
  return info;
}
