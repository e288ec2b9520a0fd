#include "image/format/VersionBlock.h"

namespace twutil {
namespace peformat {

bool ReadVersionBlock(const ByteSpan& image, uint64_t offset, VersionBlock* block) {
  uint16_t length = 0;
  if (!image.Holds(offset, 6) || !image.ReadU16(offset, &length)) return false;
  *block = VersionBlock();
  block->offset = offset;
  block->length = length;
  block->keyOffset = offset + 6;

  // The key belongs to the block: it is looked for no further than its end.
  const uint64_t limit = block->End() < image.Size() ? block->End() : image.Size();
  uint64_t at = block->keyOffset;
  uint16_t unit = 0;
  while (at + 2 <= limit && image.ReadU16(at, &unit)) {
    if (unit == 0) {
      block->keyTerminated = true;
      break;
    }
    ++block->keyUnits;
    at += 2;
  }
  block->valueOffset = block->keyTerminated ? AlignTo4(at + 2) : block->End();
  return true;
}

}  // namespace peformat
}  // namespace twutil
