#pragma once
// UTF-8 helpers of the form tool: encoding code points, strict decoding, and the
// byte/character escapes of quoted strings in the text form.
#include <cstdint>
#include <string>
#include <string_view>

namespace formtool {

// Appends the UTF-8 form of `codePoint` (at most 0x10FFFF).
void AppendUtf8(std::string& out, uint32_t codePoint);

// Decodes one strictly valid UTF-8 sequence (no overlong forms, no surrogates, at
// most 0x10FFFF) at `text[pos]`; returns its length, or 0 when it is not valid.
size_t DecodeUtf8(std::string_view text, size_t pos, uint32_t& codePoint);

bool IsAscii(std::string_view text);
bool IsValidUtf8(std::string_view text);

}  // namespace formtool
