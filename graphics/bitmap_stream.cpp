// The BMP file form of a bitmap: what SaveStream writes and LoadStream reads, and
// the counted form stored inside a picture.
#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/bitmap.h"
#include "platform/gdi_handles.h"
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

// --- writing ----------------------------------------------------------------------

// What a BMP file holds: the info header, colour table, channel masks and the bits.
struct BmpContent {
  BITMAPINFOHEADER header{};
  std::vector<RGBQUAD> table;
  DWORD masks[3] = {};
  const void* sectionBits = nullptr;   // a DIB section's own bits
  std::vector<unsigned char> ddbBits;  // or a copy of a device-dependent bitmap's
  bool topDown = false;                // rows in memory top row first

  const void* Bits() const { return sectionBits ? sectionBits : ddbBits.data(); }
};

// The colour table of an indexed DIB section: its own, or its palette's when it has none.
std::vector<RGBQUAD> SectionColors(const TBitmapImage& image, int bitCount, DWORD colorsUsed) {
  const int most = 1 << bitCount;
  const int wanted = colorsUsed ? std::min<int>(colorsUsed, most) : most;
  std::vector<RGBQUAD> table(wanted);
  DeselectBitmap(image.dibHandle);
  {
    OwnedDC dc(CreateCompatibleDC(nullptr));
    SelectGuard selected(dc.Get(), image.dibHandle);
    table.resize(GetDIBColorTable(dc.Get(), 0, wanted, table.data()));
  }
  if (table.empty() && image.palette) {
    PALETTEENTRY entries[256] = {};
    const UINT n = GetPaletteEntries(image.palette, 0, wanted, entries);
    for (UINT i = 0; i < n; ++i)
      table.push_back({entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0});
  }
  return table;
}

BmpContent SectionContent(const TBitmapImage& image) {
  BmpContent content;
  content.header = image.dib.dsBmih;
  content.header.biSize = kInfoHeaderSize;
  content.sectionBits = image.dib.dsBm.bmBits;
  content.topDown = image.topDown;
  std::memcpy(content.masks, image.dib.dsBitfields, sizeof content.masks);
  if (content.header.biBitCount <= 8)
    content.table = SectionColors(image, content.header.biBitCount, content.header.biClrUsed);
  return content;
}

// A device-dependent bitmap is written in its own depth through GetDIBits.
BmpContent DeviceBitmapContent(HBITMAP handle) {
  std::vector<unsigned char> info(kInfoHeaderSize + 256 * sizeof(RGBQUAD));
  auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
  BITMAP bm = {};
  GetObjectA(handle, sizeof bm, &bm);
  bi->bmiHeader.biSize = kInfoHeaderSize;
  bi->bmiHeader.biWidth = bm.bmWidth;
  bi->bmiHeader.biHeight = bm.bmHeight;
  bi->bmiHeader.biPlanes = 1;
  bi->bmiHeader.biBitCount = static_cast<WORD>(bm.bmPlanes * bm.bmBitsPixel);
  if (bi->bmiHeader.biBitCount == 16 || bi->bmiHeader.biBitCount == 32)
    bi->bmiHeader.biBitCount = 24;  // no masks to carry
  BmpContent content;
  content.ddbBits.resize(static_cast<size_t>(DibRowBytes(bm.bmWidth, bi->bmiHeader.biBitCount)) *
                         bm.bmHeight);
  DeselectBitmap(handle);
  {
    WindowDC screen(nullptr, GetDC(nullptr));
    GetDIBits(screen.Get(), handle, 0, bm.bmHeight, content.ddbBits.data(), bi, DIB_RGB_COLORS);
  }
  content.header = bi->bmiHeader;
  content.header.biCompression = BI_RGB;
  content.header.biClrUsed = 0;
  if (content.header.biBitCount <= 8)
    content.table.assign(bi->bmiColors, bi->bmiColors + (1 << content.header.biBitCount));
  return content;
}

// The file header, the info (or, for `core`, the old core) header and the colour table
// or masks, for bits of `bitsSize` bytes.
std::vector<unsigned char> BmpHead(const BmpContent& content, bool core, bool withMasks,
                                   uint32_t bitsSize) {
  const BITMAPINFOHEADER& header = content.header;
  std::vector<unsigned char> head;
  const uint32_t headerSize = core ? kCoreHeaderSize : kInfoHeaderSize;
  const uint32_t tableSize =
      static_cast<uint32_t>(content.table.size()) * (core ? 3u : 4u) + (withMasks ? 12u : 0u);
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
    for (const RGBQUAD& q : content.table) {
      head.push_back(q.rgbBlue);
      head.push_back(q.rgbGreen);
      head.push_back(q.rgbRed);
    }
  } else {
    Put(head, header);
    if (withMasks) Put(head, content.masks);
    for (const RGBQUAD& q : content.table) Put(head, q);
  }
  return head;
}

