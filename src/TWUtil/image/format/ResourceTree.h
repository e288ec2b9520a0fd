// The PE resource directory: finding the data entry of a resource type.
#pragma once

#include <cstdint>

#include "image/ByteSpan.h"

namespace twutil {
namespace peformat {

enum class ResourceSearch {
  kFound,
  kTypeMissing,  // no root entry with that numeric type
  kDamaged,      // an entry, directory or data entry lies outside the file, a
                 // directory has no entries, or the tree loops
};

// In the directory whose root lies at rootOffset: the last root entry of the
// numeric type, then the first entry of every level below it down to a data
// entry. *dataRva is that data entry's OffsetToData. The language is not
// chosen: the first name and the first language are taken.
ResourceSearch FindFirstResource(const ByteSpan& image, uint64_t rootOffset, uint32_t type,
                                 uint32_t* dataRva);

}  // namespace peformat
}  // namespace twutil
