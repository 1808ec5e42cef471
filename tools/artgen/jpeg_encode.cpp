#include "tools/artgen/jpeg_encode.h"

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <string>

namespace artgen {

namespace {

// The library's error exit must not return; we jump back to the caller's frame
// and throw from there so no exception crosses the library.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  int code;
};

void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  err->code = cinfo->err->msg_code;
  std::longjmp(err->jump, 1);
}

void DropMessage(j_common_ptr) {}

// Destination manager that appends into a vector, growing it in blocks.
struct VectorDestination {
  jpeg_destination_mgr pub;
  std::vector<uint8_t>* out;
};

constexpr size_t kBlock = 64 * 1024;

void InitDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
  dest->out->resize(kBlock);
  dest->pub.next_output_byte = dest->out->data();
  dest->pub.free_in_buffer = kBlock;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
  // The library calls this only when the whole buffer is full.
  const size_t used = dest->out->size();
  dest->out->resize(used + kBlock);
  dest->pub.next_output_byte = dest->out->data() + used;
  dest->pub.free_in_buffer = kBlock;
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
  dest->out->resize(dest->out->size() - dest->pub.free_in_buffer);
}

// Kept apart from EncodeJpeg so that no object with a destructor lives in the
// frame that setjmp returns into.
bool Compress(jpeg_compress_struct* cinfo, ErrorManager* err, VectorDestination* dest,
              const uint8_t* rgb, int width, int height, int quality) {
  if (setjmp(err->jump) != 0) {
    jpeg_destroy_compress(cinfo);
    return false;
  }
  jpeg_create_compress(cinfo);
  cinfo->dest = &dest->pub;
  cinfo->image_width = static_cast<JDIMENSION>(width);
  cinfo->image_height = static_cast<JDIMENSION>(height);
  cinfo->input_components = 3;
  cinfo->in_color_space = JCS_RGB;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, quality, TRUE);
  cinfo->optimize_coding = FALSE;
  cinfo->write_JFIF_header = TRUE;
  cinfo->density_unit = 1;  // dots per inch
  cinfo->X_density = 96;
  cinfo->Y_density = 96;
  cinfo->comp_info[0].h_samp_factor = 2;
  cinfo->comp_info[0].v_samp_factor = 2;
  for (int c = 1; c < 3; ++c) {
    cinfo->comp_info[c].h_samp_factor = 1;
    cinfo->comp_info[c].v_samp_factor = 1;
  }
  jpeg_start_compress(cinfo, TRUE);
  const size_t stride = static_cast<size_t>(width) * 3;
  while (cinfo->next_scanline < cinfo->image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb + cinfo->next_scanline * stride);
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
  jpeg_destroy_compress(cinfo);
  return true;
}

}  // namespace

std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& rgb, int width, int height,
                                int quality) {
  if (width <= 0 || height <= 0 ||
      rgb.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 3) {
    throw JpegFailure("pixel buffer does not match the picture size");
  }
  std::vector<uint8_t> out;
  jpeg_compress_struct cinfo{};
  ErrorManager err{};
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.output_message = DropMessage;
  VectorDestination dest{};
  dest.pub.init_destination = InitDestination;
  dest.pub.empty_output_buffer = EmptyOutputBuffer;
  dest.pub.term_destination = TermDestination;
  dest.out = &out;
  if (!Compress(&cinfo, &err, &dest, rgb.data(), width, height, quality)) {
    throw JpegFailure("JPEG encoder error " + std::to_string(err.code));
  }
  return out;
}

}  // namespace artgen
