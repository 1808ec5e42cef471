// The least a program needs to show the launcher's picture, written by hand on Xlib,
// libjpeg and FreeType: the yardstick process_bench.sh times the native launcher against.
// It maps an 846 x 531 borderless window centred on the screen, decodes the artwork
// (built into the executable, as the launcher carries it), shrinks it to the window the way
// our StretchBlt does in COLORONCOLOR mode, draws the title and the three words in bold
// Tahoma where the launcher's labels draw them, puts the picture on Expose and then waits
// for events until it is killed.
//
//   bare_xlib              LAUNCHER_BARE_FONT=<file> draws with another face file
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

// The library's header needs FILE first.
// clang-format off
#include <jpeglib.h>
// clang-format on

// The artwork's bytes, linked in from the build's resources folder.
asm(".section .rodata\n"
    ".balign 16\n"
    ".globl bare_artwork_begin\n.hidden bare_artwork_begin\n"
    ".globl bare_artwork_end\n.hidden bare_artwork_end\n"
    "bare_artwork_begin:\n"
    ".incbin \"" LAUNCHER_ARTWORK_PATH
    "\"\n"
    "bare_artwork_end:\n"
    ".previous\n");
extern "C" const unsigned char bare_artwork_begin[], bare_artwork_end[];

namespace {

constexpr int kWidth = 846, kHeight = 531;

// The window's contents as 0x00RRGGBB pixels, row by row (the 24-bit TrueColor layout).
struct Picture {
  std::vector<unsigned> pixels = std::vector<unsigned>(size_t(kWidth) * kHeight);
  unsigned& At(int x, int y) { return pixels[size_t(y) * kWidth + size_t(x)]; }
};

[[noreturn]] void Die(const char* what) {
  std::fprintf(stderr, "bare_xlib: %s\n", what);
  std::exit(1);
}

// Source row or column kept for each destination one when shrinking `from` to `to`: the
// first row and the last column of each group, as COLORONCOLOR does.
int FirstOfGroup(int d, int from, int to) {
  return d == 0 ? 0 : int((2LL * from * d - to) / (2LL * to) + 1);
}
int LastOfGroup(int d, int from, int to) { return int((2LL * from * (d + 1) - to) / (2LL * to)); }

// Decodes the artwork row by row, keeping only the rows and columns the window shows.
void DecodeArtwork(Picture& picture) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);  // its handler reports and exits
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bare_artwork_begin,
               static_cast<unsigned long>(bare_artwork_end - bare_artwork_begin));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_EXT_BGRX;  // the server's pixel layout, no conversion after
  jpeg_start_decompress(&cinfo);
  const int w = int(cinfo.output_width), h = int(cinfo.output_height);
  if (w < kWidth || h < kHeight) Die("the artwork is smaller than the window");
  std::vector<int> columns(kWidth), rowTarget(static_cast<size_t>(h), -1);
  for (int x = 0; x < kWidth; ++x) columns[size_t(x)] = LastOfGroup(x, w, kWidth);
  for (int y = 0; y < kHeight; ++y) rowTarget[size_t(FirstOfGroup(y, h, kHeight))] = y;
  std::vector<unsigned> line(static_cast<size_t>(w));
  JSAMPROW row = reinterpret_cast<JSAMPROW>(line.data());
  while (cinfo.output_scanline < cinfo.output_height) {
    const int y = int(cinfo.output_scanline);
    jpeg_read_scanlines(&cinfo, &row, 1);
    const int target = rowTarget[size_t(y)];
    if (target < 0) continue;
    unsigned* out = &picture.At(0, target);
    for (int x = 0; x < kWidth; ++x) out[x] = line[size_t(columns[size_t(x)])] & 0xFFFFFF;
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
}

// The bold Tahoma of Debian's Windows-compatible faces, through fontconfig. The system
// configuration does not index their folder, and loading it costs more than the rest of
// the start-up, so a configuration of that folder alone is made (its cache in the user's
// cache folder, written on the first run).
std::string BoldTahoma() {
  if (const char* file = std::getenv("LAUNCHER_BARE_FONT")) return file;
  FcConfig* config = FcConfigCreate();
  FcConfigParseAndLoadFromMemory(config,
                                 reinterpret_cast<const FcChar8*>(
                                     "<fontconfig><dir>/usr/share/wine/fonts</dir>"
                                     "<cachedir prefix=\"xdg\">fontconfig</cachedir></fontconfig>"),
                                 FcFalse);
  FcConfigBuildFonts(config);
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Tahoma:bold"));
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  FcChar8* file = nullptr;
  std::string path;
  if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    path = reinterpret_cast<const char*>(file);
  }
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  FcConfigDestroy(config);
  if (path.empty()) Die("no bold Tahoma");
  return path;
}

