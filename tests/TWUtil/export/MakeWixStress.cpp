// Writes the stress entries for wix_roundtrip.sh, into the folder given:
//   stress.wxs    the fragment (its key file beside it), under HKCU\...\Msi
//   expected.reg  what an install must write, under HKCU\...\Expected
// and prints the notes.
#include <shlobj.h>
#include <windows.h>

#include <cstdio>

#include "StressEntries.h"
#include "export/MsiText.h"
#include "export/RegFileWriter.h"
#include "export/WixFragmentWriter.h"
#include "support/TestSupport.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    fwprintf(stderr, L"usage: make_wix_stress OUTPUT_FOLDER\\\n");
    return 2;
  }
  std::wstring folder = argv[1];
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  // The package installs into ProgramFilesFolder\TWExportTest as a 32-bit package.
  wchar_t programFiles[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILESX86, nullptr, 0, programFiles))) return 1;
  std::wstring installDir = std::wstring(programFiles) + L"\\TWExportTest\\";

  std::wstring keyFile = exporttest::MakeKeyFile(folder);
  const std::wstring msiBase = L"Software\\TWExportTest\\Msi";
  auto entries = exporttest::StressEntries(msiBase, keyFile, installDir);
  std::vector<std::wstring> notes;
  std::string xml =
      twutil::exports::WriteWixFragment({exporttest::StressFile(keyFile, entries)}, {}, &notes);
  std::vector<exporttest::StressEntry> carried;
  for (auto stress : entries) {
    if (!stress.msi) continue;
    stress.entry.key.replace(0, msiBase.size(), L"Software\\TWExportTest\\Expected");
    stress.entry.data = stress.installed;
    carried.push_back(stress);
  }
  std::wstring expected = twutil::exports::WriteRegFile(
      {exporttest::StressFile(L"C:\\none\\none.dll", carried)}, {}, nullptr);
  if (!twutil::exports::WriteUtf16File(folder + L"expected.reg", expected)) return 1;

  if (!twtest::WriteBytes(folder + L"stress.wxs", {xml.begin(), xml.end()})) return 1;
  for (const std::wstring& note : notes) {
    std::string line = twutil::exports::Utf8(L"note: " + note + L"\n");
    fwrite(line.data(), 1, line.size(), stdout);
  }
  return 0;
}
