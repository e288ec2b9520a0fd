// Stamping copies of executables that ship with Wine, read back through the
// platform's version API.
#include <gtest/gtest.h>

#include <cstdio>

#include "PeBuilder.h"
#include "PeresTestSupport.h"
#include "peres/VersionStamper.h"
#include "peres/format/VersionLocator.h"
#include "support/TestSupport.h"

using pefixture::Bytes;

namespace {

struct Field {
  const wchar_t* key;
  std::wstring twutil::StampRequest::*member;
  const wchar_t* text;
};

const Field kFields[] = {
    {L"CompanyName", &twutil::StampRequest::companyName, L"Tarnwick"},
    {L"ProductName", &twutil::StampRequest::productName, L"Harbor Suite"},
    {L"FileVersion", &twutil::StampRequest::productAndFileVersion, L"2.5.0.12"},
    {L"ProductVersion", &twutil::StampRequest::productAndFileVersion, L"2.5.0.12"},
    {L"FileDescription", &twutil::StampRequest::description, L"Stamped by the tests"},
    {L"LegalCopyright", &twutil::StampRequest::copyright, L"(c) Tarnwick"},
};

std::wstring Table(DWORD translation) {
  wchar_t key[16];
  swprintf(key, 16, L"%04x%04x", translation & 0xFFFF, translation >> 16);
  return std::wstring(L"\\StringFileInfo\\") + key + L"\\";
}

class WineExecutables : public ::testing::TestWithParam<const wchar_t*> {
 protected:
  twtest::TempDir dir_;
};

TEST_P(WineExecutables, StampedStringsAndLanguageReadBack) {
  // Under its own name Wine would read its built-in program instead of the copy.
  const std::wstring copy = dir_.Path() + L"copy_" + GetParam();
  ASSERT_TRUE(CopyFileW(perestest::SystemFile(GetParam()).c_str(), copy.c_str(), FALSE));
  const DWORD translation = perestest::QueryTranslation(copy);
  ASSERT_NE(translation, 0u);
  const std::wstring table = Table(translation);
  std::wstring old[6];
  for (int i = 0; i < 6; ++i)
    ASSERT_TRUE(perestest::QueryVersionString(copy, table + kFields[i].key, &old[i]))
        << kFields[i].key;
  DWORD ms = 0, ls = 0;
  ASSERT_TRUE(perestest::QueryFileVersion(copy, &ms, &ls));
  const Bytes before = perestest::ReadBytes(copy);

  twutil::StampRequest request;
  for (const Field& field : kFields) request.*field.member = field.text;
  request.language = 0x0407;
  perestest::RecordingSink sink;
  twutil::StampFile(perestest::Ansi(copy).c_str(), request, sink);
  EXPECT_EQ(sink.Lines(twutil::kStampError), "");

  const std::wstring stampedTable = Table(translation);  // the table key stays
  for (int i = 0; i < 6; ++i) {
    std::wstring value;
    ASSERT_TRUE(perestest::QueryVersionString(copy, stampedTable + kFields[i].key, &value));
    std::wstring text = kFields[i].text;
    if (old[i].size() >= text.size()) {
      EXPECT_EQ(value, text + std::wstring(old[i].size() - text.size(), L' ')) << kFields[i].key;
    } else {
      EXPECT_EQ(text.rfind(value, 0), 0u) << kFields[i].key << ": cut to the room";
      EXPECT_GE(value.size(), old[i].size()) << kFields[i].key;
    }
  }
  EXPECT_EQ(perestest::QueryTranslation(copy), (translation & 0xFFFF0000u) | 0x0407u);
  DWORD stampedMs = 0, stampedLs = 0;
  ASSERT_TRUE(perestest::QueryFileVersion(copy, &stampedMs, &stampedLs));
  EXPECT_EQ(stampedMs, ms);
  EXPECT_EQ(stampedLs, ls);

  // Every changed byte lies inside the version resource.
  const Bytes after = perestest::ReadBytes(copy);
  ASSERT_EQ(after.size(), before.size());
  uint64_t root = 0;
  ASSERT_EQ(
      twutil::peformat::LocateVersionInfo(twutil::ByteSpan(before.data(), before.size()), &root),
      twutil::peformat::VersionSearch::kFound);
  const uint64_t end = root + pefixture::GetU16(before, root);
  for (size_t i = 0; i < before.size(); ++i)
    if (before[i] != after[i]) {
      ASSERT_TRUE(i >= root && i < end) << "byte " << i;
    }

  // The stamped copy still loads.
  HMODULE module = LoadLibraryExW(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  EXPECT_NE(module, nullptr);
  if (module) FreeLibrary(module);
}

INSTANTIATE_TEST_SUITE_P(Copies, WineExecutables,
                         ::testing::Values(L"regedit.exe", L"taskmgr.exe", L"msiexec.exe"));

TEST(WineExecutables64, ASixtyFourBitImageIsStampedToo) {
  // The 64-bit system folder, seen from a 32-bit process.
  wchar_t windows[MAX_PATH];
  GetWindowsDirectoryW(windows, MAX_PATH);
  const std::wstring native = std::wstring(windows) + L"\\sysnative\\taskmgr.exe";
  if (GetFileAttributesW(native.c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "no 64-bit system folder in this prefix";
  twtest::TempDir dir;
  const std::wstring copy = dir.Path() + L"copy_taskmgr64.exe";
  ASSERT_TRUE(CopyFileW(native.c_str(), copy.c_str(), FALSE));
  const Bytes image = perestest::ReadBytes(copy);
  ASSERT_EQ(pefixture::GetU16(image, pefixture::GetU32(image, 0x3C) + 24), 0x020B);
  const DWORD translation = perestest::QueryTranslation(copy);
  twutil::StampRequest request;
  request.companyName = L"Wide";
  perestest::RecordingSink sink;
  twutil::StampFile(perestest::Ansi(copy).c_str(), request, sink);
  EXPECT_EQ(sink.Lines(twutil::kStampWarning), "");
  std::wstring value;
  ASSERT_TRUE(perestest::QueryVersionString(copy, Table(translation) + L"CompanyName", &value));
  EXPECT_EQ(value.substr(0, 5), L"Wide ");
}

}  // namespace