unsigned Mix(unsigned ink, unsigned under, unsigned coverage) {
  return (ink * coverage + under * (255 - coverage) + 127) / 255;
}

// One line of text with its cell's top at (x, y), as the labels draw it: the baseline one
// Windows ascent below, advances rounded to whole pixels, grey coverage blended. Where the
// file has a bitmap for the size (Tahoma at 16 pixels) that is drawn, at its own advance.
void DrawText(Picture& picture, FT_Face face, int pixels, int x, int y, const char* text,
              unsigned colour) {
  FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels));
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const long units = face->units_per_EM;
  const int baseline =
      y + int(((os2 ? long(os2->usWinAscent) : long(face->ascender)) * pixels + units / 2) / units);
  for (int pen = x; *text; ++text) {
    if (FT_Load_Char(face, FT_ULong(*text), FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    for (int j = 0; j < int(bitmap.rows); ++j) {
      const int py = baseline - slot->bitmap_top + j;
      if (py < 0 || py >= kHeight) continue;
      for (int i = 0; i < int(bitmap.width); ++i) {
        const int px = pen + slot->bitmap_left + i;
        const unsigned char* row = bitmap.buffer + j * bitmap.pitch;
        const unsigned c = bitmap.pixel_mode != FT_PIXEL_MODE_MONO ? row[i]
                           : row[i >> 3] & (0x80 >> (i & 7))       ? 255
                                                                   : 0;
        if (c == 0 || px < 0 || px >= kWidth) continue;
        unsigned& p = picture.At(px, py);
        p = Mix(colour >> 16, p >> 16, c) << 16 |
            Mix((colour >> 8) & 0xFF, (p >> 8) & 0xFF, c) << 8 | Mix(colour & 0xFF, p & 0xFF, c);
      }
    }
    pen += int((slot->advance.x + 32) >> 6);
  }
}

void DrawWords(Picture& picture) {
  FT_Library library;
  FT_Face face;
  if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, BoldTahoma().c_str(), 0, &face) != 0)
    Die("cannot open the font");
  DrawText(picture, face, 21, 232, 305, "BRASS LANTERN: THE RIVER WARDEN", 0xFFFF00);
  // The black strip at the bottom, then its three choices.
  for (int y = 496; y < 496 + 27; ++y)
    for (int x = 8; x < 8 + 830; ++x) picture.At(x, y) = 0;
  DrawText(picture, face, 16, 301, 500, "ENGLISH", 0x008000);
  DrawText(picture, face, 16, 393, 500, "RUSSIAN", 0x008000);
  DrawText(picture, face, 16, 489, 500, "EXIT", 0x008000);
  FT_Done_Face(face);
  FT_Done_FreeType(library);
}

}  // namespace

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) Die("cannot open the display");
  const int screen = DefaultScreen(display);
  Visual* visual = DefaultVisual(display, screen);
  if (DefaultDepth(display, screen) != 24 || visual->red_mask != 0xFF0000 ||
      visual->green_mask != 0xFF00 || visual->blue_mask != 0xFF)
    Die("needs a 24-bit 0xRRGGBB TrueColor screen");
  const int left = (DisplayWidth(display, screen) - kWidth) / 2;
  const int top = (DisplayHeight(display, screen) - kHeight) / 2;
  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(display, screen);  // the form's colour
  attributes.event_mask = ExposureMask;
  const Window window = XCreateWindow(display, RootWindow(display, screen), left, top, kWidth,
                                      kHeight, 0, CopyFromParent, InputOutput, CopyFromParent,
                                      CWBackPixel | CWEventMask, &attributes);
  XSizeHints position{};
  position.flags = USPosition | USSize;
  position.x = left;
  position.y = top;
  position.width = kWidth;
  position.height = kHeight;
  XSetWMNormalHints(display, window, &position);
  // No decorations: flags MWM_HINTS_DECORATIONS, decorations none.
  const long motif[5] = {2, 0, 0, 0, 0};
  const Atom hints = XInternAtom(display, "_MOTIF_WM_HINTS", False);
  XChangeProperty(display, window, hints, hints, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(motif), 5);
  // Mapped first, so the server shows the window while the picture is made.
  XMapWindow(display, window);
  XFlush(display);

  Picture picture;
  DecodeArtwork(picture);
  DrawWords(picture);
  XImage* image =
      XCreateImage(display, visual, 24, ZPixmap, 0, reinterpret_cast<char*>(picture.pixels.data()),
                   kWidth, kHeight, 32, kWidth * 4);
  const GC gc = DefaultGC(display, screen);
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type != Expose) continue;
    const XExposeEvent& e = event.xexpose;
    XPutImage(display, window, gc, image, e.x, e.y, e.x, e.y, unsigned(e.width),
              unsigned(e.height));
  }
}
