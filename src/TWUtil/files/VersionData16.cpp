#include "files/VersionData16.h"

#include <cstring>

namespace twutil {
namespace {

// The queries walk the root, its children and their children.
constexpr int kDeepestChecked = 2;

uint64_t Align4(uint64_t base, uint64_t offset) { return base + ((offset - base + 3) & ~3ull); }

// A node: 16-bit total length, 16-bit value length, NUL-terminated 8-bit key,
// value and children, each aligned to 4 bytes from the node's start.
bool IsWellFormedNode(const ByteSpan& data, uint64_t node, uint64_t parentEnd, int depth) {
  uint16_t length = 0;
  uint16_t valueLength = 0;
  if (!data.ReadU16(node, &length) || !data.ReadU16(node + 2, &valueLength)) return false;
  uint64_t end = node + length;
  if (length < 5 || end > parentEnd) return false;

  uint64_t keyEnd = node + 4;
  while (keyEnd < end && data.Data()[keyEnd] != 0) ++keyEnd;
  if (keyEnd == end) return false;

  uint64_t valueEnd = Align4(node, keyEnd + 1) + valueLength;
  if (valueEnd > end) return false;
  if (depth == kDeepestChecked) return true;

  for (uint64_t child = Align4(node, valueEnd); child < end;) {
    if (!IsWellFormedNode(data, child, end, depth + 1)) return false;
    uint16_t childLength = 0;
    data.ReadU16(child, &childLength);
    child = Align4(child, child + childLength);
  }
  return true;
}

// Runs the system's query and keeps the answer only when it lies inside data.
bool Query(const ByteSpan& data, const char* subBlock, ByteSpan* value) {
  if (!IsWellFormedVersion16(data)) return false;
  void* found = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.Data(), subBlock, &found, &length)) return false;
  const uint8_t* start = static_cast<const uint8_t*>(found);
  return start >= data.Data() && data.Slice(start - data.Data(), length, value);
}

}  // namespace

bool IsWellFormedVersion16(const ByteSpan& data) {
  // The 16-bit form has its key right after the two lengths. The system
  // takes anything else there (a control character, a byte above 0x7F) for
  // the type field of the 32-bit form, which these checks do not cover.
  if (data.Size() <= 4 || data.Data()[4] < ' ' || data.Data()[4] >= 0x80) return false;
  return IsWellFormedNode(data, 0, data.Size(), 0);
}

bool QueryFixedFileInfo(const ByteSpan& data, VS_FIXEDFILEINFO* info) {
  ByteSpan value;
  if (!Query(data, "\\", &value) || value.Size() < sizeof(*info)) return false;
  memcpy(info, value.Data(), sizeof(*info));
  return true;
}

bool QueryTranslations(const ByteSpan& data, std::vector<uint32_t>* entries) {
  ByteSpan value;
  if (!Query(data, "\\VarFileInfo\\Translation", &value)) return false;
  entries->clear();
  for (uint64_t offset = 0; offset + 4 <= value.Size(); offset += 4) {
    uint32_t entry = 0;
    value.ReadU32(offset, &entry);
    entries->push_back(entry);
  }
  return true;
}

}  // namespace twutil
