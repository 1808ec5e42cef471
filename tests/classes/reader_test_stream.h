#pragma once
// The launcher's stored window, built in code for reader tests and benchmarks: the
// same records, values and encodings as the shipped definition, with a stand-in JPEG
// payload of the requested size.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "classes/stream_writer.h"

namespace standins {

// Byte size of the shipped definition and of its JPEG payload.
constexpr size_t kLauncherStreamSize = 307402;
constexpr size_t kLauncherJpegSize = 305872;

// The JPEG bytes used as payload: a deterministic pattern of `size` bytes.
std::vector<uint8_t> FakeJpeg(size_t size);

// The whole stream: "TPF0", Form1 and its six components.
std::vector<uint8_t> BuildLauncherStream(size_t jpegSize = 64);

// The three labels' common part, for tests that assemble variations.
void WriteLabel(StreamWriter& w, const std::string& name, int left, int width,
                const std::string& caption, const std::string& handler);

}  // namespace standins
