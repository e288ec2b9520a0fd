#include "image/format/PeLayout.h"

#include "image/format/PeFields.h"

namespace twutil {
namespace peformat {

bool NewHeaderOffset(const ByteSpan& image, uint64_t* offset) {
  uint16_t dosSignature = 0;
  uint32_t newHeader = 0;
  if (!image.ReadU16(0, &dosSignature) || dosSignature != pefield::kDosSignature ||
      !image.ReadU32(pefield::kNewHeader, &newHeader))
    return false;
  *offset = newHeader;
  return true;
}

bool NtHeadersOffset(const ByteSpan& image, uint64_t* offset) {
  uint32_t signature = 0;
  return NewHeaderOffset(image, offset) && image.ReadU32(*offset, &signature) &&
         signature == pefield::kNtSignature;
}

bool ResourceSection::ToOffset(uint32_t rva, uint64_t* offset) const {
  if (rva < virtualAddress || uint64_t{rva} > uint64_t{virtualAddress} + rawSize) return false;
  *offset = uint64_t{rawPointer} + (rva - virtualAddress);
  return true;
}

SectionSearch FindResourceSection(const ByteSpan& image, ResourceSection* section,
                                  uint32_t* rootRva) {
  uint64_t nt = 0;
  if (!NtHeadersOffset(image, &nt)) return SectionSearch::kNotPE;
  uint16_t sectionCount = 0;
  uint16_t magic = 0;
  if (!image.ReadU16(nt + pefield::kSectionCount, &sectionCount) ||
      !image.ReadU16(nt + pefield::kOptionalMagic, &magic))
    return SectionSearch::kDamagedHeader;
  // Anything but PE32+ is read as PE32, whatever its magic says.
  const pefield::OptionalFields& at =
      magic == pefield::kPE32PlusMagic ? pefield::kPE32Plus : pefield::kPE32;

  uint32_t rvaCount = 0;
  if (!image.ReadU32(nt + at.rvaCount, &rvaCount)) return SectionSearch::kDamagedHeader;
  if (rvaCount <= pefield::kResourceDirectory) return SectionSearch::kNoResources;
  uint32_t rva = 0;
  if (!image.ReadU32(
          nt + at.dataDirectory + pefield::kDataDirectoryEntry * pefield::kResourceDirectory, &rva))
    return SectionSearch::kDamagedHeader;

  for (uint32_t i = 0; i < sectionCount; ++i) {
    const uint64_t header = nt + at.sectionTable + uint64_t{i} * pefield::kSectionHeader;
    ResourceSection candidate;
    if (!image.ReadU32(header + pefield::kSectionVirtualAddress, &candidate.virtualAddress) ||
        !image.ReadU32(header + pefield::kSectionRawSize, &candidate.rawSize) ||
        !image.ReadU32(header + pefield::kSectionRawPointer, &candidate.rawPointer))
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