void WriteRows(TStream& stream, const BmpContent& content, uint32_t bitsSize) {
  if (!content.topDown) {
    stream.WriteBuffer(content.Bits(), bitsSize);
    return;
  }
  // The file is bottom-up: the rows go out last first.
  const uint32_t rowBytes =
      static_cast<uint32_t>(DibRowBytes(content.header.biWidth, content.header.biBitCount));
  const auto* rows = static_cast<const unsigned char*>(content.Bits());
  for (uint32_t row = bitsSize / rowBytes; row-- > 0;)
    stream.WriteBuffer(rows + static_cast<size_t>(row) * rowBytes, rowBytes);
}

// --- reading ----------------------------------------------------------------------

// A BMP file's DIB part as read, the header normalised to an info header.
struct ParsedBmp {
  BITMAPINFOHEADER header{};
  bool os2 = false;  // it had the old core header
  DWORD masks[3] = {};
  std::vector<RGBQUAD> table;
  size_t bitsAt = 0;     // where the bits start, from the DIB part's start
  size_t available = 0;  // bytes of bits present
  size_t needed = 0;     // bytes of bits an uncompressed image has
  bool Rle() const { return header.biCompression == BI_RLE8 || header.biCompression == BI_RLE4; }
  int64_t Height() const { return std::abs(static_cast<int64_t>(header.biHeight)); }
};

// The DIB header (core or info), checked for a depth, compression and size this reader
// takes.
void ReadHeader(const unsigned char* dib, size_t dibSize, uint32_t headerSize, ParsedBmp& bmp) {
  BITMAPINFOHEADER& h = bmp.header;
  if (headerSize == kCoreHeaderSize) {
    if (dibSize < kCoreHeaderSize) Invalid();
    bmp.os2 = true;
    h.biWidth = Get16(dib + 4);
    h.biHeight = Get16(dib + 6);
    h.biPlanes = Get16(dib + 8);
    h.biBitCount = Get16(dib + 10);
    h.biCompression = BI_RGB;
  } else if (headerSize >= kInfoHeaderSize && headerSize <= dibSize) {
    std::memcpy(&h, dib, kInfoHeaderSize);
  } else {
    Invalid();
  }
  h.biSize = kInfoHeaderSize;
  const int bitCount = h.biBitCount;
  const bool validDepth = bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
                          bitCount == 24 || bitCount == 32;
  const bool validCompression =
      h.biCompression == BI_RGB || (h.biCompression == BI_RLE8 && bitCount == 8) ||
      (h.biCompression == BI_RLE4 && bitCount == 4) ||
      (h.biCompression == BI_BITFIELDS && (bitCount == 16 || bitCount == 32));
  const int64_t width = h.biWidth;
  const int64_t height = bmp.Height();
  if (!validDepth || !validCompression || width <= 0 || height == 0 ||
      width * height > kMaxPixels || (bmp.Rle() && h.biHeight < 0))
    Invalid();
}

// The masks and colour table after the header, then where the bits start and how many
// the data holds.
void ReadColorsAndBits(const unsigned char* dib, size_t dibSize, uint32_t headerSize,
                       uint32_t bitsOffset, size_t dataSize, ParsedBmp& bmp) {
  const int bitCount = bmp.header.biBitCount;
  size_t pos = headerSize;
  if (bmp.header.biCompression == BI_BITFIELDS) {
    // Masks follow a plain info header; longer headers carry them inside.
    const size_t at = headerSize == kInfoHeaderSize ? pos : kInfoHeaderSize;
    if (at + 12 > dibSize) Invalid();
    for (int i = 0; i < 3; ++i) bmp.masks[i] = Get32(dib + at + 4 * i);
    if (headerSize == kInfoHeaderSize) pos += 12;
  }
  const size_t entrySize = bmp.os2 ? 3 : 4;
  size_t entries = bmp.header.biClrUsed;
  if (bitCount <= 8) {
    const size_t most = size_t{1} << bitCount;
    if (entries == 0 || entries > most) entries = most;
  }
  if (entries > (dibSize - std::min(pos, dibSize)) / entrySize) Invalid();
  for (size_t i = 0; i < entries; ++i) {
    const unsigned char* e = dib + pos + i * entrySize;
    if (bitCount <= 8) bmp.table.push_back({e[0], e[1], e[2], 0});
  }
  pos += entries * entrySize;
  // The file header says where the bits start; trust it only inside the data.
  if (bitsOffset >= kFileHeaderSize + pos && bitsOffset < dataSize)
    pos = bitsOffset - kFileHeaderSize;
  bmp.bitsAt = pos;
  bmp.available = dibSize - std::min(pos, dibSize);
  bmp.needed = static_cast<size_t>(DibRowBytes(bmp.header.biWidth, bitCount)) * bmp.Height();
  if (!bmp.Rle() && bmp.available < bmp.needed) throw EReadError(msg::kStreamReadError, {});
}

