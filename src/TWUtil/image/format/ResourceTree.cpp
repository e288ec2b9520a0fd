#include "image/format/ResourceTree.h"

namespace twutil {
namespace peformat {
namespace {

constexpr uint32_t kSubdirectoryFlag = 0x80000000u;
constexpr uint32_t kDirectoryHeaderSize = 16;
constexpr uint32_t kEntrySize = 8;
// A proper tree has two levels below the type; anything much deeper than
// that is a loop or garbage.
constexpr int kMaxDepth = 8;

bool EntryCount(const ByteSpan& image, uint64_t directory, uint32_t* count) {
  uint16_t named = 0;
  uint16_t numbered = 0;
  if (!image.ReadU16(directory + 12, &named) || !image.ReadU16(directory + 14, &numbered))
    return false;
  *count = uint32_t{named} + numbered;
  return true;
}

}  // namespace

ResourceSearch FindFirstResource(const ByteSpan& image, uint64_t rootOffset, uint32_t type,
                                 uint32_t* dataRva) {
  uint32_t count = 0;
  if (!EntryCount(image, rootOffset, &count)) return ResourceSearch::kDamaged;

  bool found = false;
  uint32_t target = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t entry = rootOffset + kDirectoryHeaderSize + uint64_t{i} * kEntrySize;
    uint32_t name = 0;
    uint32_t offset = 0;
    if (!image.ReadU32(entry, &name) || !image.ReadU32(entry + 4, &offset))
      return ResourceSearch::kDamaged;
    // A named entry has its top bit set, so it never equals a numeric type.
    if (name == type) {
      found = true;
      target = offset;
    }
  }
  if (!found) return ResourceSearch::kTypeMissing;

  for (int depth = 0; target & kSubdirectoryFlag; ++depth) {
    if (depth == kMaxDepth) return ResourceSearch::kDamaged;
    const uint64_t directory = rootOffset + (target & ~kSubdirectoryFlag);
    if (!EntryCount(image, directory, &count) || count == 0) return ResourceSearch::kDamaged;
    if (!image.ReadU32(directory + kDirectoryHeaderSize + 4, &target))
      return ResourceSearch::kDamaged;
  }
  if (!image.ReadU32(rootOffset + target, dataRva)) return ResourceSearch::kDamaged;
  return ResourceSearch::kFound;
}

}  // namespace peformat
}  // namespace twutil
