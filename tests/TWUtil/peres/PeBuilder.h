// Byte images of PE files built from scratch: version resources, resource
// directories and PE32 / PE32+ images holding them. Plain C++ (no windows.h)
// so the native fuzz seed generator builds the same images.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace pefixture {

using Bytes = std::vector<uint8_t>;

void PutU16(Bytes* bytes, size_t at, uint16_t value);
void PutU32(Bytes* bytes, size_t at, uint32_t value);
uint16_t GetU16(const Bytes& bytes, size_t at);
uint32_t GetU32(const Bytes& bytes, size_t at);

// One block of a version resource.
struct VersionNode {
  std::u16string key;
  uint16_t type = 1;         // 1 = text value, 0 = binary
  uint16_t valueLength = 0;  // wValueLength as stored
  Bytes value;               // the value's bytes
  size_t roomBytes = 0;      // zero bytes after the value, inside the block
  std::vector<VersionNode> children;
};
Bytes Serialize(const VersionNode& node);

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
  uint32_t signature = 0xFEEF04BD;
  uint32_t fileVersionMS = 0x00010002;
  uint32_t fileVersionLS = 0x00030004;
  bool varFileInfoFirst = false;
};
VersionNode VersionTree(const VersionPlan& plan);
Bytes VersionResource(const VersionPlan& plan);

// A table "040904b0" with the six stamped strings, each value as given.
StringTable StandardTable(const std::u16string& key = u"040904b0",
                          const std::u16string& suffix = u"");

struct Resource {
  uint32_t type = 0;
  uint32_t id = 0;
  std::u16string name;  // when not empty the resource is named, id is ignored
  uint16_t language = 0x0409;
  Bytes data;
};

// A resource section whose directory starts at its first byte; data entry
// RVAs count from sectionRva.
Bytes ResourceSection(const std::vector<Resource>& resources, uint32_t sectionRva);

struct PePlan {
  bool pe32Plus = false;
  bool library = false;
  uint32_t rvaCount = 16;
  bool withResourceSection = true;
  std::vector<Resource> resources;
  // Data directory entry 2 points here instead of the resource section when
  // not 0.
  uint32_t resourceRvaOverride = 0;
  // A section of this many zero bytes before the resources.
  uint32_t padBytes = 0;
};

constexpr uint32_t kNtOffset = 0x80;
constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;

Bytes BuildPe(const PePlan& plan);
// The file offset of the resource section of an image made by BuildPe.
size_t ResourceSectionOffset(const Bytes& image);

// A PE32 program whose only resource is this version resource.
Bytes PeWithVersion(const VersionPlan& plan);

Bytes DosOnlyImage();
Bytes NEImage();
Bytes LEImage();

// The offset of the first occurrence of needle (UTF-16) in bytes, or npos.
size_t FindText(const Bytes& bytes, const std::u16string& needle, size_t from = 0);

}  // namespace pefixture
