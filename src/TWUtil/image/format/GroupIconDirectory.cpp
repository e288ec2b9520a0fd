#include "image/format/GroupIconDirectory.h"

#include "image/format/WritableBytes.h"

namespace twutil {
namespace peformat {
namespace {

constexpr uint64_t kHeaderSize = 6;
constexpr uint64_t kEntrySize = 14;
constexpr uint64_t kImageIdInEntry = 12;

uint64_t ImageIdOffset(uint16_t index) {
  return kHeaderSize + index * kEntrySize + kImageIdInEntry;
}

}  // namespace

bool ReadGroupIconCount(const ByteSpan& group, uint16_t* count) {
  uint16_t announced = 0;
  if (group.Size() > kGroupBufferSize || !group.ReadU16(4, &announced)) return false;
  if (!group.Holds(kHeaderSize, announced * kEntrySize)) return false;
  *count = announced;
  return true;
}

bool ReadGroupIconImageId(const ByteSpan& group, uint16_t index, uint16_t* id) {
  return group.ReadU16(ImageIdOffset(index), id);
}

bool WriteGroupIconImageId(uint8_t* group, size_t size, uint16_t index, uint16_t id) {
  return WritableBytes(group, size).WriteU16(ImageIdOffset(index), id);
}

}  // namespace peformat
}  // namespace twutil
