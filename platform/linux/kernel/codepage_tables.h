#pragma once
// Character tables and single-character helpers shared by the code page,
// case-mapping and comparison functions of the kernel subset.
#include "platform/linux/win32_types.h"

namespace linux_kernel {

// Upper halves (bytes 0x80..0xFF) of the single-byte code pages.
extern const char16_t kCp1252[128];
extern const char16_t kCp1251[128];
extern const char16_t kCp437[128];
extern const char16_t kCp866[128];

// A single-byte code page: bytes below 0x80 are ASCII, the rest come from `high`.
struct SingleByteCodePage {
  UINT id;
  const char16_t* high;
};

// CP_ACP, CP_THREAD_ACP and CP_OEMCP resolved to the number they stand for.
UINT ResolveCodePage(UINT codePage);
// The table for 1252, 1251, 437 or 866 (after resolving); nullptr for others.
const SingleByteCodePage* FindSingleByteCodePage(UINT codePage);

char16_t ByteToChar(const SingleByteCodePage& page, unsigned char byte);
// Returns false when the code page has no byte for `ch`.
bool CharToByte(const SingleByteCodePage& page, char16_t ch, unsigned char* byte);

// Simple (one-to-one) case mapping for Latin, Greek and Cyrillic letters.
char16_t ToUpperChar(char16_t ch);
char16_t ToLowerChar(char16_t ch);

}  // namespace linux_kernel
