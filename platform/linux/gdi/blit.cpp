// BitBlt and StretchBlt: source pixels converted to the destination's format, scaled by
// the stretch mode, combined with pattern and destination by a ternary raster operation.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/linux/gdi/paint.h"
#include "platform/linux/gdi/rop.h"

using namespace linux_gdi;

namespace {

// One axis of a blit: destination span, source span, mirroring.
struct Axis {
  int64_t dst = 0, dstLength = 0;  // surface coordinates, length > 0
  int64_t src = 0, srcLength = 0;
  bool mirrored = false;
};

// A negative extent covers the pixels before its origin, the origin included.
Axis MakeAxis(int64_t dst, int64_t dstExtent, int64_t src, int64_t srcExtent) {
  Axis a;
  bool flip = false;
  if (dstExtent < 0) {
    dst += dstExtent + 1;
    dstExtent = -dstExtent;
    flip = !flip;
  }
  if (srcExtent < 0) {
    src += srcExtent + 1;
    srcExtent = -srcExtent;
    flip = !flip;
  }
  a.dst = dst;
  a.dstLength = dstExtent;
  a.src = src;
  a.srcLength = srcExtent;
  a.mirrored = flip;
  return a;
}

// For each destination pixel of an axis, the run of source pixels it stands for: one
// pixel when enlarging, a group when shrinking (of which COLORONCOLOR keeps the last
// column and the first row).
// When shrinking, COLORONCOLOR keeps the last column and the first row of each group; a
// mirrored axis keeps the other end.
struct SourceRun {
  int64_t low, high;  // the group, in source order
  int64_t Column(bool mirrored) const { return mirrored ? low : high; }
  int64_t Row(bool mirrored) const { return mirrored ? high : low; }
};

SourceRun RunFor(const Axis& a, int64_t j) {
  const int64_t d = a.mirrored ? a.dstLength - 1 - j : j;
  const int64_t ws = a.srcLength, wd = a.dstLength;
  if (ws == wd) return {a.src + d, a.src + d};
  if (ws < wd) {
    const int64_t s = (2 * d * ws + ws - 1) / (2 * wd);
    return {a.src + s, a.src + s};
  }
  const int64_t last = (2 * ws * (d + 1) - wd) / (2 * wd);
  const int64_t first = d == 0 ? 0 : (2 * ws * d - wd) / (2 * wd) + 1;
  return {a.src + first, a.src + last};
}

// Whether pixel values mean the same colours on both surfaces: equal depth, and equal
// masks (direct colour) or equal colour tables (indexed).
bool SameFormat(const Surface& src, const Surface& dst) {
  if (src.bitsPerPixel != dst.bitsPerPixel) return false;
  if (src.bitsPerPixel > 8) return std::memcmp(src.masks, dst.masks, sizeof src.masks) == 0;
  return src.colors.size() == dst.colors.size() &&
         std::equal(src.colors.begin(), src.colors.end(), dst.colors.begin(),
                    [](const RGBQUAD& a, const RGBQUAD& b) {
                      return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen &&
                             a.rgbBlue == b.rgbBlue;
                    });
}

// Converts source pixel values to destination pixel values.
class Converter {
 public:
  Converter(const Surface& src, const Surface& dst, const DcState& srcState,
            const DcState& dstState) {
    if (src.bitsPerPixel == 1 && src.deviceBitmap && dst.bitsPerPixel != 1) {
      // A monochrome bitmap shows in the destination's text (0) and background (1) colours.
      kind_ = Kind::kMono;
      zero_ = dst.Encode(ResolveColor(dstState, dstState.textColor));
      one_ = dst.Encode(ResolveColor(dstState, dstState.bkColor));
    } else if (dst.bitsPerPixel == 1 && dst.deviceBitmap && src.bitsPerPixel != 1) {
      // Into a monochrome bitmap: the source's background colour is white, all else black.
      kind_ = Kind::kToMono;
      background_ = ResolveColor(srcState, srcState.bkColor);
    } else if (SameFormat(src, dst)) {
      kind_ = Kind::kSame;
    }
    src_ = &src;
    dst_ = &dst;
  }
  bool Identity() const { return kind_ == Kind::kSame; }
  uint32_t operator()(uint32_t raw) const {
    switch (kind_) {
      case Kind::kSame:
        return raw;
      case Kind::kMono:
        return raw ? one_ : zero_;
      case Kind::kToMono:
        return src_->Decode(raw) == background_ ? 1 : 0;
      default:
        if (raw != lastRaw_ || !haveLast_) {
          lastRaw_ = raw;
          lastValue_ = dst_->EncodeFrom(*src_, raw);
          haveLast_ = true;
        }
        return lastValue_;
    }
  }

