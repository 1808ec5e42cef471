#pragma once
// What the text functions take from a device context: the realised font of its selected
// logical font, and the characters its ANSI text stands for.
#include <array>
#include <memory>
#include <string_view>

#include "platform/linux/gdi/device_context.h"
#include "platform/linux/gdi/text/font_engine.h"
#include "platform/linux/gdi/text/text_layout.h"

namespace gdi_text {

// The realised font for the logical font selected into `dc`.
std::shared_ptr<Font> SelectedFont(const linux_gdi::DeviceContext& dc);

// The character each byte of ANSI text stands for, in the system code page.
const std::array<char16_t, 256>& AnsiCharacters();

// The font as the layout of `text` sees it: the advances of the bytes the text and an
// ellipsis use, and the line metrics.
LayoutFont LayoutFontOf(Font& font, std::string_view text);

// The width of ANSI text in `font`, summed without overflow.
long long TextWidth(Font& font, std::string_view text);

}  // namespace gdi_text
