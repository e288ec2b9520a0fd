// One block of a version resource (VS_VERSIONINFO and its children): the
// head, the key and where the value begins. Positions are file offsets and
// are computed from the key, never taken from wValueLength.
#pragma once

#include <cstdint>

#include "image/ByteSpan.h"

namespace twutil {
namespace peformat {

// Size of VS_FIXEDFILEINFO, the root block's value.
constexpr uint64_t kFixedFileInfoSize = 52;
constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;

inline uint64_t AlignTo4(uint64_t offset) { return (offset + 3) & ~uint64_t{3}; }

struct VersionBlock {
  uint64_t offset = 0;
  uint16_t length = 0;  // wLength: the block with its children, in bytes
  uint64_t keyOffset = 0;
  uint32_t keyUnits = 0;  // UTF-16 units before the terminating NUL
  // False when no NUL ends the key inside the block and the file; such a
  // block has no value and no children.
  bool keyTerminated = false;
  uint64_t valueOffset = 0;  // also where the children of a value-less block begin

  uint64_t End() const { return offset + length; }
};

// Reads the block at offset; false when its 6-byte head is not in the image.
bool ReadVersionBlock(const ByteSpan& image, uint64_t offset, VersionBlock* block);

// Calls visit(child) for each child from first on, while the child's head can
// be read, its wLength is not 0 and it starts before parentEnd. Siblings
// follow each other at wLength rounded up to 4, so the walk always advances.
template <class Visit>
void ForEachChild(const ByteSpan& image, uint64_t first, uint64_t parentEnd, Visit visit) {
  VersionBlock child;
  for (uint64_t at = first; at < parentEnd; at = AlignTo4(at + child.length)) {
    if (!ReadVersionBlock(image, at, &child) || child.length == 0) return;
    visit(child);
  }
}

}  // namespace peformat
}  // namespace twutil