 private:
  enum class Kind { kSame, kMono, kToMono, kGeneral };
  Kind kind_ = Kind::kGeneral;
  uint32_t zero_ = 0, one_ = 0;
  COLORREF background_ = 0;
  const Surface* src_ = nullptr;
  const Surface* dst_ = nullptr;
  mutable uint32_t lastRaw_ = 0, lastValue_ = 0;
  mutable bool haveLast_ = false;
};

// The 24-bit to 32-bit copy the artwork takes, row by row: `offsets` are the source
// columns' byte offsets. The first `wide` pixels are read as four bytes and masked (their
// fourth byte still lies within the row); the others, at a row's end, byte by byte.
void CopyRow24To32(const uint8_t* srcRow, uint32_t* dstRow, const uint32_t* offsets, int wide,
                   int count) {
  int i = 0;
  for (; i < wide; ++i) {
    uint32_t value;
    std::memcpy(&value, srcRow + offsets[i], sizeof value);
    dstRow[i] = value & 0xFFFFFF;
  }
  for (; i < count; ++i) {
    const uint8_t* p = srcRow + offsets[i];
    dstRow[i] = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                (static_cast<uint32_t>(p[2]) << 16);
  }
}

// Without a source a blit paints the pattern over the destination rectangle.
BOOL PatternBlit(const DrawTarget& target, int x, int y, int width, int height, unsigned code) {
  const Axis ax = MakeAxis(x, width, 0, 1), ay = MakeAxis(y, height, 0, 1);
  const RECT r = target.ToSurface(
      RECT{static_cast<LONG>(ax.dst), static_cast<LONG>(ay.dst),
           static_cast<LONG>(std::min<int64_t>(ax.dst + ax.dstLength, INT32_MAX)),
           static_cast<LONG>(std::min<int64_t>(ay.dst + ay.dstLength, INT32_MAX))});
  PaintRect(target, r, BrushPainter(target, target.state->brush), code);
  return TRUE;
}

// What every pixel of one blit needs, worked out once.
struct BlitJob {
  BlitJob(const DrawTarget& target, const DrawTarget& source, const Axis& x, const Axis& y,
          unsigned rop)
      : dst(*target.surface),
        src(*source.surface),
        ax(x),
        ay(y),
        code(rop),
        mode(target.state->stretchMode),
        combine((ax.srcLength > ax.dstLength || ay.srcLength > ay.dstLength) &&
                (mode == BLACKONWHITE || mode == WHITEONBLACK)),
        convert(src, dst, *source.state, *target.state),
        brush(target, target.state->brush),
        usesPattern(RopUsesPattern(code)),
        mask(dst.ValueMask()),
        fastTarget(dst.bitsPerPixel == 32 && dst.masks[0] == 0xFF0000 && dst.masks[1] == 0xFF00 &&
                   dst.masks[2] == 0xFF) {}

  const Surface& dst;
  const Surface& src;
  const Axis ax, ay;
  const unsigned code;
  const int mode;
  // Shrinking in these modes keeps what every merged pixel has (AND) or any has (OR).
  const bool combine;
  const Converter convert;
  const BrushPainter brush;
  const bool usesPattern;
  const uint32_t mask;
  const bool fastTarget;  // 32-bit 8-8-8: rows of a plain copy are written directly
};

// The destination rectangle in surface coordinates, held where later sums cannot overflow.
RECT DestinationRect(const Axis& ax, const Axis& ay) {
  auto held = [](int64_t v) {
    return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2));
  };
  return RECT{held(ax.dst), held(ay.dst), held(ax.dst + ax.dstLength), held(ay.dst + ay.dstLength)};
}

// The source columns of one destination band, shared by all its rows.
struct Columns {
  std::vector<SourceRun> runs;
  std::vector<int64_t> kept;      // the column each destination pixel takes
  std::vector<uint32_t> offsets;  // their byte offsets, for a 24-bit source copied plainly
  bool plainCopy = false;         // SRCCOPY of single pixels that all lie inside the source
  int wide = 0;                   // leading pixels that may be read four bytes at a time
};

void PlanColumns(const BlitJob& job, const RECT& r, Columns& columns) {
  const int width = r.right - r.left;
  columns.runs.resize(static_cast<size_t>(width));
  columns.kept.resize(static_cast<size_t>(width));
  bool allInside = true;
  for (size_t i = 0; i < columns.runs.size(); ++i) {
    columns.runs[i] = RunFor(job.ax, r.left + static_cast<int64_t>(i) - job.ax.dst);
    columns.kept[i] = columns.runs[i].Column(job.ax.mirrored);
    allInside = allInside && columns.kept[i] >= 0 && columns.kept[i] < job.src.width;
  }
  columns.plainCopy = job.code == 0xCC && !job.combine && allInside;
  columns.wide = 0;
  if (columns.plainCopy && job.src.bitsPerPixel == 24) {
    columns.offsets.resize(columns.kept.size());
    for (size_t i = 0; i < columns.kept.size(); ++i)
      columns.offsets[i] = static_cast<uint32_t>(3 * columns.kept[i]);
    while (columns.wide < width && columns.offsets[static_cast<size_t>(columns.wide)] + 4 <=
                                       static_cast<size_t>(job.src.stride))
      ++columns.wide;
  }
}

