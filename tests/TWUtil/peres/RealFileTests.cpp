// Copies of executables that ship with Wine, stamped and read back through
// the platform's version API.
#include <gtest/gtest.h>

#include <cstdio>

#include "PeresTestSupport.h"
#include "image/format/VersionLocator.h"
#include "peres/VersionStamper.h"
#include "support/TestSupport.h"

namespace perestest {
namespace {

// A copy of a program of the system folder, named "copy_" + name: under its
// own name Wine would load its built-in program instead.
std::wstring CopyOfSystemFile(const std::wstring& folder, const wchar_t* name) {
  wchar_t system[MAX_PATH];
  std::wstring from = std::wstring(system, GetSystemDirectoryW(system, MAX_PATH)) + L"\\" + name;
  // A 64-bit prefix keeps some programs (regedit) only in the Windows folder.
  if (GetFileAttributesW(from.c_str()) == INVALID_FILE_ATTRIBUTES)
    from = std::wstring(system, GetWindowsDirectoryW(system, MAX_PATH)) + L"\\" + name;
  std::wstring copy = folder + L"copy_" + name;
  return CopyFileW(from.c_str(), copy.c_str(), FALSE) ? copy : L"(not copied)";
}

std::wstring Table(DWORD translation) {
  wchar_t key[40];
  swprintf(key, 40, L"\\StringFileInfo\\%04x%04x\\", translation & 0xFFFF, translation >> 16);
  return key;
}

class WineExecutables : public ::testing::TestWithParam<const wchar_t*> {
 protected:
  twtest::TempDir dir_;
};

TEST_P(WineExecutables, StampedStringsAndLanguageReadBack) {
  const std::wstring copy = CopyOfSystemFile(dir_.Path(), GetParam());
  const DWORD translation = Translation(copy);
  ASSERT_NE(translation, 0u);
  const std::pair<const wchar_t*, const wchar_t*> fields[] = {
      {L"CompanyName", L"Tarnwick"},         {L"ProductName", L"Harbor Suite"},
      {L"FileVersion", L"2.5.0.12"},         {L"ProductVersion", L"2.5.0.12"},
      {L"FileDescription", L"Stamped here"}, {L"LegalCopyright", L"(c) Tarnwick"}};
  std::wstring old[6];
  for (int i = 0; i < 6; ++i) {
    old[i] = VersionString(copy, Table(translation) + fields[i].first);
    ASSERT_NE(old[i], L"(absent)") << fields[i].first;
  }
  const auto version = FileVersion(copy);
  const Bytes before = ReadBytes(copy);

  twutil::StampRequest request;
  request.companyName = fields[0].second;
  request.productName = fields[1].second;
  request.productAndFileVersion = fields[2].second;
  request.description = fields[4].second;
  request.copyright = fields[5].second;
  request.language = 0x0407;
  RecordingSink sink;
  twutil::StampFile(Ansi(copy).c_str(), request, sink);
  EXPECT_EQ(sink.Lines(twutil::kStampError), "");

  // The table keeps its key; values keep their length or are cut to the room.
  for (int i = 0; i < 6; ++i) {
    std::wstring value = VersionString(copy, Table(translation) + fields[i].first);
    std::wstring text = fields[i].second;
    if (old[i].size() >= text.size())
      EXPECT_EQ(value, text + std::wstring(old[i].size() - text.size(), L' ')) << fields[i].first;
    else
      EXPECT_TRUE(text.rfind(value, 0) == 0 && value.size() >= old[i].size()) << fields[i].first;
  }
  EXPECT_EQ(Translation(copy), (translation & 0xFFFF0000u) | 0x0407u);
  EXPECT_EQ(FileVersion(copy), version);

  // Every changed byte lies inside the version resource.
  const Bytes after = ReadBytes(copy);
  uint64_t root = 0;
  ASSERT_EQ(
      twutil::peformat::LocateVersionInfo(twutil::ByteSpan(before.data(), before.size()), &root),
      twutil::peformat::VersionSearch::kFound);
  for (size_t i = 0; i < before.size(); ++i) {
    if (before[i] != after.at(i)) {
      ASSERT_TRUE(i >= root && i < root + pefixture::GetU16(before, root)) << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Copies, WineExecutables,
                         ::testing::Values(L"regedit.exe", L"taskmgr.exe"));

}  // namespace
}  // namespace perestest
