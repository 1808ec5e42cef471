// The BMP file form of a bitmap: what SaveStream writes and LoadStream reads, and
// the counted form stored inside a picture.
#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/bitmap.h"
#include "runtime/exception.h"
#include "runtime/messages.h"

namespace {

constexpr uint16_t kBmpSignature = 0x4D42;  // "BM"
constexpr int kFileHeaderSize = 14;
constexpr int kCoreHeaderSize = 12;
constexpr int kInfoHeaderSize = 40;
// Far beyond any bitmap this program stores; stops a forged header from asking
// for an enormous section.
constexpr int64_t kMaxPixels = int64_t{64} * 1024 * 1024;

[[noreturn]] void Invalid() { throw EInvalidGraphic(msg::kInvalidBitmap, {}); }

template <class T>
void Put(std::vector<unsigned char>& out, const T& value) {
  const auto* p = reinterpret_cast<const unsigned char*>(&value);
  out.insert(out.end(), p, p + sizeof value);
}

uint32_t Get32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Get16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

void TBitmap::WriteBmp(TStream& stream) {
  if (image_->saveStream) {
    stream.WriteBuffer(image_->saveStream->Memory(), image_->saveStream->Size());
    return;
  }
  EnsureHandle();
  if (!image_->handle && !image_->dibHandle) return;

  BITMAPINFOHEADER header;
  std::vector<RGBQUAD> table;
  std::vector<unsigned char> ddbBits;
  const void* bits = nullptr;
  DWORD masks[3] = {};
  if (image_->dibHandle) {
    header = image_->dib.dsBmih;
    header.biSize = kInfoHeaderSize;
    bits = image_->dib.dsBm.bmBits;
    std::memcpy(masks, image_->dib.dsBitfields, sizeof masks);
    if (header.biBitCount <= 8) {
      const int most = 1 << header.biBitCount;
      const int wanted = header.biClrUsed ? std::min<int>(header.biClrUsed, most) : most;
      table.resize(wanted);
      DeselectBitmap(image_->dibHandle);
      HDC dc = CreateCompatibleDC(nullptr);
      HGDIOBJ old = SelectObject(dc, image_->dibHandle);
      const UINT got = GetDIBColorTable(dc, 0, wanted, table.data());
      SelectObject(dc, old);
      DeleteDC(dc);
      table.resize(got);
      if (got == 0 && image_->palette) {
        PALETTEENTRY entries[256] = {};
        const UINT n = GetPaletteEntries(image_->palette, 0, wanted, entries);
        for (UINT i = 0; i < n; ++i)
          table.push_back({entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0});
      }
    }
  } else {
    // A device-dependent bitmap is written in its own depth through GetDIBits.
    std::vector<unsigned char> info(kInfoHeaderSize + 256 * sizeof(RGBQUAD));
    auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
    BITMAP bm = {};
    GetObjectA(image_->handle, sizeof bm, &bm);
    bi->bmiHeader.biSize = kInfoHeaderSize;
    bi->bmiHeader.biWidth = bm.bmWidth;
    bi->bmiHeader.biHeight = bm.bmHeight;
    bi->bmiHeader.biPlanes = 1;
    bi->bmiHeader.biBitCount = static_cast<WORD>(bm.bmPlanes * bm.bmBitsPixel);
    if (bi->bmiHeader.biBitCount == 16 || bi->bmiHeader.biBitCount == 32)
      bi->bmiHeader.biBitCount = 24;  // no masks to carry
    ddbBits.resize(static_cast<size_t>(DibRowBytes(bm.bmWidth, bi->bmiHeader.biBitCount)) *
                   bm.bmHeight);
    DeselectBitmap(image_->handle);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, image_->handle, 0, bm.bmHeight, ddbBits.data(), bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    header = bi->bmiHeader;
    header.biCompression = BI_RGB;
    header.biClrUsed = 0;
    if (header.biBitCount <= 8)
      table.assign(bi->bmiColors, bi->bmiColors + (1 << header.biBitCount));
    bits = ddbBits.data();
  }

  const bool withMasks = header.biCompression == BI_BITFIELDS && header.biBitCount > 8;
  const bool core = image_->os2Format && !withMasks;
  const uint32_t bitsSize = static_cast<uint32_t>(DibRowBytes(header.biWidth, header.biBitCount)) *
                            static_cast<uint32_t>(std::abs(header.biHeight));
  header.biSizeImage = bitsSize;
  header.biClrUsed = header.biBitCount <= 8 ? static_cast<DWORD>(table.size()) : 0;

  std::vector<unsigned char> head;
  const uint32_t headerSize = core ? kCoreHeaderSize : kInfoHeaderSize;
  const uint32_t tableSize =
      static_cast<uint32_t>(table.size()) * (core ? 3u : 4u) + (withMasks ? 12u : 0u);
  const uint32_t offset = kFileHeaderSize + headerSize + tableSize;
  Put(head, kBmpSignature);
  Put(head, static_cast<uint32_t>(offset + bitsSize));
  Put(head, uint16_t{0});
  Put(head, uint16_t{0});
  Put(head, offset);
  if (core) {
    Put(head, uint32_t{kCoreHeaderSize});
    Put(head, static_cast<uint16_t>(header.biWidth));
    Put(head, static_cast<uint16_t>(header.biHeight));
    Put(head, uint16_t{1});
    Put(head, header.biBitCount);
    for (const RGBQUAD& q : table) {
      head.push_back(q.rgbBlue);
      head.push_back(q.rgbGreen);
      head.push_back(q.rgbRed);
    }
  } else {
    Put(head, header);
    if (withMasks) Put(head, masks);
    for (const RGBQUAD& q : table) Put(head, q);
  }
  stream.WriteBuffer(head.data(), static_cast<int64_t>(head.size()));
  if (image_->dibHandle && image_->topDown) {
    // The file is bottom-up: the rows go out last first.
    const uint32_t rowBytes = static_cast<uint32_t>(DibRowBytes(header.biWidth, header.biBitCount));
    const auto* rows = static_cast<const unsigned char*>(bits);
    for (uint32_t row = bitsSize / rowBytes; row-- > 0;)
      stream.WriteBuffer(rows + static_cast<size_t>(row) * rowBytes, rowBytes);
    return;
  }
  stream.WriteBuffer(bits, bitsSize);
}

void TBitmap::ReadBmp(TStream& stream, int64_t size) {
  if (size < kFileHeaderSize + kCoreHeaderSize) {
    // Too short for any header: tell a foreign file from a damaged bitmap.
    if (size < 2) Invalid();
  }
  std::vector<unsigned char> data(static_cast<size_t>(std::max<int64_t>(size, 0)));
  stream.ReadBuffer(data.data(), size);
  if (Get16(data.data()) != kBmpSignature) Invalid();
  if (size < kFileHeaderSize + 4) Invalid();
  const uint32_t bitsOffset = Get32(&data[10]);
  const unsigned char* dibStart = &data[kFileHeaderSize];
  const size_t dibSize = data.size() - kFileHeaderSize;
  const uint32_t headerSize = Get32(dibStart);

  BITMAPINFOHEADER h = {};
  bool os2 = false;
  if (headerSize == kCoreHeaderSize) {
    if (dibSize < kCoreHeaderSize) Invalid();
    os2 = true;
    h.biWidth = Get16(dibStart + 4);
    h.biHeight = Get16(dibStart + 6);
    h.biPlanes = Get16(dibStart + 8);
    h.biBitCount = Get16(dibStart + 10);
    h.biCompression = BI_RGB;
  } else if (headerSize >= kInfoHeaderSize && headerSize <= dibSize) {
    std::memcpy(&h, dibStart, kInfoHeaderSize);
  } else {
    Invalid();
  }
  h.biSize = kInfoHeaderSize;
  const int bitCount = h.biBitCount;
  const bool validDepth = bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
                          bitCount == 24 || bitCount == 32;
  const bool rle = h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4;
  const bool validCompression =
      h.biCompression == BI_RGB || (h.biCompression == BI_RLE8 && bitCount == 8) ||
      (h.biCompression == BI_RLE4 && bitCount == 4) ||
      (h.biCompression == BI_BITFIELDS && (bitCount == 16 || bitCount == 32));
  const int64_t width = h.biWidth;
  const int64_t height = std::abs(static_cast<int64_t>(h.biHeight));
  if (!validDepth || !validCompression || width <= 0 || height == 0 ||
      width * height > kMaxPixels || (rle && h.biHeight < 0))
    Invalid();

  size_t pos = headerSize;
  DWORD masks[3] = {};
  if (h.biCompression == BI_BITFIELDS) {
    // Masks follow a plain info header; longer headers carry them inside.
    const size_t at = headerSize == kInfoHeaderSize ? pos : kInfoHeaderSize;
    if (at + 12 > dibSize) Invalid();
    for (int i = 0; i < 3; ++i) masks[i] = Get32(dibStart + at + 4 * i);
    if (headerSize == kInfoHeaderSize) pos += 12;
  }
  std::vector<RGBQUAD> table;
  const size_t entrySize = os2 ? 3 : 4;
  size_t entries = h.biClrUsed;
  if (bitCount <= 8) {
    const size_t most = size_t{1} << bitCount;
    if (entries == 0 || entries > most) entries = most;
  }
  if (entries > (dibSize - std::min(pos, dibSize)) / entrySize) Invalid();
  for (size_t i = 0; i < entries; ++i) {
    const unsigned char* e = dibStart + pos + i * entrySize;
    if (bitCount <= 8) table.push_back({e[0], e[1], e[2], 0});
  }
  pos += entries * entrySize;
  // The file header says where the bits start; trust it only inside the data.
  if (bitsOffset >= kFileHeaderSize + pos && bitsOffset < data.size())
    pos = bitsOffset - kFileHeaderSize;
  const size_t available = dibSize - std::min(pos, dibSize);
  const size_t needed = static_cast<size_t>(DibRowBytes(h.biWidth, bitCount)) * height;
  if (!rle && available < needed) throw EReadError(msg::kStreamReadError, {});

  std::vector<unsigned char> info(kInfoHeaderSize + 256 * sizeof(RGBQUAD));
  auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
  bi->bmiHeader = h;
  // Always a bottom-up section, so that row access and saving follow one rule.
  bi->bmiHeader.biHeight = static_cast<LONG>(height);
  bi->bmiHeader.biClrUsed = static_cast<DWORD>(table.size());
  if (h.biCompression == BI_BITFIELDS)
    std::memcpy(bi->bmiColors, masks, sizeof masks);
  else
    std::copy(table.begin(), table.end(), bi->bmiColors);
  if (rle) {
    bi->bmiHeader.biCompression = BI_RGB;
    bi->bmiHeader.biSizeImage = 0;
  }

  HDC screen = CheckHandle(GetDC(nullptr));
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(screen, bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!section || !bits) {
    ReleaseDC(nullptr, screen);
    if (section) DeleteObject(section);
    RaiseOutOfResources();
  }
  if (rle) {
    // The platform expands run-length data; it stops at the end of what it was given.
    std::vector<unsigned char> packed(info);
    auto* pbi = reinterpret_cast<BITMAPINFO*>(packed.data());
    pbi->bmiHeader.biCompression = h.biCompression;
    pbi->bmiHeader.biSizeImage = static_cast<DWORD>(available);
    std::vector<unsigned char> source(dibStart + pos, dibStart + pos + available);
    source.resize(available + 2, 0);  // an end-of-bitmap code after truncated data
    source[available] = 0;
    source[available + 1] = 1;
    pbi->bmiHeader.biSizeImage = static_cast<DWORD>(source.size());
    SetDIBits(screen, section, 0, static_cast<UINT>(height), source.data(), pbi, DIB_RGB_COLORS);
  } else if (h.biHeight > 0) {
    std::memcpy(bits, dibStart + pos, needed);
  } else {
    // A top-down file: its first row is the section's last.
    const size_t rowBytes = static_cast<size_t>(DibRowBytes(h.biWidth, bitCount));
    for (size_t row = 0; row < static_cast<size_t>(height); ++row)
      std::memcpy(static_cast<unsigned char*>(bits) + (height - 1 - row) * rowBytes,
                  dibStart + pos + row * rowBytes, rowBytes);
  }
  ReleaseDC(nullptr, screen);

  DIBSECTION dib;
  std::memset(&dib, 0, sizeof dib);
  GetObjectA(section, sizeof dib, &dib);
  ReleaseCanvasContext();
  noPalette_ = false;
  ReplaceImage(section, nullptr, dib, os2);
  if (bitCount <= 8) {
    EnsurePalette();
    if (image_->palette) SetPaletteModified(true);
  }
}

void TBitmap::LoadStream(TStream& stream) {
  const int64_t remaining = stream.Size() - stream.Position();
  if (remaining <= 0) {
    Assign(nullptr);
    return;
  }
  ReadBmp(stream, remaining);
  NotifyChange();
}

void TBitmap::SaveStream(TStream& stream) { WriteBmp(stream); }

void TBitmap::ReadPayload(TStream& stream) {
  int32_t count = 0;
  stream.ReadBuffer(&count, sizeof count);
  // Never allocate for more bytes than the stream can still supply.
  if (count < 0 || count > stream.Size() - stream.Position())
    throw EReadError(msg::kStreamReadError, {});
  if (count == 0) {
    Assign(nullptr);
    return;
  }
  ReadBmp(stream, count);
  NotifyChange();
}

void TBitmap::WritePayload(TStream& stream) {
  TMemoryStream bmp;
  WriteBmp(bmp);
  const auto count = static_cast<int32_t>(bmp.Size());
  stream.WriteBuffer(&count, sizeof count);
  if (count > 0) stream.WriteBuffer(bmp.Memory(), count);
}
