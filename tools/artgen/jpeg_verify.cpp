#include "tools/artgen/jpeg_verify.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>

namespace artgen {

namespace {

// Walks the marker segments up to the first scan with bounds checks. The
// library tells progressive and arithmetic files apart but not the frame type
// itself, so baseline (SOF0) is confirmed here from the bytes.
std::string CheckMarkers(const std::vector<uint8_t>& jpeg) {
  const size_t n = jpeg.size();
  if (n < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) return "missing start-of-image marker";
  if (jpeg[n - 2] != 0xFF || jpeg[n - 1] != 0xD9) return "missing end-of-image marker";
  if (jpeg[2] != 0xFF || jpeg[3] != 0xE0) return "first segment is not APP0";
  size_t pos = 2;
  int frames = 0;
  bool baseline = false;
  while (true) {
    if (pos + 4 > n || jpeg[pos] != 0xFF) return "malformed marker segment";
    const uint8_t marker = jpeg[pos + 1];
    const size_t length = (static_cast<size_t>(jpeg[pos + 2]) << 8) | jpeg[pos + 3];
    if (length < 2 || pos + 2 + length > n) return "marker segment runs past the end";
    const bool isFrame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (isFrame) {
      ++frames;
      baseline = marker == 0xC0;
    }
    if (marker == 0xDA) break;
    pos += 2 + length;
  }
  if (frames != 1) return "expected exactly one frame header before the scan";
  if (!baseline) return "frame is not baseline (SOF0)";
  return {};
}

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

void ErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void DropMessage(j_common_ptr) {}

// The facts read back from the library; filled in a frame without destructors
// because of the jump.
struct HeaderFacts {
  bool ok = false;
  int msgCode = 0;
  unsigned width = 0, height = 0;
  int components = 0;
  int precision = 0;
  J_COLOR_SPACE colorSpace = JCS_UNKNOWN;
  bool jfif = false, progressive = false, arithmetic = false, multiScan = false;
  int sampling[3][2] = {};
  long warnings = 0;
  unsigned rowsDecoded = 0;
};

void ReadBack(const uint8_t* data, size_t size, unsigned char* row, size_t rowCapacity,
              HeaderFacts* facts) {
  jpeg_decompress_struct cinfo{};
  ErrorManager err{};
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.output_message = DropMessage;
  if (setjmp(err.jump) != 0) {
    facts->msgCode = err.pub.msg_code;
    jpeg_destroy_decompress(&cinfo);
    return;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  facts->width = cinfo.image_width;
  facts->height = cinfo.image_height;
  facts->components = cinfo.num_components;
  facts->precision = cinfo.data_precision;
  facts->colorSpace = cinfo.jpeg_color_space;
  facts->jfif = cinfo.saw_JFIF_marker;
  facts->progressive = cinfo.progressive_mode;
  facts->arithmetic = cinfo.arith_code;
  facts->multiScan = jpeg_has_multiple_scans(&cinfo);
  for (int c = 0; c < cinfo.num_components && c < 3; ++c) {
    facts->sampling[c][0] = cinfo.comp_info[c].h_samp_factor;
    facts->sampling[c][1] = cinfo.comp_info[c].v_samp_factor;
  }
  // The row buffer was sized for the expected width; a file claiming a wider
  // picture is reported by the size check instead of being decoded.
  if (facts->components == 3 && facts->width > 0 &&
      static_cast<size_t>(facts->width) * 3 <= rowCapacity) {
    // Decode it all: a file that only parses is not enough for the launcher.
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW rows[1] = {row};
      jpeg_read_scanlines(&cinfo, rows, 1);
    }
    facts->rowsDecoded = cinfo.output_scanline;
    jpeg_finish_decompress(&cinfo);
  }
  facts->warnings = err.pub.num_warnings;
  facts->ok = true;
  jpeg_destroy_decompress(&cinfo);
}

}  // namespace

std::string VerifyArtwork(const std::vector<uint8_t>& jpeg, const ArtworkShape& shape) {
  if (jpeg.size() != shape.fileSize) {
    return "file is " + std::to_string(jpeg.size()) + " bytes, expected " +
           std::to_string(shape.fileSize);
  }
  if (std::string markers = CheckMarkers(jpeg); !markers.empty()) return markers;
  std::vector<unsigned char> row(static_cast<size_t>(shape.width > 0 ? shape.width : 1) * 3);
  HeaderFacts facts;
  ReadBack(jpeg.data(), jpeg.size(), row.data(), row.size(), &facts);
  if (!facts.ok) return "libjpeg rejected the file (message " + std::to_string(facts.msgCode) + ")";
  if (!facts.jfif) return "no JFIF marker";
  if (facts.width != static_cast<unsigned>(shape.width) ||
      facts.height != static_cast<unsigned>(shape.height)) {
    return "picture is " + std::to_string(facts.width) + " x " + std::to_string(facts.height);
  }
  if (facts.components != 3 || facts.colorSpace != JCS_YCbCr) return "not 3-component YCbCr";
  if (facts.precision != 8) return "sample precision is not 8 bits";
  if (facts.progressive || facts.multiScan) return "file is progressive or has several scans";
  if (facts.arithmetic) return "file uses arithmetic coding";
  if (facts.sampling[0][0] != 2 || facts.sampling[0][1] != 2 || facts.sampling[1][0] != 1 ||
      facts.sampling[1][1] != 1 || facts.sampling[2][0] != 1 || facts.sampling[2][1] != 1) {
    return "sampling is not 2x2 luminance with 1x1 chroma";
  }
  if (facts.rowsDecoded != static_cast<unsigned>(shape.height)) return "decoding stopped early";
  if (facts.warnings != 0) return "decoding raised warnings";
  return {};
}

}  // namespace artgen