// The BITMAPINFO of the section the file is read into: always bottom-up, so that row
// access and saving follow one rule, and uncompressed.
std::vector<unsigned char> SectionInfo(const ParsedBmp& bmp) {
  std::vector<unsigned char> info(kInfoHeaderSize + 256 * sizeof(RGBQUAD));
  auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
  bi->bmiHeader = bmp.header;
  bi->bmiHeader.biHeight = static_cast<LONG>(bmp.Height());
  bi->bmiHeader.biClrUsed = static_cast<DWORD>(bmp.table.size());
  if (bmp.header.biCompression == BI_BITFIELDS)
    std::memcpy(bi->bmiColors, bmp.masks, sizeof bmp.masks);
  else
    std::copy(bmp.table.begin(), bmp.table.end(), bi->bmiColors);
  if (bmp.Rle()) {
    bi->bmiHeader.biCompression = BI_RGB;
    bi->bmiHeader.biSizeImage = 0;
  }
  return info;
}

// Puts the file's bits (`source`, `bmp.available` bytes) into the section.
void FillSection(HDC screen, HBITMAP section, void* bits, const std::vector<unsigned char>& info,
                 const ParsedBmp& bmp, const unsigned char* source) {
  const auto height = static_cast<size_t>(bmp.Height());
  if (bmp.Rle()) {
    // The platform expands run-length data; it stops at the end of what it was given.
    std::vector<unsigned char> packed(info);
    auto* pbi = reinterpret_cast<BITMAPINFO*>(packed.data());
    pbi->bmiHeader.biCompression = bmp.header.biCompression;
    std::vector<unsigned char> runs(source, source + bmp.available);
    runs.resize(bmp.available + 2, 0);  // an end-of-bitmap code after truncated data
    runs[bmp.available] = 0;
    runs[bmp.available + 1] = 1;
    pbi->bmiHeader.biSizeImage = static_cast<DWORD>(runs.size());
    SetDIBits(screen, section, 0, static_cast<UINT>(height), runs.data(), pbi, DIB_RGB_COLORS);
  } else if (bmp.header.biHeight > 0) {
    std::memcpy(bits, source, bmp.needed);
  } else {
    // A top-down file: its first row is the section's last.
    const size_t rowBytes =
        static_cast<size_t>(DibRowBytes(bmp.header.biWidth, bmp.header.biBitCount));
    for (size_t row = 0; row < height; ++row)
      std::memcpy(static_cast<unsigned char*>(bits) + (height - 1 - row) * rowBytes,
                  source + row * rowBytes, rowBytes);
  }
}

}  // namespace

void TBitmap::WriteBmp(TStream& stream) {
  if (image_->saveStream) {
    stream.WriteBuffer(image_->saveStream->Memory(), image_->saveStream->Size());
    return;
  }
  EnsureHandle();
  if (!image_->handle && !image_->dibHandle) return;

  BmpContent content =
      image_->dibHandle ? SectionContent(*image_) : DeviceBitmapContent(image_->handle);
  BITMAPINFOHEADER& header = content.header;
  const bool withMasks = header.biCompression == BI_BITFIELDS && header.biBitCount > 8;
  const bool core = image_->os2Format && !withMasks;
  const uint32_t bitsSize = static_cast<uint32_t>(DibRowBytes(header.biWidth, header.biBitCount)) *
                            static_cast<uint32_t>(std::abs(header.biHeight));
  header.biSizeImage = bitsSize;
  header.biClrUsed = header.biBitCount <= 8 ? static_cast<DWORD>(content.table.size()) : 0;
  const std::vector<unsigned char> head = BmpHead(content, core, withMasks, bitsSize);
  stream.WriteBuffer(head.data(), static_cast<int64_t>(head.size()));
  WriteRows(stream, content, bitsSize);
}

void TBitmap::ReadBmp(TStream& stream, int64_t size) {
  // Too short for any header: tell a foreign file from a damaged bitmap.
  if (size < 2) Invalid();
  std::vector<unsigned char> data(static_cast<size_t>(size));
  stream.ReadBuffer(data.data(), size);
  if (Get16(data.data()) != kBmpSignature) Invalid();
  if (size < kFileHeaderSize + 4) Invalid();
  const unsigned char* dib = &data[kFileHeaderSize];
  const size_t dibSize = data.size() - kFileHeaderSize;
  const uint32_t headerSize = Get32(dib);
  ParsedBmp bmp;
  ReadHeader(dib, dibSize, headerSize, bmp);
  ReadColorsAndBits(dib, dibSize, headerSize, Get32(&data[10]), data.size(), bmp);

  const std::vector<unsigned char> info = SectionInfo(bmp);
  void* bits = nullptr;
  GdiObject<HBITMAP> section;
  {
    WindowDC screen(nullptr, CheckHandle(GetDC(nullptr)));
    section.Reset(CreateDIBSection(screen.Get(), reinterpret_cast<const BITMAPINFO*>(info.data()),
                                   DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section || !bits) RaiseOutOfResources();
    FillSection(screen.Get(), section.Get(), bits, info, bmp, dib + bmp.bitsAt);
  }

  DIBSECTION described;
  std::memset(&described, 0, sizeof described);
  GetObjectA(section.Get(), sizeof described, &described);
  ReleaseCanvasContext();
  noPalette_ = false;
  ReplaceImage(section.Release(), nullptr, described, bmp.os2);
  if (bmp.header.biBitCount <= 8) {
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
