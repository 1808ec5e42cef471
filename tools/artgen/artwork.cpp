#include "tools/artgen/artwork.h"

#include <utility>

#include "tools/artgen/jpeg_encode.h"
#include "tools/artgen/jpeg_pad.h"

namespace artgen {

SizedJpeg EncodeToExactSize(const std::vector<uint8_t>& rgb, int width, int height,
                            size_t targetSize) {
  SizedJpeg result;
  for (int quality = 100; quality >= 1; --quality) {
    std::vector<uint8_t> jpeg = EncodeJpeg(rgb, width, height, quality);
    const size_t missing = jpeg.size() <= targetSize ? targetSize - jpeg.size() : 0;
    const bool fits = jpeg.size() <= targetSize && (missing == 0 || missing >= kMinCommentSegment);
    if (fits) {
      std::string error;
      if (!PadWithComments(jpeg, targetSize, &error)) {
        result.error = error;
        return result;
      }
      result.bytes = std::move(jpeg);
      result.quality = quality;
      result.padding = missing;
      return result;
    }
  }
  result.error = "no quality gives a file small enough";
  return result;
}

}  // namespace artgen
