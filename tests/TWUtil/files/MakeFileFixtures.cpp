// make_file_fixtures FOLDER: writes the files that file.vbs reads into
// FOLDER, from the same builders the gtest suite uses.
#include <windows.h>

#include <cstdio>

#include "FileFixtures.h"

using namespace filefixtures;

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: make_file_fixtures FOLDER\n");
    return 2;
  }
  std::wstring folder = argv[1];
  if (folder.back() != L'\\') folder += L'\\';

  VxdLayout noResource;
  noResource.resourceLength = 0;
  VxdLayout pastEnd;
  pastEnd.resourceOffset = 0xFFFFFFF0;
  pastEnd.placeResource = false;
  Bytes badHeader = Vxd(StandardVersionData());
  PutU32(&badHeader, 0x3C, 0xFFFFFFFC);

  const std::pair<const wchar_t*, Bytes> files[] = {
      {L"standard.vxd", Vxd(StandardVersionData())},
      {L"noresource.vxd", Vxd(StandardVersionData(), noResource)},
      {L"pastend.vxd", Vxd(StandardVersionData(), pastEnd)},
      {L"badheader.vxd", badHeader},
      {L"twolang.vxd", Vxd(Serialize({"VS_VERSION_INFO",
                                      FixedFileInfo(0x00050001, 0x00020003),
                                      {VarFileInfo({0x04E40409, 0x03A40411})}}))},
      {L"notrans.vxd",
       Vxd(Serialize(
           {"VS_VERSION_INFO", FixedFileInfo(0x00010002, 0x00030004), {StringFileInfo()}}))},
      {L"lib.dll", PEImage(0x2102)},
      {L"app.exe", PEImage(0x0102)},
      {L"old.exe", NEImage()},
      {L"icon.ico", IconFile()},
      {L"cursor.cur", CursorFile()},
      {L"utf16.txt", Bytes{0xFF, 0xFE, 'h', 0, 'i', 0}},
      {L"utf16be.txt", Bytes{0xFE, 0xFF, 0, 'h', 0, 'i'}},
      {L"plain.txt", Bytes{'h', 'i'}},
  };
  for (const auto& file : files) {
    if (!WriteFile(folder + file.first, file.second)) {
      fprintf(stderr, "cannot write %ls\n", file.first);
      return 1;
    }
  }
  return 0;
}
