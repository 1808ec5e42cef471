// Cursors and icons from group resources, and the shared system shapes. A handle is the
// address of its decoded image; every handle loaded here is shared, as on Win32, so
// loading the same resource again gives the same handle and the image lives as long as
// the program.
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/linux/cursor_image.h"
#include "platform/win32.h"

namespace {

using linux_cursor::CursorImage;

struct Registry {
  std::mutex lock;
  std::map<HICON, std::unique_ptr<CursorImage>> live;
  // Shared handles by the group resource they came from, or by system id.
  std::map<std::pair<const void*, unsigned>, HICON> shared;
  // Handles made by CopyIcon: the program's own, freed by DestroyIcon.
  std::map<HICON, bool> copies;
};

Registry& Handles() {
  static Registry registry;
  return registry;
}

// The size a display of this kind asks for (SM_CXCURSOR, SM_CXICON).
constexpr int kPreferredSize = 32;

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Has(size_t at, size_t count) const { return at <= size_ && count <= size_ - at; }
  unsigned Word(size_t at) const { return data_[at] | data_[at + 1] << 8; }
  uint32_t Dword(size_t at) const { return Word(at) | static_cast<uint32_t>(Word(at + 2)) << 16; }
  const uint8_t* At(size_t at) const { return data_ + at; }

 private:
  const uint8_t* data_;
  size_t size_;
};

Reader ResourceBytes(HRSRC resource) {
  auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, resource)));
  return Reader(data, data ? SizeofResource(nullptr, resource) : 0);
}

// The group's entry nearest the preferred size, the deepest colour among equals; returns
// the image resource's id, or 0 when the group is malformed.
unsigned PickImage(const Reader& group, bool isIcon) {
  if (!group.Has(0, 6) || group.Word(2) != (isIcon ? 1u : 2u)) return 0;
  unsigned count = group.Word(4), best = 0;
  int bestDistance = 0;
  unsigned bestBits = 0;
  for (unsigned i = 0; i < count; ++i) {
    size_t entry = 6 + 14 * size_t{i};
    if (!group.Has(entry, 14)) return 0;
    int width = isIcon ? (group.At(entry)[0] ? group.At(entry)[0] : 256)
                       : static_cast<int>(group.Word(entry));
    unsigned bits = group.Word(entry + 6);
    int distance = width > kPreferredSize ? width - kPreferredSize : kPreferredSize - width;
    if (best == 0 || distance < bestDistance || (distance == bestDistance && bits > bestBits)) {
      best = group.Word(entry + 12);
      bestDistance = distance;
      bestBits = bits;
    }
  }
  return best;
}

uint32_t Opaque(uint32_t bgr) { return 0xFF000000u | (bgr & 0xFFFFFF); }

