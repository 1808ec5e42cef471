#pragma once
// Source text of a script is bytes in a code page; string resources are UTF-16.
#include <string>

namespace rc {

constexpr int kCodePageWestern = 1252;
constexpr int kCodePageUtf8 = 65001;

bool IsSupportedCodePage(int codePage);
// Converts bytes in the given code page to UTF-16; undecodable UTF-8 becomes U+FFFD.
std::u16string ToUtf16(const std::string& bytes, int codePage);

}  // namespace rc
