#include "graphics/jpeg_module.h"

#include "graphics/file_formats.h"
#include "graphics/jpeg_image.h"
#include "platform/gdi_handles.h"
#include "platform/win32.h"
#include "runtime/messages.h"

void JpegModuleStartup() {
  const int bits = [] {
    WindowDC screen(nullptr);
    return screen ? GetDeviceCaps(screen.Get(), BITSPIXEL) * GetDeviceCaps(screen.Get(), PLANES)
                  : 24;
  }();
  JpegDefaults.OutputFormat = bits <= 8 ? ofIndexed8 : ofRGB24;
  const std::string description = LoadMessage(msg::kJpegImageFile);
  RegisterGraphicFormat("jpeg", description, TJPEGImage::StaticClass());
  RegisterGraphicFormat("jpg", description, TJPEGImage::StaticClass());
}

void JpegModuleShutdown() { RemoveGraphicFormats(TJPEGImage::StaticClass()); }
