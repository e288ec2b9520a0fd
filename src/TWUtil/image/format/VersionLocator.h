// From a PE image to the root block of its version resource (resource type
// 16), with the checks that decide whether the image can be stamped at all.
#pragma once

#include <cstdint>

#include "image/ByteSpan.h"

namespace twutil {
namespace peformat {

enum class VersionSearch {
  kFound,
  kNotPE,
  kDamagedHeader,
  kNoResources,
  kNoVersionResource,
  kDamagedDirectory,
  kDamagedVersionData,  // the data entry's RVA or the root block (with its
                        // children) reaches outside the file
  kNoFixedInfo,         // the root block's value does not start with 0xFEEF04BD
};

// *rootBlock is the file offset of the VS_VERSIONINFO block when kFound.
VersionSearch LocateVersionInfo(const ByteSpan& image, uint64_t* rootBlock);

}  // namespace peformat
}  // namespace twutil
