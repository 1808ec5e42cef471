#include "graphics/clipboard_formats.h"

#include <algorithm>
#include <memory>

#include "graphics/bitmap.h"
#include "graphics/file_formats.h"

namespace {
std::unique_ptr<std::vector<TClipboardFormat>> formats;
}

std::vector<TClipboardFormat>& ClipboardFormats() {
  if (!formats) {
    formats = std::make_unique<std::vector<TClipboardFormat>>(std::vector<TClipboardFormat>{
        {CF_METAFILEPICT, &TMetafile::StaticClass()},
        {CF_ENHMETAFILE, &TMetafile::StaticClass()},
        {CF_BITMAP, &TBitmap::StaticClass()},
    });
  }
  return *formats;
}

void RegisterClipboardFormat(uint16_t format, const TGraphicClass& graphicClass) {
  ClipboardFormats().push_back({format, &graphicClass});
}

void RemoveClipboardFormats(const TGraphicClass& graphicClass) {
  if (!formats) return;
  std::erase_if(*formats, [&](const TClipboardFormat& f) {
    return f.graphicClass->InheritsFrom(graphicClass);
  });
}

const TGraphicClass* FindClipboardClass(uint16_t format) {
  for (const TClipboardFormat& f : ClipboardFormats())
    if (f.format == format) return f.graphicClass;
  return nullptr;
}

void FreeClipboardFormats() { formats.reset(); }
