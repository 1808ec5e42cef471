#pragma once
// JPEG files made at run time for the graphics tests, and the launcher's own
// artwork and window definition found beside the test program's build.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

// The library needs size_t and FILE first.
#include <jpeglib.h>

#include "classes/filer.h"
#include "classes/streams.h"
#include "platform/win32.h"

namespace samples {

using Bytes = std::vector<uint8_t>;

// (x, y, component) -> sample
using Painter = std::function<uint8_t(int, int, int)>;

inline uint8_t Gradient(int x, int y, int c) {
  return static_cast<uint8_t>((x * 7 + y * 3 + c * 80) & 0xFF);
}

// Compresses `components` painted samples per pixel given in colour space `in`;
// `setup` runs after the library's defaults (to choose what the file stores).
inline Bytes Compress(int width, int height, int components, J_COLOR_SPACE in,
                      const std::function<void(jpeg_compress_struct&)>& setup,
                      const Painter& paint) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &out, &size);
  cinfo.image_width = width;
  cinfo.image_height = height;
  cinfo.input_components = components;
  cinfo.in_color_space = in;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  setup(cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(width) * components);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < components; ++c) row[x * components + c] = paint(x, y, c);
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&cinfo, &p, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes result(out, out + size);
  jpeg_destroy_compress(&cinfo);
  free(out);
  return result;
}

inline Bytes EncodeJpeg(int width, int height, int components, bool progressive,
                        const Painter& paint = Gradient) {
  return Compress(
      width, height, components, components == 1 ? JCS_GRAYSCALE : JCS_RGB,
      [&](jpeg_compress_struct& cinfo) {
        if (progressive) jpeg_simple_progression(&cinfo);
      },
      paint);
}

// The inks that leave the light `rgb` paints: black takes what all three share.
// Print tools store 255 minus each ink, and say so with an Adobe marker.
inline Painter InksOf(const Painter& rgb, bool inverted) {
  return [=](int x, int y, int c) -> uint8_t {
    const int r = rgb(x, y, 0), g = rgb(x, y, 1), b = rgb(x, y, 2);
    const int light = std::max({r, g, b});
    int ink = 255 - light;
    if (c < 3 && light > 0) ink = ((light - rgb(x, y, c)) * 255 + light / 2) / light;
    if (c < 3 && light == 0) ink = 0;
    return static_cast<uint8_t>(inverted ? 255 - ink : ink);
  };
}

// The picture `rgb` paints, stored as CMYK or YCCK (with the Adobe marker the
// library writes for both, or CMYK without it).
inline Bytes EncodeInks(int width, int height, J_COLOR_SPACE stored, bool adobe, bool progressive,
                        const Painter& rgb) {
  return Compress(
      width, height, 4, JCS_CMYK,
      [&](jpeg_compress_struct& cinfo) {
        jpeg_set_colorspace(&cinfo, stored);
        cinfo.write_Adobe_marker = adobe ? TRUE : FALSE;
        if (progressive) jpeg_simple_progression(&cinfo);
      },
      InksOf(rgb, adobe));
}

// A file of `components` samples per pixel in no colour space the library knows,
// in scans of at most four components (all a scan may hold).
inline Bytes EncodeUnknown(int width, int height, int components) {
  std::vector<jpeg_scan_info> scans;
  for (int first = 0; first < components; first += MAX_COMPS_IN_SCAN) {
    jpeg_scan_info scan = {};
    scan.comps_in_scan = std::min(components - first, MAX_COMPS_IN_SCAN);
    for (int i = 0; i < scan.comps_in_scan; ++i) scan.component_index[i] = first + i;
    scan.Se = DCTSIZE2 - 1;
    scans.push_back(scan);
  }
  return Compress(
      width, height, components, JCS_UNKNOWN,
      [&](jpeg_compress_struct& cinfo) {
        cinfo.scan_info = scans.data();
        cinfo.num_scans = static_cast<int>(scans.size());
      },
      Gradient);
}

// Offset of the first marker `code` (after FF D8), or npos.
inline size_t FindMarker(const Bytes& file, uint8_t code, size_t from = 2) {
  for (size_t i = from; i + 1 < file.size(); ++i)
    if (file[i] == 0xFF && file[i + 1] == code) return i;
  return std::string::npos;
}

// Through the platform's file API, so the Windows-form paths below work on both platforms.
inline Bytes ReadFile(const std::string& path) {
  Bytes data;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return data;
  uint8_t block[65536];
  DWORD got = 0;
  while (::ReadFile(file, block, sizeof block, &got, nullptr) && got > 0)
    data.insert(data.end(), block, block + got);
  CloseHandle(file);
  return data;
}

// The build folder holding this test program's folder ("<build>\tests\x.exe").
inline std::string BuildFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string p(path);
  for (int up = 0; up < 2; ++up) {
    const size_t slash = p.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    p.resize(slash);
  }
  return p;
}

inline Bytes Artwork() { return ReadFile(BuildFolder() + "\\resources\\artwork.jpg"); }
inline Bytes LauncherFormStream() { return ReadFile(BuildFolder() + "\\resources\\TFORM1.bin"); }

// Picture.Data of a compiled window definition: the bytes after the path, tag and
// 4-byte length, or nothing when the block is missing or runs past the end.
inline Bytes PictureDataBlock(const Bytes& form) {
  const std::string key = std::string("\x0CPicture.Data") + '\x0A';
  auto it = std::search(form.begin(), form.end(), key.begin(), key.end());
  if (it == form.end()) return {};
  const size_t at = static_cast<size_t>(it - form.begin()) + key.size();
  if (at + 4 > form.size()) return {};
  uint32_t length = 0;
  std::memcpy(&length, &form[at], 4);
  if (length > form.size() - at - 4) return {};
  return Bytes(form.begin() + at + 4, form.begin() + at + 4 + length);
}

// Keeps the reader a picture declares for its "Data", so a block can be handed to
// it as the form reader does.
class DataFiler : public TFiler {
 public:
  DataFiler() : TFiler(dummy_, 4096) {}
  void DefineValue(std::string_view, const TReaderProc&, const TWriterProc&, bool) override {}
  void DefineBlob(std::string_view, const TStreamProc& readProc, const TStreamProc&,
                  bool) override {
    read = readProc;
  }
  TStreamProc read;

 private:
  TMemoryStream dummy_;
};

}  // namespace samples
