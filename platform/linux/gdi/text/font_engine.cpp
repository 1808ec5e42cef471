// Realising logical fonts with FreeType: sizing by character or cell height, the text
// metrics as the API reports them, and glyph coverage with synthesised bold and slant.
#include "platform/linux/gdi/text/font_engine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/linux/gdi/text/font_face.h"

namespace gdi_text {
namespace {

// Logical heights beyond this are clamped: no screen font is larger, and FreeType's
// fixed-point sizes must not overflow.
constexpr long long kMaxPixelSize = 2048;
// The default cell height of a logical font whose height is 0.
constexpr int kDefaultCellHeight = 16;
// Fonts kept realised beyond those in use.
constexpr size_t kCachedFonts = 32;
// Pitch and family bits of the reported metrics.
constexpr unsigned char kVariablePitch = 0x01;  // (sic: the bit set means "not fixed")
constexpr unsigned char kVector = 0x02;
constexpr unsigned char kTrueType = 0x04;
constexpr unsigned char kRoman = 0x10, kSwiss = 0x20, kModern = 0x30, kScript = 0x40,
                        kDecorative = 0x50;

// n / d rounded half away from zero, d > 0.
int RoundDiv(long long n, long long d) {
  return int(n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d));
}

// A font file opened once for every face read from it (each size of a font is a face of
// its own). FreeType reads through a stream: only the tables and glyphs it needs come in,
// rather than the whole file mapped and paged in around every read.
class FontFile {
 public:
  explicit FontFile(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    struct stat info {};
    if (fd_ >= 0 && fstat(fd_, &info) == 0 && info.st_size > 0)
      size_ = static_cast<unsigned long>(info.st_size);
  }
  ~FontFile() {
    if (fd_ >= 0) close(fd_);
  }
  FontFile(const FontFile&) = delete;
  FontFile& operator=(const FontFile&) = delete;
  bool Usable() const { return size_ > 0; }
  // A stream over the file for one face (FreeType keeps its position in it).
  void Describe(FT_StreamRec& stream) const {
    stream = FT_StreamRec{};
    stream.size = size_;
    stream.descriptor.pointer = const_cast<FontFile*>(this);
    stream.read = &Read;
  }

 private:
  // A read of `count` bytes at `offset`; count 0 is a seek (0 = fine).
  static unsigned long Read(FT_Stream stream, unsigned long offset, unsigned char* buffer,
                            unsigned long count) {
    const auto* file = static_cast<const FontFile*>(stream->descriptor.pointer);
    if (count == 0) return offset <= file->size_ ? 0 : 1;
    unsigned long done = 0;
    while (done < count) {
      const ssize_t got =
          pread(file->fd_, buffer + done, count - done, static_cast<off_t>(offset + done));
      if (got <= 0) break;
      done += static_cast<unsigned long>(got);
    }
    return done;
  }

  int fd_;
  unsigned long size_ = 0;
};

// The FreeType library and the realised fonts, created together; the fonts go first.
struct Engine {
  std::mutex libraryLock;
  FT_Library library = nullptr;
  std::map<std::string, std::weak_ptr<FontFile>> files;  // under libraryLock
  std::mutex cacheLock;
  std::list<std::pair<FontRequest, std::shared_ptr<Font>>> cache;  // most recent first

  Engine() {
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
  }
  ~Engine() {
    cache.clear();
    if (library) FT_Done_FreeType(library);
  }
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;
};

Engine& TheEngine() {
  static Engine engine;
  return engine;
}

unsigned char FamilyOf(FT_Face face, const TT_OS2* os2) {
  if (FT_IS_FIXED_WIDTH(face)) return kModern;
  if (!os2) return 0;
  switch (os2->panose[0]) {
    case 2:  // text and display faces: sans serif styles are 11 to 13
      if (os2->panose[3] == 9) return kModern;
      return os2->panose[1] >= 11 && os2->panose[1] <= 13 ? kSwiss : kRoman;
    case 3:
      return kScript;
    case 4:
      return kDecorative;
    default:
      return 0;
  }
}

}  // namespace

