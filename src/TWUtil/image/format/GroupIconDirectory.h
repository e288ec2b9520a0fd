// The group-icon directory (RT_GROUP_ICON): a 6-byte header with idCount,
// then idCount entries of 14 bytes whose last word is the RT_ICON identifier
// of one image.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/ByteSpan.h"

namespace twutil {
namespace peformat {

// The copy of a group directory is made in a buffer of this size.
constexpr size_t kGroupBufferSize = 4096;

// The number of entries, when the directory fits the buffer and holds every
// entry that its idCount announces; false otherwise.
bool ReadGroupIconCount(const ByteSpan& group, uint16_t* count);

// The RT_ICON identifier of entry index; false when the entry is not there.
bool ReadGroupIconImageId(const ByteSpan& group, uint16_t index, uint16_t* id);
bool WriteGroupIconImageId(uint8_t* group, size_t size, uint16_t index, uint16_t id);

}  // namespace peformat
}  // namespace twutil
