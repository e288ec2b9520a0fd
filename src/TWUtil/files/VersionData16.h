// Questions to the 16-bit form of a version resource (VS_VERSIONINFO with
// 8-bit keys), as VxD files carry it. The system's version query answers
// them; its walk is bounded only by the block's own length fields, so the
// blocks it walks are checked against the data first.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "image/ByteSpan.h"

namespace twutil {

// True when data hold a 16-bit version block whose nodes, down to the
// children of its children, all lie inside data.
bool IsWellFormedVersion16(const ByteSpan& data);

// The fixed file information (sub-block "\"), or false.
bool QueryFixedFileInfo(const ByteSpan& data, VS_FIXEDFILEINFO* info);

// The 32-bit entries of "\VarFileInfo\Translation" (language in the low
// half, code page in the high half), or false.
bool QueryTranslations(const ByteSpan& data, std::vector<uint32_t>* entries);

}  // namespace twutil
