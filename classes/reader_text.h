#pragma once
// Text decoding for values read from a stored component tree.
#include <string>
#include <string_view>

// Decodes UTF-8 as stored streams use it: one unit per byte below 0x80; a lead with
// bit 0x20 set starts a three-byte sequence, any other lead a two-byte one; every
// continuation byte must be 0x80..0xBF and the sequence complete, otherwise the
// whole text decodes as empty.
std::u16string DecodeStoredUtf8(std::string_view bytes);