// Decodes a device-independent image with its AND mask below it (the stored height is
// twice the picture's). Only uncompressed images of 1, 4, 8, 24 or 32 bits are accepted.
bool DecodeImage(const Reader& r, size_t at, CursorImage* image) {
  if (!r.Has(at, 40)) return false;
  const uint32_t headerSize = r.Dword(at);
  const auto width = static_cast<int32_t>(r.Dword(at + 4));
  const auto storedHeight = static_cast<int32_t>(r.Dword(at + 8));
  const unsigned bits = r.Word(at + 14);
  const uint32_t compression = r.Dword(at + 16);
  const uint32_t coloursUsed = r.Dword(at + 32);
  if (headerSize < 40 || width <= 0 || width > 256 || storedHeight <= 0 || storedHeight > 512 ||
      storedHeight % 2 != 0 || compression != 0)
    return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  const int height = storedHeight / 2;
  const size_t paletteCount = bits <= 8 ? (coloursUsed ? coloursUsed : 1u << bits) : 0;
  if (paletteCount > 256) return false;
  const size_t palette = at + headerSize;
  const size_t xorStride = (size_t(width) * bits + 31) / 32 * 4;
  const size_t andStride = (size_t(width) + 31) / 32 * 4;
  const size_t xorBits = palette + 4 * paletteCount;
  const size_t andBits = xorBits + xorStride * size_t(height);
  if (!r.Has(palette, 4 * paletteCount) || !r.Has(xorBits, xorStride * size_t(height)) ||
      !r.Has(andBits, andStride * size_t(height)))
    return false;

  image->width = width;
  image->height = height;
  image->bitCount = static_cast<int>(bits);
  const size_t rowBytes = (size_t(width) + 7) / 8;
  image->andMask.assign(rowBytes * size_t(height), 0);
  if (bits == 1) image->xorMask.assign(rowBytes * size_t(height), 0);
  image->pixels.assign(size_t(width) * size_t(height), 0);
  bool anyAlpha = false;
  for (int y = 0; y < height; ++y) {
    const size_t stored = size_t(height - 1 - y);  // bottom row first
    const uint8_t* andRow = r.At(andBits + andStride * stored);
    const uint8_t* xorRow = r.At(xorBits + xorStride * stored);
    std::memcpy(&image->andMask[rowBytes * size_t(y)], andRow, rowBytes);
    if (bits == 1) std::memcpy(&image->xorMask[rowBytes * size_t(y)], xorRow, rowBytes);
    for (int x = 0; x < width; ++x) {
      uint32_t colour = 0;
      switch (bits) {
        case 1:
        case 4:
        case 8: {
          const size_t bit = size_t(x) * bits;
          const unsigned index = (xorRow[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
          colour = index < paletteCount ? Opaque(r.Dword(palette + 4 * index)) : 0xFF000000u;
          break;
        }
        case 24:
          colour =
              Opaque(xorRow[3 * x] | xorRow[3 * x + 1] << 8 | uint32_t(xorRow[3 * x + 2]) << 16);
          break;
        default:
          colour = xorRow[4 * x] | xorRow[4 * x + 1] << 8 | uint32_t(xorRow[4 * x + 2]) << 16 |
                   uint32_t(xorRow[4 * x + 3]) << 24;
          anyAlpha = anyAlpha || (colour >> 24) != 0;
          break;
      }
      image->pixels[size_t(y) * size_t(width) + size_t(x)] = colour;
    }
  }
  // Where the image has no alpha of its own, the AND mask says what shows through; a
  // monochrome pixel that inverts the screen is shown black.
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t& colour = image->pixels[size_t(y) * size_t(width) + size_t(x)];
      if (bits == 32 && anyAlpha) continue;
      if (!image->AndBit(x, y))
        colour = Opaque(colour);
      else
        colour = bits == 1 && image->XorBit(x, y) ? 0xFF000000u : 0;
    }
  }
  return true;
}

HICON Register(std::unique_ptr<CursorImage> image, std::pair<const void*, unsigned> key) {
  Registry& registry = Handles();
  std::lock_guard<std::mutex> guard(registry.lock);
  auto found = registry.shared.find(key);
  if (found != registry.shared.end()) return found->second;  // another thread was first
  auto handle = reinterpret_cast<HICON>(image.get());
  registry.live.emplace(handle, std::move(image));
  registry.shared.emplace(key, handle);
  return handle;
}

HICON Shared(std::pair<const void*, unsigned> key) {
  Registry& registry = Handles();
  std::lock_guard<std::mutex> guard(registry.lock);
  auto found = registry.shared.find(key);
  return found == registry.shared.end() ? nullptr : found->second;
}

bool IsSystemId(bool isIcon, unsigned id) {
  if (isIcon) return id >= 32512 && id <= 32518;
  return (id >= 32512 && id <= 32516) || (id >= 32640 && id <= 32651 && id != 32647);
}

// Null module: the system's shapes, which the display driver draws itself.
HICON LoadSystem(bool isIcon, LPCSTR name) {
  const auto id = static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(name));
  if (!IS_INTRESOURCE(name) || !IsSystemId(isIcon, id)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  const std::pair<const void*, unsigned> key{nullptr, id | (isIcon ? 0x10000u : 0u)};
  if (HICON handle = Shared(key)) return handle;
  auto image = std::make_unique<CursorImage>();
  image->isIcon = isIcon;
  image->systemId = id;
  image->width = image->height = kPreferredSize;
  return Register(std::move(image), key);
}

