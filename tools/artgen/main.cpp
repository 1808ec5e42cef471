// artgen <out.jpg>: paints the launcher's artwork and writes it as a baseline
// JFIF file of exactly the size the stored window definition expects, then
// reads the file back and checks it. Exits non-zero when anything is off.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/artgen/artwork.h"
#include "tools/artgen/jpeg_verify.h"
#include "tools/artgen/scene.h"

namespace {

constexpr size_t kArtworkBytes = 305872;

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Run(const std::string& path) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  const artgen::Canvas scene = artgen::RenderScene(artgen::kArtworkWidth, artgen::kArtworkHeight);
  const auto painted = Clock::now();
  const artgen::SizedJpeg jpeg = artgen::EncodeToExactSize(scene.ToRgb8(), artgen::kArtworkWidth,
                                                           artgen::kArtworkHeight, kArtworkBytes);
  if (jpeg.bytes.empty()) {
    std::fprintf(stderr, "artgen: %s\n", jpeg.error.c_str());
    return 1;
  }
  // Written under a private name and renamed into place once checked, so a bad
  // file never satisfies the build's dependency and two build rules racing to
  // make the same file cannot interleave their bytes.
  const std::string partial = path + ".partial." + std::to_string(getpid());
  if (!WriteFile(partial, jpeg.bytes)) {
    std::fprintf(stderr, "artgen: cannot write %s\n", partial.c_str());
    std::remove(partial.c_str());
    return 1;
  }
  // Check what actually landed on disk, not the buffer we meant to write.
  const std::string problem = artgen::VerifyArtwork(
      ReadFile(partial), {kArtworkBytes, artgen::kArtworkWidth, artgen::kArtworkHeight});
  if (!problem.empty()) {
    std::fprintf(stderr, "artgen: %s: %s\n", path.c_str(), problem.c_str());
    std::remove(partial.c_str());
    return 1;
  }
  if (std::rename(partial.c_str(), path.c_str()) != 0) {
    std::fprintf(stderr, "artgen: cannot move the file into place at %s\n", path.c_str());
    std::remove(partial.c_str());
    return 1;
  }
  const auto done = Clock::now();
  auto ms = [](auto d) {
    return static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
  };
  std::printf(
      "artgen: %s: %zu bytes, quality %d, %zu comment bytes (paint %lld ms, total %lld ms)\n",
      path.c_str(), jpeg.bytes.size(), jpeg.quality, jpeg.padding, ms(painted - start),
      ms(done - start));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: artgen <out.jpg>\n");
    return 2;
  }
  try {
    return Run(argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "artgen: %s\n", e.what());
    return 1;
  }
}
