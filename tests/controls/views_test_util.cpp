#include "tests/controls/views_test_util.h"

#include <stdexcept>

#include "classes/reader.h"
#include "classes/streams.h"
#include "tests/graphics/jpeg_samples.h"

namespace views_test {

Surface::Surface(int width, int height, COLORREF fill) : DibSurface(width, height) { Fill(fill); }

void Surface::Fill(COLORREF color) {
  GdiObject<HBRUSH> brush(CreateSolidBrush(color));
  const RECT all = {0, 0, Width(), Height()};
  FillRect(Dc(), &all, brush.Get());
  GdiFlush();
}

std::unique_ptr<Surface> ReadWindow(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  auto surface = std::make_unique<Surface>(client.right, client.bottom);
  WindowDC source(window);
  BitBlt(surface->Dc(), 0, 0, client.right, client.bottom, source.Get(), 0, 0, SRCCOPY);
  GdiFlush();
  return surface;
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
