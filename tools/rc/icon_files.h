#pragma once
// Icon and cursor files hold several images; a module stores each image as its own
// resource plus one group resource that lists them.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/rc/resource.h"

namespace rc {

// Appends the images of an .ico (isCursor false) or .cur file as RT_ICON/RT_CURSOR
// resources numbered from *nextImageId, and the RT_GROUP_ICON/RT_GROUP_CURSOR resource
// named `name`. Throws std::runtime_error on a malformed file.
void AddIconGroup(const std::vector<uint8_t>& file, bool isCursor, const ResId& name,
                  uint16_t language, uint16_t* nextImageId, std::vector<Resource>* out);

}  // namespace rc
