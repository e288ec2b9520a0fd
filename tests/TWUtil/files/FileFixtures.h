// Byte images of the files the File tests read: VxDs (LE executables with a
// 16-bit version resource), PE and NE executables; the File object itself.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/PeBuilder.h"
#include "support/TestSupport.h"

namespace filefixtures {

// Its bytes and version blocks, here in the 16-bit form (NarrowBlock).
using namespace pefixture;

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

inline twutil::ComPtr<IFileSys> CreateFileObject() {
  twutil::ComPtr<IFileSys> file;
  EXPECT_EQ(twtest::Create(CLSID_File, &file), S_OK);
  return file;
}

// The file held open with no sharing, so that nobody else can open it.
inline twutil::Handle Lock(const std::wstring& path) {
  return twutil::Handle(
      CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
}

}  // namespace filefixtures
