// make_file_fixtures FOLDER: writes the files that file.vbs reads into
// FOLDER, from the same builders the gtest suite uses.
#include <windows.h>

#include <cstdio>

#include "FileFixtures.h"

using namespace filefixtures;

int wmain(int argc, wchar_t** argv) {
  const std::pair<const wchar_t*, Bytes> files[] = {
      {L"standard.vxd", Vxd(StandardVersionData())},
      {L"twolang.vxd",
       Vxd(VersionData(0x00050001, 0x00020003, {VarFileInfo({0x04E40409, 0x03A40411})}))},
      {L"notrans.vxd", Vxd(VersionData(0x00010002, 0x00030004, {StringFileInfo()}))},
      {L"lib.dll", PEImage(0x2102)},
      {L"utf16.txt", Bytes{0xFF, 0xFE, 'h', 0, 'i', 0}},
  };
  for (const auto& file : files) {
    if (argc != 2 || !twtest::WriteBytes(std::wstring(argv[1]) + L"\\" + file.first, file.second)) {
      fprintf(stderr, "usage: make_file_fixtures FOLDER (cannot write %ls)\n", file.first);
      return 1;
    }
  }
  return 0;
}