// The plain copies into a 32-bit 8-8-8 target done a row at a time; false when the row
// needs the general path.
bool CopyRowDirectly(const BlitJob& job, const Columns& columns, const RECT& r, int y,
                     int64_t sourceRow) {
  if (!columns.plainCopy || !job.fastTarget) return false;
  const int width = r.right - r.left;
  auto* dstRow = reinterpret_cast<uint32_t*>(job.dst.Row(y)) + r.left;
  const uint8_t* srcRow = job.src.Row(static_cast<int>(sourceRow));
  if (job.src.bitsPerPixel == 24) {
    CopyRow24To32(srcRow, dstRow, columns.offsets.data(), columns.wide, width);
    return true;
  }
  if (!job.convert.Identity()) return false;
  const auto* srcPixels = reinterpret_cast<const uint32_t*>(srcRow);
  for (int i = 0; i < width; ++i) dstRow[i] = srcPixels[columns.kept[static_cast<size_t>(i)]];
  return true;
}

// The AND or OR of the source pixels a shrunken destination pixel stands for.
uint32_t CombinedValue(const BlitJob& job, const SourceRun& rows, const SourceRun& cols) {
  const bool all = job.mode == BLACKONWHITE;
  uint32_t value = all ? job.mask : 0;
  for (int64_t sy = std::max<int64_t>(rows.low, 0); sy <= rows.high && sy < job.src.height; ++sy)
    for (int64_t sx = std::max<int64_t>(cols.low, 0); sx <= cols.high && sx < job.src.width; ++sx) {
      const uint32_t v = job.convert(job.src.ReadRaw(static_cast<int>(sx), static_cast<int>(sy)));
      value = all ? value & v : value | v;
    }
  return value;
}

void BlitRow(const BlitJob& job, const Columns& columns, const RECT& r, int y) {
  const SourceRun rows = RunFor(job.ay, y - job.ay.dst);
  const int64_t sourceRow = rows.Row(job.ay.mirrored);
  if (sourceRow < 0 || sourceRow >= job.src.height) return;
  if (CopyRowDirectly(job, columns, r, y, sourceRow)) return;
  const int width = r.right - r.left;
  for (int i = 0; i < width; ++i) {
    const SourceRun cols = columns.runs[static_cast<size_t>(i)];
    const int64_t sourceColumn = cols.Column(job.ax.mirrored);
    if (sourceColumn < 0 || sourceColumn >= job.src.width) continue;
    const uint32_t value = job.combine ? CombinedValue(job, rows, cols)
                                       : job.convert(job.src.ReadRaw(static_cast<int>(sourceColumn),
                                                                     static_cast<int>(sourceRow)));
    const int x = r.left + i;
    uint32_t pat = 0;
    if (job.usesPattern && !job.brush.At(x, y, pat)) continue;
    job.dst.WriteRaw(
        x, y,
        job.code == 0xCC ? value : Rop3(job.code, pat, value, job.dst.ReadRaw(x, y)) & job.mask);
  }
}

BOOL Blit(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
          int wSrc, int hSrc, DWORD rop) {
  std::optional<DrawTarget> target = BeginDraw(hdcDest);
  if (!target) return FALSE;
  const unsigned code = RopIndex(rop);
  if (!RopUsesSource(code)) return PatternBlit(*target, xDest, yDest, wDest, hDest, code);
  std::optional<DrawTarget> source = BeginDraw(hdcSrc);
  if (!source) return FALSE;
  if (wDest == 0 || hDest == 0 || wSrc == 0 || hSrc == 0) return FALSE;
  const POINT dOrigin = target->ToSurface(0, 0), sOrigin = source->ToSurface(0, 0);
  const BlitJob job(*target, *source,
                    MakeAxis(int64_t{xDest} + dOrigin.x, wDest, int64_t{xSrc} + sOrigin.x, wSrc),
                    MakeAxis(int64_t{yDest} + dOrigin.y, hDest, int64_t{ySrc} + sOrigin.y, hSrc),
                    code);

  // Destination pixels whose source lies outside the source surface stay untouched.
  Region area(DestinationRect(job.ax, job.ay));
  area.Intersect(target->clip);
  Columns columns;
  for (const RECT& r : area.Rects()) {
    PlanColumns(job, r, columns);
    for (int y = r.top; y < r.bottom; ++y) BlitRow(job, columns, r, y);
  }
  return TRUE;
}

}  // namespace

extern "C" {

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  return Blit(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop);
}

BOOL WINAPI StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc,
                       int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop) {
  return Blit(hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, wSrc, hSrc, rop);
}

}  // extern "C"
