// Realised fonts for device contexts and the ANSI-to-Unicode table of the system code page.
#include "platform/linux/gdi/text/text_context.h"

#include <cstring>
#include <string>

#include "platform/win32.h"

namespace gdi_text {
namespace {

// The character set a font reports for DEFAULT_CHARSET: the one of the system code page.
unsigned char SystemCharset() {
  switch (GetACP()) {
    case 1251:
      return RUSSIAN_CHARSET;
    case 1250:
      return EASTEUROPE_CHARSET;
    default:
      return ANSI_CHARSET;
  }
}

}  // namespace

std::shared_ptr<Font> SelectedFont(const linux_gdi::DeviceContext& dc) {
  const LOGFONTA& logFont = *linux_gdi::SelectedLogFont(dc);
  FontRequest request;
  request.face.assign(logFont.lfFaceName, strnlen(logFont.lfFaceName, LF_FACESIZE));
  request.height = logFont.lfHeight;
  request.weight = logFont.lfWeight == FW_DONTCARE ? FW_NORMAL : logFont.lfWeight;
  request.italic = logFont.lfItalic != 0;
  request.underline = logFont.lfUnderline != 0;
  request.strikeOut = logFont.lfStrikeOut != 0;
  request.charset = logFont.lfCharSet == DEFAULT_CHARSET ? SystemCharset() : logFont.lfCharSet;
  return RealiseFont(request);
}

const std::array<char16_t, 256>& AnsiCharacters() {
  // The code page is fixed for the process once read; tests may switch it, so the table
  // follows it.
  thread_local UINT codePage = 0;
  thread_local std::array<char16_t, 256> table{};
  const UINT current = GetACP();
  if (current != codePage) {
    for (int byte = 0; byte < 256; ++byte) {
      const char c = static_cast<char>(byte);
      WCHAR wide = 0;
      table[size_t(byte)] =
          MultiByteToWideChar(CP_ACP, 0, &c, 1, &wide, 1) == 1 ? char16_t(wide) : char16_t(byte);
    }
    codePage = current;
  }
  return table;
}

LayoutFont LayoutFontOf(Font& font, std::string_view text) {
  LayoutFont layout;
  const std::array<char16_t, 256>& characters = AnsiCharacters();
  std::array<bool, 256> used{};
  used['.'] = true;
  for (char c : text) used[static_cast<unsigned char>(c)] = true;
  for (size_t byte = 0; byte < 256; ++byte) {
    if (used[byte]) layout.advance[byte] = font.Advance(characters[byte]);
  }
  const FontMetrics& metrics = font.Metrics();
  layout.height = metrics.height;
  layout.externalLeading = metrics.externalLeading;
  layout.aveCharWidth = metrics.aveCharWidth;
  return layout;
}

long long TextWidth(Font& font, std::string_view text) {
  const std::array<char16_t, 256>& characters = AnsiCharacters();
  long long width = 0;
  for (char c : text) width += font.Advance(characters[static_cast<unsigned char>(c)]);
  return width;
}

}  // namespace gdi_text
