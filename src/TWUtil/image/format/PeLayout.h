// Finding the resource section of a PE image: the NT headers, the resource
// entry of the data directory and the section that holds it.
#pragma once

#include <cstdint>

#include "image/ByteSpan.h"

namespace twutil {
namespace peformat {

// The section that holds the resource directory. Every RVA of the resource
// tree is translated through it.
struct ResourceSection {
  uint32_t virtualAddress = 0;
  uint32_t rawSize = 0;
  uint32_t rawPointer = 0;

  // An RVA from the section's start up to and including its raw end maps to
  // a file offset; anything else does not.
  bool ToOffset(uint32_t rva, uint64_t* offset) const;
};

enum class SectionSearch {
  kFound,
  kNotPE,          // no "MZ" or no "PE\0\0" at the new-header offset
  kDamagedHeader,  // a header field or section header lies outside the file
  kNoResources,    // no resource entry in the data directory, or it lies in no section
};

// Reads the headers of a PE32 image (and of a PE32+ image, whose optional
// header is 16 bytes longer) and finds the resource section. *rootRva is the
// resource directory's RVA.
// The offset of the newer header (NE, LE, PE) an "MZ" image names; false
// when the image is not one or the field lies outside it.
bool NewHeaderOffset(const ByteSpan& image, uint64_t* offset);
// The offset of a PE image's "PE\0\0" signature; false for anything else.
bool NtHeadersOffset(const ByteSpan& image, uint64_t* offset);

SectionSearch FindResourceSection(const ByteSpan& image, ResourceSection* section,
                                  uint32_t* rootRva);

}  // namespace peformat
}  // namespace twutil