// The FreeType face of a realised font and how it must be altered.
class FontFace {
 public:
  FontFace(std::shared_ptr<FontFile> file, bool synthBold, bool synthItalic)
      : synthBold(synthBold), synthItalic(synthItalic), file_(std::move(file)) {
    file_->Describe(stream_);
  }
  ~FontFace() {
    if (!face) return;  // never opened (OpenFace holds the lock then)
    Engine& engine = TheEngine();
    std::lock_guard guard(engine.libraryLock);
    FT_Done_Face(face);
    file_.reset();
  }
  // Opens face `index` of the file; false when FreeType cannot read it.
  bool Open(FT_Library library, long index) {
    FT_Open_Args args{};
    args.flags = FT_OPEN_STREAM;
    args.stream = &stream_;
    return FT_Open_Face(library, &args, index, &face) == 0;
  }
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  FT_Face face = nullptr;
  bool synthBold;
  bool synthItalic;

 private:
  std::shared_ptr<FontFile> file_;
  FT_StreamRec stream_;  // the face reads through it for as long as it lives
};

namespace {

// Opens the face for a request; null when no font can be found or read.
std::unique_ptr<FontFace> OpenFace(const FontRequest& request) {
  const bool bold = request.weight >= 600;
  FaceLocation location = FindFace(request.face, bold, request.italic);
  if (location.file.empty()) return nullptr;
  Engine& engine = TheEngine();
  std::lock_guard guard(engine.libraryLock);
  if (!engine.library) return nullptr;
  std::shared_ptr<FontFile> file = engine.files[location.file].lock();
  if (!file) {
    file = std::make_shared<FontFile>(location.file);
    if (!file->Usable()) return nullptr;
    engine.files[location.file] = file;
  }
  auto face = std::make_unique<FontFace>(std::move(file), bold && !location.bold,
                                         request.italic && !location.italic);
  if (!face->Open(engine.library, location.index)) return nullptr;
  return face;
}

// Sizes an outline face and fills the metrics from its tables.
void SizeScalable(FT_Face face, int height, FontMetrics& m) {
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  long long winAscent = os2 ? os2->usWinAscent : face->ascender;
  long long winDescent = os2 ? os2->usWinDescent : -face->descender;
  if (winAscent + winDescent <= 0) {
    winAscent = face->ascender;
    winDescent = -face->descender;
  }
  const long long cell = std::max(1LL, winAscent + winDescent);
  const long long units = std::max<long long>(1, face->units_per_EM);
  long long ppem;
  if (height < 0) {
    ppem = std::min(-static_cast<long long>(height), kMaxPixelSize);
    m.ascent = RoundDiv(winAscent * ppem, units);
    m.descent = RoundDiv(winDescent * ppem, units);
  } else {
    const long long cellHeight = std::min<long long>(height, kMaxPixelSize);
    ppem = RoundDiv(cellHeight * units, cell);
    m.ascent = RoundDiv(winAscent * cellHeight, cell);
    m.descent = RoundDiv(winDescent * cellHeight, cell);
  }
  ppem = std::max(1LL, ppem);
  FT_Set_Pixel_Sizes(face, 0, FT_UInt(ppem));
  m.height = m.ascent + m.descent;
  m.internalLeading = m.height - int(ppem);
  if (hhea) {
    long long gap = hhea->Line_Gap - (cell - (hhea->Ascender - hhea->Descender));
    m.externalLeading = std::max(0, RoundDiv(gap * ppem, units));
  }
  if (os2 && os2->xAvgCharWidth > 0) m.aveCharWidth = RoundDiv(os2->xAvgCharWidth * ppem, units);
  m.maxCharWidth = RoundDiv((face->bbox.xMax - face->bbox.xMin) * ppem, units);
  m.weight = os2 ? os2->usWeightClass : 400;
  unsigned first = os2 ? os2->usFirstCharIndex : 0x20;
  unsigned last = os2 ? os2->usLastCharIndex : 0xFF;
  m.firstChar = static_cast<unsigned char>(first >= 2 ? std::min(first - 2, 0xFFu) : 0);
  m.lastChar = static_cast<unsigned char>(std::min(last, 0xFFu));
  m.defaultChar = static_cast<unsigned char>(std::min(m.firstChar + 1, 0xFF));
  m.breakChar = static_cast<unsigned char>(std::max(0x20u, std::min(first, 0xFFu)));
  m.pitchAndFamily = static_cast<unsigned char>(FamilyOf(face, os2) | kVector | kTrueType |
                                                (FT_IS_FIXED_WIDTH(face) ? 0 : kVariablePitch));
  // Decoration lines. FreeType gives the underline's centre; the top of the line is half
  // its thickness higher, and lies at least one row below the baseline.
  const int underline = std::max(1, RoundDiv(face->underline_thickness * ppem, units));
  m.underlineThickness = underline;
  m.underlineOffset = std::max(
      1, -RoundDiv((face->underline_position + face->underline_thickness / 2) * ppem, units));
  if (os2 && os2->yStrikeoutSize > 0) {
    m.strikeOutThickness = std::max(1, RoundDiv(os2->yStrikeoutSize * ppem, units));
    m.strikeOutOffset = -RoundDiv(os2->yStrikeoutPosition * ppem, units);
  } else {
    m.strikeOutThickness = underline;
    m.strikeOutOffset = -m.ascent / 3;
  }
}

// Chooses the bitmap strike nearest the requested height and fills the metrics from it.
void SizeBitmap(FT_Face face, int height, FontMetrics& m) {
  const long long wanted = height < 0 ? -static_cast<long long>(height) : height;
  int best = 0;
  long long bestDistance = -1;
  for (int i = 0; i < face->num_fixed_sizes; ++i) {
    const long long size =
        height < 0 ? face->available_sizes[i].y_ppem >> 6 : face->available_sizes[i].height;
    const long long distance = std::llabs(size - wanted);
    if (bestDistance < 0 || distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  FT_Select_Size(face, best);
  const FT_Size_Metrics& size = face->size->metrics;
  m.ascent = int((size.ascender + 32) >> 6);
  m.descent = int((-size.descender + 32) >> 6);
  m.height = m.ascent + m.descent;
  m.internalLeading = std::max(0, m.height - int(size.y_ppem));
  m.maxCharWidth = int((size.max_advance + 32) >> 6);
  m.weight = 400;
  m.firstChar = 0x20;
  m.lastChar = 0xFF;
  m.defaultChar = 0x80;
  m.breakChar = 0x20;
  m.pitchAndFamily = FT_IS_FIXED_WIDTH(face) ? kModern : (kSwiss | kVariablePitch);
  m.underlineOffset = 1;
  m.strikeOutOffset = -m.ascent / 3;
}

}  // namespace

Font::Font(const FontRequest& request) : face_(OpenFace(request)) {
  metrics_.charset = request.charset;
  metrics_.italic = request.italic;
  metrics_.underline = request.underline;
  metrics_.strikeOut = request.strikeOut;
  if (!face_) return;
  FT_Face face = face_->face;
  const int height = request.height == 0 ? kDefaultCellHeight : request.height;
  if (FT_IS_SCALABLE(face)) {
    SizeScalable(face, height, metrics_);
  } else {
    SizeBitmap(face, height, metrics_);
  }
  if (face_->synthBold) metrics_.weight = request.weight;
  if (metrics_.aveCharWidth == 0) metrics_.aveCharWidth = Advance(u'x');
  if (!FT_IS_SCALABLE(face)) {
    // Bitmap faces carry no reliable maximum: take it from the printable characters.
    for (char16_t ch = 0x20; ch < 0x7F; ++ch) {
      metrics_.maxCharWidth = std::max(metrics_.maxCharWidth, Advance(ch));
    }
  }
}

Font::~Font() = default;

int Font::Advance(char16_t ch) {
  std::lock_guard guard(lock_);
  auto it = advances_.find(ch);
  if (it != advances_.end()) return it->second;
  const int advance = LoadAdvance(ch);
  advances_.emplace(ch, advance);
  return advance;
}

int Font::LoadAdvance(char16_t ch) {
  if (!face_) return 0;
  FT_Face face = face_->face;
  if (FT_Load_Char(face, ch, FT_IS_SCALABLE(face) ? FT_LOAD_NO_BITMAP : FT_LOAD_DEFAULT) != 0) {
    return 0;
  }
  return int((face->glyph->advance.x + 32) >> 6) + (face_->synthBold ? 1 : 0);
}

const Glyph& Font::GlyphOf(char16_t ch) {
  std::lock_guard guard(lock_);
  auto it = glyphs_.find(ch);
  if (it != glyphs_.end()) return it->second;
  return Load(ch);
}

const Glyph& Font::Load(char16_t ch) {
  Glyph& glyph = glyphs_[ch];
  if (!face_) return glyph;
  FT_Face face = face_->face;
  const bool scalable = FT_IS_SCALABLE(face);
  // Measuring uses the outlines' advances even where the file carries a bitmap for the
  // size; drawing uses the file's bitmap when there is one, at its own advance, else the
  // hinted outline. The reference measures and draws the same way.
  FT_GlyphSlot slot = face->glyph;
  const bool strikes =
      scalable && FT_HAS_FIXED_SIZES(face) && !face_->synthBold && !face_->synthItalic;
  const auto measured = advances_.find(ch);
  if (strikes && measured != advances_.end()) {
    // Measured already: one load, which gives the bitmap where there is one and else the
    // same hinted outline the measuring load had.
    if (FT_Load_Char(face, ch, FT_LOAD_DEFAULT) != 0) return glyph;
    glyph.advance = measured->second;
    glyph.drawAdvance =
        slot->format == FT_GLYPH_FORMAT_BITMAP ? int((slot->advance.x + 32) >> 6) : glyph.advance;
  } else {
    if (FT_Load_Char(face, ch, scalable ? FT_LOAD_NO_BITMAP : FT_LOAD_DEFAULT) != 0) return glyph;
    glyph.advance = int((slot->advance.x + 32) >> 6) + (face_->synthBold ? 1 : 0);
    glyph.drawAdvance = glyph.advance;
    if (strikes) {
      if (FT_Load_Char(face, ch, FT_LOAD_DEFAULT) != 0) return glyph;
      if (slot->format == FT_GLYPH_FORMAT_BITMAP)
        glyph.drawAdvance = int((slot->advance.x + 32) >> 6);
    }
  }
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    if (face_->synthItalic) {
      FT_Matrix shear{0x10000, 0x3800, 0, 0x10000};  // about 12 degrees
      FT_Outline_Transform(&slot->outline, &shear);
    }
    if (face_->synthBold) FT_Outline_EmboldenXY(&slot->outline, 64, 0);
  }
  if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) {
    return glyph;
  }
  const FT_Bitmap& bitmap = slot->bitmap;
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  glyph.width = int(bitmap.width);
  glyph.height = int(bitmap.rows);
  glyph.coverage.assign(size_t(glyph.width) * size_t(glyph.height), 0);
  const int pitch = bitmap.pitch;
  for (int y = 0; y < glyph.height; ++y) {
    const unsigned char* row =
        bitmap.buffer + static_cast<ptrdiff_t>(pitch >= 0 ? y : y - glyph.height + 1) * pitch;
    std::uint8_t* out = &glyph.coverage[size_t(y) * size_t(glyph.width)];
    for (int x = 0; x < glyph.width; ++x) {
      if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
        out[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 0xFF : 0;
      } else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
        out[x] = row[x];
      }
    }
  }
  return glyph;
}

std::shared_ptr<Font> RealiseFont(const FontRequest& request) {
  Engine& engine = TheEngine();
  {
    std::lock_guard guard(engine.cacheLock);
    for (auto it = engine.cache.begin(); it != engine.cache.end(); ++it) {
      if (it->first == request) {
        engine.cache.splice(engine.cache.begin(), engine.cache, it);
        return it->second;
      }
    }
  }
  auto font = std::make_shared<Font>(request);
  std::lock_guard guard(engine.cacheLock);
  engine.cache.emplace_front(request, font);
  if (engine.cache.size() > kCachedFonts) engine.cache.pop_back();
  return font;
}

}  // namespace gdi_text
