#include "controls_test_support.h"

#include <algorithm>

#include "classes/metadata_builder.h"
#include "controls/controls_module.h"
#include "graphics/graphics_module.h"
#include "graphics/jpeg_module.h"
#include "runtime/exception.h"
#include "runtime/modules.h"
#include "runtime/startup.h"

HCURSOR StandInHost::CursorHandleFor(TCursor cursor) {
  cursorsAsked.push_back(cursor);
  // Distinct system cursors stand in for the screen's table.
  return LoadCursorA(nullptr, cursor == crHandPoint ? IDC_HAND : IDC_CROSS);
}

void StandInHost::ReportException(TControl* /*control*/, const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const Exception& e) {
    reported.push_back(e.Message());
  } catch (...) {
    reported.push_back("another kind");
  }
}

StandInHost& TestHost() {
  static StandInHost host;
  return host;
}

namespace {
// The modules the program starts below the forms, in its order. One environment for the
// whole controls_tests executable: a second one would start them twice.
constexpr ModuleEntry kModules[] = {
    {"runtime", &RuntimeCoreStartup, &RuntimeCoreShutdown},
    {"graphics", &GraphicsModuleStartup, &GraphicsModuleShutdown},
    {"controls", &ControlsModuleStartup, &ControlsModuleShutdown},
    {"jpeg", &JpegModuleStartup, &JpegModuleShutdown},
};

class ControlsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    InstallControlsHost(&TestHost());
    RunModuleStartups(kModules);
  }
  void TearDown() override {
    RunModuleShutdowns();
    InstallControlsHost(nullptr);
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ControlsEnvironment);

LRESULT CALLBACK PlainWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, msg, wparam, lparam);
}
}  // namespace

void PumpMessages() {
  MSG msg;
  for (int round = 0; round < 4; ++round) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(10);
  }
}

HostWindow::HostWindow(int x, int y, int width, int height) {
  static const bool registered = [] {
    WNDCLASSA cls = {};
    cls.lpfnWndProc = &PlainWindowProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    cls.lpszClassName = "ControlsTestHost";
    return RegisterClassA(&cls) != 0;
  }();
  (void)registered;
  window_ = CreateWindowExA(WS_EX_TOPMOST, "ControlsTestHost", "", WS_POPUP | WS_VISIBLE, x, y,
                            width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetForegroundWindow(window_);
  PumpMessages();
}

HostWindow::~HostWindow() { DestroyWindow(window_); }

TLogWinControl::TLogWinControl(TComponent* owner) : TWinControl(owner) {
  IncludeTrait(ctContainer);
}

void TLogWinControl::HandleControlMessage(MessageRecord& message) {
  log.push_back(message);
  TWinControl::HandleControlMessage(message);
}

void TLogWinControl::PaintOwnSurface(HDC dc) {
  ++surfacePaints;
  TWinControl::PaintOwnSurface(dc);
}

const ClassMetadata& TLogWinControl::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TLogWinControl>("TLogWinControl", &TWinControl::StaticMeta(), "tests")
          .Constructor()
          .Build();
  return meta;
}

TSwatch::TSwatch(TComponent* owner) : TGraphicControl(owner) {}

void TSwatch::HandleControlMessage(MessageRecord& message) {
  log.push_back(message);
  TGraphicControl::HandleControlMessage(message);
}

void TSwatch::DrawContent() {
  ++paints;
  Canvas()->Brush()->SetColor(static_cast<TColor>(fill));
  const RECT all = {0, 0, Width(), Height()};
  Canvas()->FillRectangle(all);
}

const ClassMetadata& TSwatch::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TSwatch>("TSwatch", &TGraphicControl::StaticMeta(), "tests")
          .Constructor()
          .Build();
  return meta;
}

ClientPixels::ClientPixels(HWND window) {
  RECT r;
  GetClientRect(window, &r);
  width_ = r.right;
  height_ = r.bottom;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width_;
  bi.bmiHeader.biHeight = -height_;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(memory, dib);
  HDC source = GetDC(window);
  BitBlt(memory, 0, 0, width_, height_, source, 0, 0, SRCCOPY);
  ReleaseDC(window, source);
  GdiFlush();
  const auto* pixels = static_cast<const uint32_t*>(bits);
  bits_.assign(pixels, pixels + static_cast<size_t>(width_) * static_cast<size_t>(height_));
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(dib);
}

COLORREF ClientPixels::At(int x, int y) const {
  const uint32_t p =
      bits_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

std::vector<UINT> Filtered(const std::vector<MessageRecord>& log, const std::vector<UINT>& wanted) {
  std::vector<UINT> out;
  for (const MessageRecord& m : log) {
    if (std::find(wanted.begin(), wanted.end(), m.Msg) != wanted.end()) out.push_back(m.Msg);
  }
  return out;
}
