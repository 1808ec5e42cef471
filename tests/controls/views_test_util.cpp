#include "tests/controls/views_test_util.h"

#include <stdexcept>

#include "classes/reader.h"
#include "classes/streams.h"
#include "controls/controls_module.h"
#include "graphics/graphics_module.h"
#include "graphics/jpeg_module.h"
#include "runtime/modules.h"
#include "runtime/startup.h"
#include "tests/graphics/jpeg_samples.h"

namespace views_test {

Surface::Surface(int width, int height, COLORREF fill)
    : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.Reset(CreateDIBSection(dc_.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_ || bits == nullptr) throw std::runtime_error("no DIB section");
  bits_ = static_cast<const uint32_t*>(bits);
  previous_ = SelectObject(dc_.Get(), bitmap_.Get());
  Fill(fill);
}

Surface::~Surface() { SelectObject(dc_.Get(), previous_); }

COLORREF Surface::At(int x, int y) const {
  const uint32_t bgr = bits_[static_cast<size_t>(y) * width_ + x];
  return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
}

void Surface::Fill(COLORREF color) {
  GdiObject<HBRUSH> brush(CreateSolidBrush(color));
  const RECT all = {0, 0, width_, height_};
  FillRect(dc_.Get(), &all, brush.Get());
  GdiFlush();
}

std::unique_ptr<Surface> ReadWindow(HWND window, int width, int height) {
  auto surface = std::make_unique<Surface>(width, height);
  WindowDC source(window);
  BitBlt(surface->Dc(), 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);
  GdiFlush();
  return surface;
}

namespace {
constexpr char kHostClass[] = "ViewsTestHost";

ATOM HostClass() {
  static const ATOM atom = [] {
    WNDCLASSA cls = {};
    cls.lpfnWndProc = &DefWindowProcA;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.lpszClassName = kHostClass;
    return RegisterClassA(&cls);
  }();
  return atom;
}
}  // namespace

HostWindow::HostWindow(int width, int height) {
  HostClass();
  window_ = CreateWindowExA(WS_EX_TOPMOST, kHostClass, "views", WS_POPUP | WS_VISIBLE, 0, 0, width,
                            height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (window_ == nullptr) throw std::runtime_error("no host window");
  PumpMessages();
}

HostWindow::~HostWindow() { DestroyWindow(window_); }

namespace {
constexpr ModuleEntry kModules[] = {
    {"runtime", &RuntimeCoreStartup, &RuntimeCoreShutdown},
    {"graphics", &GraphicsModuleStartup, &GraphicsModuleShutdown},
    {"controls", &ControlsModuleStartup, &ControlsModuleShutdown},
    {"jpeg", &JpegModuleStartup, &JpegModuleShutdown},
};
}  // namespace

void StartModules() { RunModuleStartups(kModules); }
void StopModules() { RunModuleShutdowns(); }

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

TOwnedPtr<formtool::CheckForm> ReadLauncherTree() {
  const samples::Bytes bytes = samples::LauncherFormStream();
  if (bytes.empty()) throw std::runtime_error("no TFORM1.bin beside the tests");
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  stream.SetPosition(0);
  TOwnedPtr<formtool::CheckForm> root(new formtool::CheckForm(nullptr));
  TReader reader(stream);
  reader.LoadRoot(root.get());
  return root;
}

}  // namespace views_test
