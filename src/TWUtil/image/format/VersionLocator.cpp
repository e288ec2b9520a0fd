#include "image/format/VersionLocator.h"

#include "image/format/PeLayout.h"
#include "image/format/ResourceTree.h"
#include "image/format/VersionBlock.h"

namespace twutil {
namespace peformat {
namespace {
constexpr uint32_t kVersionType = 16;
}

VersionSearch LocateVersionInfo(const ByteSpan& image, uint64_t* rootBlock) {
  ResourceSection section;
  uint32_t rootRva = 0;
  switch (FindResourceSection(image, &section, &rootRva)) {
    case SectionSearch::kFound:
      break;
    case SectionSearch::kNotPE:
      return VersionSearch::kNotPE;
    case SectionSearch::kDamagedHeader:
      return VersionSearch::kDamagedHeader;
    case SectionSearch::kNoResources:
      return VersionSearch::kNoResources;
  }

  uint64_t root = 0;
  section.ToOffset(rootRva, &root);
  uint32_t dataRva = 0;
  switch (FindFirstResource(image, root, kVersionType, &dataRva)) {
    case ResourceSearch::kFound:
      break;
    case ResourceSearch::kTypeMissing:
      return VersionSearch::kNoVersionResource;
    case ResourceSearch::kDamaged:
      return VersionSearch::kDamagedDirectory;
  }

  uint64_t data = 0;
  VersionBlock block;
  // The whole resource must be in the file: stamping starts only once every
  // block it could touch is known to be there.
  if (!section.ToOffset(dataRva, &data) || !ReadVersionBlock(image, data, &block) ||
      block.End() > image.Size())
    return VersionSearch::kDamagedVersionData;
  uint32_t signature = 0;
  if (!block.keyTerminated || !image.ReadU32(block.valueOffset, &signature) ||
      signature != kFixedFileInfoSignature)
    return VersionSearch::kNoFixedInfo;
  *rootBlock = data;
  return VersionSearch::kFound;
}

}  // namespace peformat
}  // namespace twutil
