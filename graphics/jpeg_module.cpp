#include "graphics/jpeg_module.h"

#include "graphics/file_formats.h"
#include "graphics/jpeg_image.h"
#include "platform/win32.h"
#include "runtime/messages.h"

void JpegModuleStartup() {
  HDC screen = GetDC(nullptr);
  const int bits = screen ? GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES) : 24;
  if (screen) ReleaseDC(nullptr, screen);
  JpegDefaults.OutputFormat = bits <= 8 ? ofIndexed8 : ofRGB24;
  const std::string description = LoadMessage(msg::kJpegImageFile);
  RegisterGraphicFormat("jpeg", description, TJPEGImage::StaticClass());
  RegisterGraphicFormat("jpg", description, TJPEGImage::StaticClass());
}

void JpegModuleShutdown() { RemoveGraphicFormats(TJPEGImage::StaticClass()); }
