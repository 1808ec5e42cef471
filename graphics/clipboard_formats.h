#pragma once
// Clipboard format -> graphic class. Kept as data: this program never uses the
// clipboard.
#include <cstdint>
#include <vector>

#include "graphics/graphic.h"

struct TClipboardFormat {
  uint16_t format;
  const TGraphicClass* graphicClass;
};

// Created on first use with CF_METAFILEPICT and CF_ENHMETAFILE -> TMetafile and
// CF_BITMAP -> TBitmap.
std::vector<TClipboardFormat>& ClipboardFormats();
void RegisterClipboardFormat(uint16_t format, const TGraphicClass& graphicClass);
// Removes `graphicClass` and classes derived from it.
void RemoveClipboardFormats(const TGraphicClass& graphicClass);
const TGraphicClass* FindClipboardClass(uint16_t format);
void FreeClipboardFormats();
