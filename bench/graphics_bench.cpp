// Times the launcher artwork's path to the screen: reading it from the compiled
// window definition (header only), the first decode into a 24-bit bitmap, and one
// stretch to the window's 846 x 531. The reference decoder runs on the same file
// in the same run: as a whole process (minus the cost of starting one) and as the
// library decoding in process with the reference decoder's default settings.
//
//   graphics_bench.exe [iterations]      (LAUNCHER_DJPEG overrides the djpeg path)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classes/filer.h"
#include "classes/streams.h"
#include "graphics/bitmap.h"
#include "graphics/graphics_module.h"
#include "graphics/jpeg_decoder.h"
#include "graphics/jpeg_image.h"
#include "graphics/jpeg_module.h"
#include "graphics/picture.h"
#include "platform/win32.h"
#include "runtime/exception.h"
#include "tests/graphics/jpeg_samples.h"

namespace {

using samples::BuildFolder;
using samples::Bytes;
using samples::DataFiler;
using samples::PictureDataBlock;

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

// Median of `n` timed runs of `body` (ms); `setup` runs untimed before each.
double Median(int n, const std::function<void()>& setup, const std::function<void()>& body) {
  std::vector<double> times;
  for (int i = 0; i < n; ++i) {
    setup();
    const double start = Now();
    body();
    times.push_back(Now() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

std::unique_ptr<TPicture> ReadPicture(const Bytes& block) {
  auto picture = std::make_unique<TPicture>();
  DataFiler filer;
  picture->DeclareExtraProperties(filer);
  TMemoryStream stream;
  stream.Write(block.data(), static_cast<int64_t>(block.size()));
  stream.SetPosition(0);
  filer.read(stream);
  return picture;
}

// Milliseconds one run of `command` takes, start to exit.
double RunProcess(std::string command) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  const double start = Now();
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    return -1;
  WaitForSingleObject(pi.hProcess, INFINITE);
  const double elapsed = Now() - start;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return elapsed;
}

// The library decoding in process with the reference decoder's defaults (RGB
// output, rows into one buffer) through the same adapter.
void LibraryDecode(const Bytes& file) {
  TMemoryStream data;
  data.Write(file.data(), static_cast<int64_t>(file.size()));
  auto context = std::make_unique<JpegDecodeContext>();
  JpegCreate(*context);
  JpegReadHeader(*context, data);
  context->cinfo.out_color_space = JCS_EXT_BGR;
  JpegStartDecompress(*context, JpegRows::kBgr24);
  const size_t stride = context->cinfo.output_width * 3;
  // Fresh memory each run, as the reference decoder and the bitmap both get.
  std::vector<uint8_t> pixels(stride * context->cinfo.output_height);
  while (context->cinfo.output_scanline < context->cinfo.output_height) {
    JSAMPROW row = &pixels[stride * context->cinfo.output_scanline];
    JpegReadScanlines(*context, &row, 1);
  }
  JpegFinishDecompress(*context);
  JpegDestroy(*context);
}

// The artwork-sized progressive file with its second scan (the first one of
// coefficients beyond DC) repeated `times` times: decoding must give up early.
Bytes EndlessScans(int times) {
  const Bytes file = samples::EncodeJpeg(1152, 846, 3, true);
  std::vector<size_t> scans;
  for (size_t i = 2; i + 1 < file.size(); ++i)
    if (file[i] == 0xFF && file[i + 1] == 0xDA) scans.push_back(i);
  if (scans.size() < 3) return file;
  const Bytes scan(file.begin() + scans[1], file.begin() + scans[2]);
  Bytes forged(file.begin(), file.begin() + scans[2]);
  for (int i = 0; i < times; ++i) forged.insert(forged.end(), scan.begin(), scan.end());
  forged.insert(forged.end(), file.begin() + scans[2], file.end());
  return forged;
}

void WriteAll(const std::string& path, const Bytes& data) {
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  GraphicsModuleStartup();
  JpegModuleStartup();
  const Bytes form = samples::ReadFile(BuildFolder() + "\\resources\\TFORM1.bin");
  const Bytes block = PictureDataBlock(form);
  if (block.size() < 16) {
    std::printf("no launcher window definition under %s\\resources\n", BuildFolder().c_str());
    return 1;
  }
  const Bytes file(block.begin() + 15, block.end());

  std::unique_ptr<TPicture> picture;
  const double load = Median(
      n, [] {}, [&] { picture = ReadPicture(block); });

  const double decode = Median(
      n, [&] { picture = ReadPicture(block); },
      [&] { static_cast<TJPEGImage*>(picture->Graphic())->DecodeToBitmap(); });

  // The surface the launcher window's client area would be.
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 846, -531, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP surface = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, surface);
  TCanvas canvas;
  canvas.SetHandle(dc);
  auto* image = static_cast<TJPEGImage*>(picture->Graphic());
  image->DecodeToBitmap();
  int decodes = 0;
  const double draw = Median(
      n, [] {},
      [&] {
        canvas.StretchGraphic({0, 0, 846, 531}, image);
        GdiFlush();
      });
  TBitmap* decoded = image->DecodedBitmap();
  canvas.StretchGraphic({0, 0, 846, 531}, image);
  if (image->DecodedBitmap() != decoded) ++decodes;
  canvas.SetHandle(nullptr);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(surface);

  const double library = Median(
      n, [] {}, [&] { LibraryDecode(file); });

  std::printf("artwork: %zu bytes, %d x %d\n", file.size(), image->ImageWidth(),
              image->ImageHeight());
  std::printf("load from the window definition (header only): %8.3f ms\n", load);
  std::printf("first decode into the 24-bit bitmap:            %8.3f ms\n", decode);
  std::printf("one stretch to 846 x 531 (COLORONCOLOR):        %8.3f ms\n", draw);
  std::printf("second draw decoded again:                      %s\n", decodes ? "yes" : "no");
  std::printf("library decode, reference settings, in process: %8.3f ms\n", library);

  const char* env = std::getenv("LAUNCHER_DJPEG");
  const std::string djpeg = env && *env ? env : LAUNCHER_DJPEG_PATH;
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string in = std::string(temp) + "graphics_bench.jpg";
  const std::string out = std::string(temp) + "graphics_bench.bmp";
  const std::string tiny = std::string(temp) + "graphics_bench_tiny.jpg";
  WriteAll(in, file);
  WriteAll(tiny, samples::EncodeJpeg(8, 8, 3, false));
  const std::string base = "\"" + djpeg + "\" -bmp -outfile \"" + out + "\" ";
  // Interleaved, so both see the same state of the machine.
  std::vector<double> wholes, starts;
  for (int i = 0; i < n; ++i) {
    wholes.push_back(RunProcess(base + "\"" + in + "\""));
    starts.push_back(RunProcess(base + "\"" + tiny + "\""));
  }
  std::sort(wholes.begin(), wholes.end());
  std::sort(starts.begin(), starts.end());
  const double whole = wholes[n / 2];
  const double start = starts[n / 2];
  if (whole < 0 || start < 0) {
    std::printf("reference decoder not runnable: %s\n", djpeg.c_str());
  } else {
    std::printf("djpeg -bmp, whole process:                      %8.3f ms\n", whole);
    std::printf("djpeg -bmp on an 8 x 8 file, whole process:     %8.3f ms\n", start);
    std::printf("djpeg decode to BMP (difference):               %8.3f ms\n", whole - start);
    std::printf("first decode / djpeg decode:                    %8.2f\n",
                decode / (whole - start));
  }
  std::printf("first decode / library decode:                  %8.2f\n", decode / library);

  const Bytes endless = EndlessScans(600);
  const double refusal = Median(
      3, [] {},
      [&] {
        TJPEGImage forged;
        TMemoryStream stream;
        stream.Write(endless.data(), static_cast<int64_t>(endless.size()));
        stream.SetPosition(0);
        forged.LoadStream(stream);
        try {
          forged.DecodeToBitmap();
        } catch (const Exception&) {
        }
      });
  std::printf("600 repeated scans, 1152 x 846, refused after:   %7.3f ms\n", refusal);
  DeleteFileA(in.c_str());
  DeleteFileA(tiny.c_str());
  DeleteFileA(out.c_str());
  picture.reset();
  JpegModuleShutdown();
  return 0;
}