// An icon group's images other than `picked`, decoded; those that cannot be are left out.
std::vector<CursorImage> OtherIcons(HINSTANCE module, const Reader& group, unsigned picked) {
  std::vector<CursorImage> others;
  const unsigned count = group.Word(4);
  for (unsigned i = 0; i < count; ++i) {
    const unsigned id = group.Word(6 + 14 * size_t{i} + 12);
    HRSRC resource = id != picked ? FindResourceA(module, MAKEINTRESOURCEA(id), RT_ICON) : nullptr;
    CursorImage image;
    image.isIcon = true;
    if (!resource || !DecodeImage(ResourceBytes(resource), 0, &image)) continue;
    image.hotX = image.width / 2;
    image.hotY = image.height / 2;
    others.push_back(std::move(image));
  }
  return others;
}

HICON LoadFromGroup(HINSTANCE module, LPCSTR name, bool isIcon) {
  HRSRC group = FindResourceA(module, name, isIcon ? RT_GROUP_ICON : RT_GROUP_CURSOR);
  if (!group) return nullptr;  // FindResourceA has set the error
  const std::pair<const void*, unsigned> key{group, 0};
  if (HICON handle = Shared(key)) return handle;
  const Reader groupBytes = ResourceBytes(group);
  const unsigned id = PickImage(groupBytes, isIcon);
  HRSRC picked =
      id ? FindResourceA(module, MAKEINTRESOURCEA(id), isIcon ? RT_ICON : RT_CURSOR) : nullptr;
  if (!picked) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  const Reader data = ResourceBytes(picked);
  auto image = std::make_unique<CursorImage>();
  image->isIcon = isIcon;
  const size_t dib = isIcon ? 0 : 4;  // a cursor image starts with its hot spot
  if ((!isIcon && !data.Has(0, 4)) || !DecodeImage(data, dib, image.get())) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  image->hotX = isIcon ? image->width / 2 : static_cast<int>(data.Word(0));
  image->hotY = isIcon ? image->height / 2 : static_cast<int>(data.Word(2));
  if (isIcon) image->otherSizes = OtherIcons(module, groupBytes, id);
  return Register(std::move(image), key);
}

HICON Load(HINSTANCE module, LPCSTR name, bool isIcon) {
  if (!name) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return module ? LoadFromGroup(module, name, isIcon) : LoadSystem(isIcon, name);
}

}  // namespace

namespace linux_cursor {

const CursorImage* CursorImageOf(HICON handle) {
  Registry& registry = Handles();
  std::lock_guard<std::mutex> guard(registry.lock);
  auto found = registry.live.find(handle);
  return found == registry.live.end() ? nullptr : found->second.get();
}

}  // namespace linux_cursor

extern "C" {

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
  return Load(hInstance, lpCursorName, false);
}

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
  return Load(hInstance, lpIconName, true);
}

HICON WINAPI CopyIcon(HICON hIcon) {
  Registry& registry = Handles();
  std::lock_guard<std::mutex> guard(registry.lock);
  auto found = registry.live.find(hIcon);
  if (found == registry.live.end()) {
    SetLastError(ERROR_INVALID_CURSOR_HANDLE);
    return nullptr;
  }
  auto copy = std::make_unique<CursorImage>(*found->second);
  auto handle = reinterpret_cast<HICON>(copy.get());
  registry.live.emplace(handle, std::move(copy));
  registry.copies.emplace(handle, true);
  return handle;
}

BOOL WINAPI DestroyIcon(HICON hIcon) {
  {
    Registry& registry = Handles();
    std::lock_guard<std::mutex> guard(registry.lock);
    if (registry.copies.erase(hIcon)) {
      registry.live.erase(hIcon);
      return TRUE;
    }
  }
  // Every loaded handle is shared: destroying one succeeds and leaves it as it was, as the
  // real API does for shared cursors, so a later load still finds it.
  if (linux_cursor::CursorImageOf(hIcon)) return TRUE;
  SetLastError(ERROR_INVALID_CURSOR_HANDLE);
  return FALSE;
}

BOOL WINAPI DestroyCursor(HCURSOR hCursor) { return DestroyIcon(hCursor); }

}  // extern "C"
