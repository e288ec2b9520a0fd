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

using namespace pefixture;

// "MZ" and the offset of the newer header at 0x3C, which says sig.
inline Bytes DosStub(const char* sig, size_t size) {
  Bytes image(size, 0);
  image[0] = 'M';
  image[1] = 'Z';
  PutU32(&image, 0x3C, 0x80);
  image[0x80] = sig[0];
  image[0x81] = sig[1];
  return image;
}

inline Bytes U32s(const std::vector<uint32_t>& values) {
  Bytes out;
  for (uint32_t v : values) PutU32(&out, out.size(), v);
  return out;
}

// "VS_VERSION_INFO" with the fixed information of that version and children.
inline Bytes VersionData(DWORD ms, DWORD ls, const std::vector<VersionNode>& children) {
  Bytes fixed = U32s({0xFEEF04BD, 0x00010000, ms, ls, ms, ls, 0x3F, 0,
                      0x00000004 /* VOS_DOS_WINDOWS32 */, 0x00000006 /* VFT_VXD */, 0, 0, 0});
  return NarrowBlock({u"VS_VERSION_INFO", 0, fixed, children});
}
// "VarFileInfo" holding "Translation" with the given 32-bit entries.
inline VersionNode VarFileInfo(const std::vector<uint32_t>& translations) {
  return {u"VarFileInfo", 0, {}, {{u"Translation", 0, U32s(translations)}}};
}
// A StringFileInfo with one string table, to stand in the walk's way.
inline VersionNode StringFileInfo() {
  Bytes text = {'4', '.', '0', '0', '.', '9', '5', '0', 0};
  return {u"StringFileInfo", 0, {}, {{u"040904E4", 0, {}, {{u"FileVersion", 0, text}}}}};
}
// The version 4.0.950.1 with the translation 1033 / 1252.
inline Bytes StandardVersionData() {
  return VersionData(0x00040000, 0x03B60001, {StringFileInfo(), VarFileInfo({0x04E40409})});
}
constexpr DWORD kStandardSize = 172;

// An LE executable whose Windows resource holds versionData: the LE header
// at 0x80 gives the resource's offset (0x200) at 0xB8 and its length at 0xBC;
// the resource's own header gives the data's size at 0x208.
inline Bytes Vxd(const Bytes& versionData) {
  Bytes image = DosStub("LE", 0x200);
  uint32_t size = static_cast<uint32_t>(versionData.size());
  PutU32(&image, 0x80 + 0xB8, 0x200);
  PutU32(&image, 0x80 + 0xBC, 12 + size);
  // The resource header: type 0xFF 16 (version), name 0xFF 1, flags, size.
  image.insert(image.end(), {0xFF, 16, 0, 0xFF, 1, 0, 0x30, 0});
  PutU32(&image, image.size(), size);
  image.insert(image.end(), versionData.begin(), versionData.end());
  return image;
}

// A PE image whose COFF header has the given characteristics.
inline Bytes PEImage(uint16_t characteristics) {
  Bytes image = DosStub("PE", 0x80 + 24 + 224);
  PutU16(&image, 0x84, 0x014C);  // i386
  PutU16(&image, 0x80 + 4 + 18, characteristics);
  return image;
}

// The fixtures' base: a File object and a folder of the test's own.
class FileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(twtest::Create(CLSID_File, &file_), S_OK); }
  twutil::ComPtr<IFileSys> file_;
  twtest::TempDir dir_;
};

// The file held open with no sharing, so that nobody else can open it.
inline twutil::Handle Lock(const std::wstring& path) {
  return twutil::Handle(
      CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
}

}  // namespace filefixtures
