// Copies of executables that ship with Wine, stamped and given icons, read
// back through the platform's version and resource API.
#include <gtest/gtest.h>

#include <cstdio>

#include "PeresTestSupport.h"
#include "image/format/VersionLocator.h"
#include "peres/IconGroupCopy.h"
#include "peres/ResourceHandles.h"
#include "peres/VersionStamper.h"
#include "support/TestSupport.h"

using pefixture::Bytes;

namespace {

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
  const std::wstring copy = perestest::CopyOfSystemFile(dir_.Path(), GetParam());
  const DWORD translation = perestest::Translation(copy);
  ASSERT_NE(translation, 0u);
  const std::pair<const wchar_t*, const wchar_t*> fields[] = {
      {L"CompanyName", L"Tarnwick"},         {L"ProductName", L"Harbor Suite"},
      {L"FileVersion", L"2.5.0.12"},         {L"ProductVersion", L"2.5.0.12"},
      {L"FileDescription", L"Stamped here"}, {L"LegalCopyright", L"(c) Tarnwick"}};
  std::wstring old[6];
  for (int i = 0; i < 6; ++i) {
    old[i] = perestest::VersionString(copy, Table(translation) + fields[i].first);
    ASSERT_NE(old[i], L"(absent)") << fields[i].first;
  }
  const auto version = perestest::FileVersion(copy);
  const Bytes before = perestest::ReadBytes(copy);

  twutil::StampRequest request;
  request.companyName = fields[0].second;
  request.productName = fields[1].second;
  request.productAndFileVersion = fields[2].second;
  request.description = fields[4].second;
  request.copyright = fields[5].second;
  request.language = 0x0407;
  perestest::RecordingSink sink;
  twutil::StampFile(perestest::Ansi(copy).c_str(), request, sink);
  EXPECT_EQ(sink.Lines(twutil::kStampError), "");

  // The table keeps its key; values keep their length or are cut to the room.
  for (int i = 0; i < 6; ++i) {
    std::wstring value = perestest::VersionString(copy, Table(translation) + fields[i].first);
    std::wstring text = fields[i].second;
    if (old[i].size() >= text.size())
      EXPECT_EQ(value, text + std::wstring(old[i].size() - text.size(), L' ')) << fields[i].first;
    else
      EXPECT_TRUE(text.rfind(value, 0) == 0 && value.size() >= old[i].size()) << fields[i].first;
  }
  EXPECT_EQ(perestest::Translation(copy), (translation & 0xFFFF0000u) | 0x0407u);
  EXPECT_EQ(perestest::FileVersion(copy), version);

  // Every changed byte lies inside the version resource.
  const Bytes after = perestest::ReadBytes(copy);
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

BOOL CALLBACK TakeGroup(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  auto* search = reinterpret_cast<std::pair<long, WORD>*>(param);
  if (search->first-- > 0) return TRUE;
  search->second = IS_INTRESOURCE(name) ? static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)) : 0;
  return FALSE;
}

// The number of the group icon at a position of the file.
WORD GroupAt(const std::wstring& file, long position) {
  std::pair<long, WORD> search = {position, 0};
  twutil::ModuleHandle module = twutil::LoadAsData(file.c_str());
  EnumResourceNamesW(module.Get(), RT_GROUP_ICON, TakeGroup, reinterpret_cast<LONG_PTR>(&search));
  return search.second;
}

// Copies the group (chosen by index) into a slot and expects it in the
// destination as group 14 * slot: only its image numbers changed, the images
// the source's byte for byte, and an icon made from it as a program would.
void ExpectCopied(const std::wstring& source, WORD group, long index,
                  const std::wstring& destination, long slot, long out) {
  Bytes original = perestest::ReadResource(source, RT_GROUP_ICON, group);
  ASSERT_FALSE(original.empty());
  perestest::CopyResult copy =
      perestest::Copy(perestest::Transfer(source.c_str(), destination.c_str()).Get(), index, slot);
  ASSERT_EQ(copy.result, 0);
  ASSERT_EQ(copy.out, out);
  const WORD groupId = WORD(14 * (slot < 0 ? out : slot));
  Bytes copied = perestest::ReadResource(destination, RT_GROUP_ICON, groupId);
  int best = LookupIconIdFromDirectoryEx(copied.data(), TRUE, 0, 0, LR_DEFAULTCOLOR);
  Bytes image = perestest::ReadResource(destination, RT_ICON, uint16_t(best));
  HICON icon = CreateIconFromResourceEx(image.data(), DWORD(image.size()), TRUE, 0x00030000, 0, 0,
                                        LR_DEFAULTCOLOR);
  EXPECT_TRUE(icon && DestroyIcon(icon));
  std::vector<uint16_t> from = perestest::ListedImages(original),
                        to = perestest::ListedImages(copied);
  ASSERT_EQ(to.size(), from.size());
  for (size_t i = 0; i < to.size(); ++i) {
    EXPECT_EQ(to[i], groupId + 1 + i);
    EXPECT_EQ(perestest::ReadResource(destination, RT_ICON, to[i]),
              perestest::ReadResource(source, RT_ICON, from[i]));
    pefixture::PutU16(&copied, 6 + 14 * i + 12, from[i]);
  }
  EXPECT_EQ(copied, original);
}

TEST(IconRealFiles, GroupsGoIntoTheNextFreeOrAChosenSlot) {
  twtest::TempDir dir;
  std::wstring regedit = perestest::CopyOfSystemFile(dir.Path(), L"regedit.exe");
  std::wstring taskmgr = perestest::CopyOfSystemFile(dir.Path(), L"taskmgr.exe");
  const DWORD translation = perestest::Translation(taskmgr);
  const long groups = long(twutil::CountGroupIcons(twutil::LoadAsData(taskmgr.c_str()).Get()));
  ASSERT_GT(groups, 0);
  ExpectCopied(regedit, GroupAt(regedit, 1), 1, taskmgr, -1, groups);
  EXPECT_EQ(perestest::Translation(taskmgr), translation) << "other resources stay";

  const WORD first = GroupAt(regedit, 0);  // by number, into a chosen slot
  ExpectCopied(regedit, first, -long(first), taskmgr, 10, 11);
  EXPECT_TRUE(twutil::LoadAsData(taskmgr.c_str()).Valid());
}

}  // namespace
