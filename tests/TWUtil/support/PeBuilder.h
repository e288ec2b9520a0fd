// Byte images of PE files built from scratch: version resources, resource
// directories and PE32 / PE32+ images holding them. Plain C++ (no windows.h)
// so the native fuzz seed generator builds the same images.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pefixture {

using Bytes = std::vector<uint8_t>;

void PutU16(Bytes* bytes, size_t at, uint16_t value);
void PutU32(Bytes* bytes, size_t at, uint32_t value);
uint16_t GetU16(const Bytes& bytes, size_t at);
uint32_t GetU32(const Bytes& bytes, size_t at);

// One block of a version resource; wValueLength counts units of a text value.
struct VersionNode {
  std::u16string key;
  uint16_t type = 1;  // 1 = text value, 0 = binary
  Bytes value{};
  std::vector<VersionNode> children{};
  size_t roomBytes = 0;  // zero bytes after the value, inside the block
};

// A String block; extraUnits NUL units of room follow the terminator.
VersionNode StringNode(const std::u16string& key, const std::u16string& value,
                       size_t extraUnits = 0);

struct StringTable {
  std::u16string key;  // e.g. u"040904b0"
  std::vector<VersionNode> strings;
};

struct VersionPlan {
  std::vector<StringTable> tables;
  std::vector<uint32_t> translations = {0x04B00409};  // language | code page << 16
  bool varFileInfoFirst = false;
};
// File version 1.2.3.4.
Bytes VersionResource(const VersionPlan& plan);

// The 16-bit form of a block (of a VxD, say): 8-bit key, no type, value
// lengths in bytes.
Bytes NarrowBlock(const VersionNode& node);

// A table with the seven usual strings ("Old Company" and so on), each value
// followed by suffix.
StringTable StandardTable(const std::u16string& key = u"040904b0",
                          const std::u16string& suffix = u"");

struct Resource {
  uint32_t type = 0;
  uint32_t id = 0;
  std::u16string name;  // when not empty the resource is named, id is ignored
  uint16_t language = 0x0409;
  Bytes data;
};

struct PePlan {
  bool pe32Plus = false;
  std::vector<Resource> resources;
};

constexpr uint32_t kNtOffset = 0x80;
// Where the .rsrc section of BuildPe's images lies; its directory comes first.
constexpr uint32_t kRsrcOffset = 0x400, kRsrcRva = 0x2000;

Bytes BuildPe(const PePlan& plan);

// A PE32 program whose only resource is this version resource (by default,
// of the standard table).
Bytes PeWithVersion(const VersionPlan& plan = {{StandardTable()}});

// The offset of the first occurrence of needle (UTF-16) in bytes, or npos.
size_t FindText(const Bytes& bytes, const std::u16string& needle);

}  // namespace pefixture
