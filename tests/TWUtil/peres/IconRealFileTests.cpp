// Icons copied between copies of executables that ship with Wine, read back
// through the platform's resource API: the group loads and its images are
// the source's byte for byte.
#include <gtest/gtest.h>

#include "IconTestSupport.h"
#include "PeresTestSupport.h"
#include "peres/IconGroupCopy.h"
#include "peres/ResourceHandles.h"
#include "support/TestSupport.h"

using icontest::Bytes;

namespace {

// Under its own name Wine would load its built-in program instead of a copy.
std::wstring CopyOf(const twtest::TempDir& dir, const wchar_t* name) {
  std::wstring copy = dir.Path() + L"copy_" + name;
  EXPECT_TRUE(CopyFileW(perestest::SystemFile(name).c_str(), copy.c_str(), FALSE)) << name;
  return copy;
}

struct GroupSearch {
  long remaining;
  WORD id;
};

BOOL CALLBACK TakeGroup(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  auto* search = reinterpret_cast<GroupSearch*>(param);
  if (search->remaining-- > 0) return TRUE;
  search->id = IS_INTRESOURCE(name) ? static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)) : 0;
  return FALSE;
}

// The numbered group at position index of a file, and its number.
Bytes GroupAt(const std::wstring& file, long index, WORD* id) {
  GroupSearch search = {index, 0};
  {
    twutil::DataModule module(file.c_str());
    EnumResourceNamesW(module.Get(), RT_GROUP_ICON, TakeGroup, reinterpret_cast<LONG_PTR>(&search));
  }
  *id = search.id;
  return search.id ? icontest::ReadResource(file, RT_GROUP_ICON, search.id) : Bytes();
}

// The copied group as a program would use it: the best image for the
// standard size is chosen from the directory and made into an icon.
bool GroupLoads(const std::wstring& file, WORD groupId) {
  Bytes group = icontest::ReadResource(file, RT_GROUP_ICON, groupId);
  if (group.empty()) return false;
  int imageId = LookupIconIdFromDirectoryEx(group.data(), TRUE, 0, 0, LR_DEFAULTCOLOR);
  if (imageId <= 0) return false;
  Bytes image = icontest::ReadResource(file, RT_ICON, static_cast<uint16_t>(imageId));
  if (image.empty()) return false;
  HICON icon = CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE,
                                        0x00030000, 0, 0, LR_DEFAULTCOLOR);
  if (!icon) return false;
  DestroyIcon(icon);
  return true;
}

void ExpectCopied(const std::wstring& source, WORD sourceGroup, const std::wstring& destination,
                  WORD groupId) {
  Bytes original = icontest::ReadResource(source, RT_GROUP_ICON, sourceGroup);
  Bytes copied = icontest::ReadResource(destination, RT_GROUP_ICON, groupId);
  ASSERT_EQ(copied.size(), original.size());
  std::vector<uint16_t> from = icontest::ListedImages(original);
  std::vector<uint16_t> to = icontest::ListedImages(copied);
  ASSERT_EQ(to.size(), from.size());
  for (size_t i = 0; i < to.size(); ++i) {
    EXPECT_EQ(to[i], groupId + 1 + i);
    EXPECT_EQ(icontest::ReadResource(destination, RT_ICON, to[i]),
              icontest::ReadResource(source, RT_ICON, from[i]))
        << "image " << i;
    pefixture::PutU16(&copied, 6 + 14 * i + 12, from[i]);
  }
  EXPECT_EQ(copied, original) << "only the image numbers change";
  EXPECT_TRUE(GroupLoads(destination, groupId));
}

TEST(IconRealFiles, AGroupOfRegeditGoesIntoTheNextFreeSlotOfTaskmgr) {
  twtest::TempDir dir;
  std::wstring source = CopyOf(dir, L"regedit.exe");
  std::wstring destination = CopyOf(dir, L"taskmgr.exe");
  const DWORD translation = perestest::QueryTranslation(destination);
  uint32_t groups = 0;
  {
    twutil::DataModule counting(destination.c_str());
    groups = twutil::CountGroupIcons(counting.Get());
  }
  ASSERT_GT(groups, 0u);

  WORD sourceGroup = 0;
  ASSERT_FALSE(GroupAt(source, 1, &sourceGroup).empty());
  auto transfer = icontest::Transfer(source.c_str(), destination.c_str());
  icontest::CopyResult copy = icontest::Copy(transfer.Get(), 1, -1);
  ASSERT_EQ(copy.result, 0);
  EXPECT_EQ(copy.out, static_cast<long>(groups));
  ExpectCopied(source, sourceGroup, destination, static_cast<WORD>(14 * groups));
  EXPECT_EQ(perestest::QueryTranslation(destination), translation) << "other resources stay";
}

TEST(IconRealFiles, NotepadsIconGoesIntoAChosenSlotOfMsiexec) {
  twtest::TempDir dir;
  std::wstring source = CopyOf(dir, L"notepad.exe");
  std::wstring destination = CopyOf(dir, L"msiexec.exe");
  WORD sourceGroup = 0;
  ASSERT_FALSE(GroupAt(source, 0, &sourceGroup).empty());
  auto transfer = icontest::Transfer(source.c_str(), destination.c_str());
  icontest::CopyResult copy = icontest::Copy(transfer.Get(), -static_cast<long>(sourceGroup), 10);
  ASSERT_EQ(copy.result, 0);
  EXPECT_EQ(copy.out, 11);
  ExpectCopied(source, sourceGroup, destination, 140);
  // The destination still loads as a program would load it.
  twutil::DataModule module(destination.c_str());
  EXPECT_TRUE(module.Loaded());
}

}  // namespace
