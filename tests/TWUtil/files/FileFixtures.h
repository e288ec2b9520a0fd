// Byte images of the files the File tests read: VxDs (LE executables with a
// 16-bit version resource), PE and NE executables, icon and cursor files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace filefixtures {

using Bytes = std::vector<uint8_t>;

// Writes a little-endian 32-bit value at, growing bytes when needed.
void PutU32(Bytes* bytes, size_t at, uint32_t value);

// A node of the 16-bit version block: 8-bit key, raw value, children.
struct VersionNode {
  std::string key;
  Bytes value;
  std::vector<VersionNode> children;
};
// "VS_VERSION_INFO" with the fixed information of that version and children.
Bytes VersionData(DWORD versionMS, DWORD versionLS, const std::vector<VersionNode>& children);
// "VarFileInfo" holding "Translation" with the given 32-bit entries.
VersionNode VarFileInfo(const std::vector<uint32_t>& translations);
// A StringFileInfo with one string table, to stand in the walk's way.
VersionNode StringFileInfo();
// The version 4.0.950.1 with the translation 1033 / 1252.
Bytes StandardVersionData();
constexpr DWORD kStandardSize = 172;

// An LE executable whose Windows resource holds versionData: the LE header
// at 0x80 gives the resource's offset (0x200) at 0xB8 and its length at 0xBC;
// the resource's own header gives the data's size at 0x208.
Bytes Vxd(const Bytes& versionData);

// A PE image whose COFF header has the given characteristics.
Bytes PEImage(uint16_t characteristics);
Bytes NEImage();
// Files beginning with the words 0, type, 1.
inline Bytes IconFile() { return {0, 0, 1, 0, 1, 0}; }
inline Bytes CursorFile() { return {0, 0, 2, 0, 1, 0}; }

}  // namespace filefixtures
