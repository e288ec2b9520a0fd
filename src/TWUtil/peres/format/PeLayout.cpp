#include "peres/format/PeLayout.h"

namespace twutil {
namespace peformat {
namespace {

constexpr uint16_t kDosSignature = 0x5A4D;
constexpr uint32_t kPESignature = 0x00004550;
constexpr uint16_t kPE32PlusMagic = 0x020B;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kSectionHeaderSize = 40;

// Offsets from the NT signature. The optional header begins at 24; PE32+
// widens the image base and the four stack and heap sizes by 16 bytes.
struct HeaderOffsets {
  uint32_t rvaCount;
  uint32_t dataDirectory;
  uint32_t sectionTable;
};
constexpr HeaderOffsets kPE32Offsets = {116, 120, 248};
constexpr HeaderOffsets kPE32PlusOffsets = {132, 136, 264};

}  // namespace

bool ResourceSection::ToOffset(uint32_t rva, uint64_t* offset) const {
  if (rva < virtualAddress || uint64_t{rva} > uint64_t{virtualAddress} + rawSize) return false;
  *offset = uint64_t{rawPointer} + (rva - virtualAddress);
  return true;
}

SectionSearch FindResourceSection(const ByteSpan& image, ResourceSection* section,
                                  uint32_t* rootRva) {
  uint16_t dosSignature = 0;
  uint32_t ntOffset = 0;
  uint32_t signature = 0;
  if (!image.ReadU16(0, &dosSignature) || dosSignature != kDosSignature ||
      !image.ReadU32(0x3C, &ntOffset) || !image.ReadU32(ntOffset, &signature) ||
      signature != kPESignature)
    return SectionSearch::kNotPE;

  const uint64_t nt = ntOffset;
  uint16_t sectionCount = 0;
  uint16_t magic = 0;
  if (!image.ReadU16(nt + 6, &sectionCount) || !image.ReadU16(nt + 24, &magic))
    return SectionSearch::kDamagedHeader;
  // Anything but PE32+ is read as PE32, whatever its magic says.
  const HeaderOffsets& at = magic == kPE32PlusMagic ? kPE32PlusOffsets : kPE32Offsets;

  uint32_t rvaCount = 0;
  if (!image.ReadU32(nt + at.rvaCount, &rvaCount)) return SectionSearch::kDamagedHeader;
  if (rvaCount <= kResourceDirectoryIndex) return SectionSearch::kNoResources;
  uint32_t rva = 0;
  if (!image.ReadU32(nt + at.dataDirectory + 8 * kResourceDirectoryIndex, &rva))
    return SectionSearch::kDamagedHeader;

  for (uint32_t i = 0; i < sectionCount; ++i) {
    const uint64_t header = nt + at.sectionTable + uint64_t{i} * kSectionHeaderSize;
    ResourceSection candidate;
    if (!image.ReadU32(header + 12, &candidate.virtualAddress) ||
        !image.ReadU32(header + 16, &candidate.rawSize) ||
        !image.ReadU32(header + 20, &candidate.rawPointer))
      return SectionSearch::kDamagedHeader;
    if (rva >= candidate.virtualAddress &&
        uint64_t{rva} < uint64_t{candidate.virtualAddress} + candidate.rawSize) {
      *section = candidate;
      *rootRva = rva;
      return SectionSearch::kFound;
    }
  }
  return SectionSearch::kNoResources;
}

}  // namespace peformat
}  // namespace twutil
