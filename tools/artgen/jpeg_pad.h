// Brings a JFIF file to an exact byte size with comment segments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace artgen {

// Largest whole comment segment: marker (2) + length field covering 65535.
constexpr size_t kMaxCommentSegment = 2 + 65535;
// Smallest: marker and a length field of 2 with no text.
constexpr size_t kMinCommentSegment = 4;

// Inserts comment segments right after the APP0 (JFIF) segment so the file
// becomes exactly `target` bytes. Returns false and leaves `jpeg` unchanged when
// the file has no leading JFIF segment or cannot be padded to that size
// (larger already, or 1 to 3 bytes short: a segment is at least 4 bytes).
bool PadWithComments(std::vector<uint8_t>& jpeg, size_t target, std::string* error);

}  // namespace artgen
