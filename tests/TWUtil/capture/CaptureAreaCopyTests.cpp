// The harvest asks a copy of the capture area read once, not the registry:
// every answer it gets and every deletion it makes must be the registry's.
#include <gtest/gtest.h>

#include <string>

#include "capture/CaptureArea.h"

namespace {

using twutil::CaptureArea;
using twutil::CaptureKey;
using twutil::KeyCopy;
using twutil::RegKey;

const std::wstring kRoot = L"Software\\TWCaptureCopyTest";

void Put(const std::wstring& key, const wchar_t* name, const std::wstring& text) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, (kRoot + L"\\" + key).c_str(), name, REG_SZ,
                            text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

// Every key and value below key, one line each, in enumeration order.
std::wstring Dump(KeyCopy& key, const std::wstring& path = L"") {
  std::wstring text;
  for (const twutil::ValueCopy& value : key.values)
    text += path + L":" + value.name + L"=" + std::to_wstring(value.data.size()) + L"\n";
  for (size_t i = 0; i < key.SubkeyCount(); ++i) {
    KeyCopy* subkey = key.SubkeyAt(i);
    text += path + L"\\" + subkey->name + L"\n" + Dump(*subkey, path + L"\\" + subkey->name);
  }
  return text;
}

TEST(CaptureAreaCopy, AnswersAndDeletesAsTheRegistryDoes) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
  Put(L"M\\a", nullptr, std::wstring(L"x\0y", 3));
  Put(L"M\\a", L"Long", std::wstring(600, L'z'));
  Put(L"M\\a\\b\\c", L"Odd", L"q");
  Put(L"M\\empty", L"Gone", L"");
  // More subkeys than a lookup compares one by one.
  for (int i = 0; i < 40; ++i) Put(L"M\\Wide\\k" + std::to_wstring(100 + i), nullptr, L"w");
  RegKey root;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kRoot.c_str(), 0, KEY_ALL_ACCESS, root.Put()),
            ERROR_SUCCESS);
  CaptureArea area(kRoot);

  for (const wchar_t* path : {L"M\\a", L"m\\A\\B", L"M\\\\a", L"M\\a\\", L"\\M", L"M\\a\\.",
                              L"M\\Wide\\K117", L"M\\WIDE\\k1170", L"M\\nope", L"M\\a\\b\\c"}) {
    RegKey opened;
    bool there = RegOpenKeyExW(root.Get(), path, 0, KEY_ALL_ACCESS, opened.Put()) == ERROR_SUCCESS;
    EXPECT_EQ(static_cast<bool>(area.Open(path)), there) << path;
  }
  CaptureKey a = area.Open(L"M\\a");
  EXPECT_EQ(a.Text(nullptr, 1024), L"x");
  // The registry kept the terminator it found behind the data: 1,202 bytes.
  EXPECT_EQ(a.Text(L"LONG", 1202), std::wstring(600, L'z'));
  EXPECT_EQ(a.Text(L"Long", 1201), std::nullopt);
  EXPECT_EQ(a.SubkeyText(L"b\\c", 1024), std::nullopt);
  EXPECT_EQ(area.Open(L"M\\a\\b\\c").Text(L"Odd", 1024), L"q");

  // Deleting while enumerating moves the next subkey up, as in the registry.
  CaptureKey wide = area.Open(L"M\\Wide");
  std::wstring name;
  ASSERT_EQ(wide.Subkey(5, &name), twutil::SubkeyAt::kName);
  EXPECT_EQ(name, L"k105");
  EXPECT_TRUE(area.DeleteTree(wide, name.c_str()));
  ASSERT_EQ(wide.Subkey(5, &name), twutil::SubkeyAt::kName);
  EXPECT_EQ(name, L"k106");
  EXPECT_FALSE(wide.HasSubkey(L"K105"));
  EXPECT_TRUE(area.DeleteTree(wide, L"k139"));
  EXPECT_EQ(wide.Subkey(38, &name), twutil::SubkeyAt::kEnd);
  EXPECT_TRUE(area.DeleteTree(wide, L"never there"));

  CaptureKey m = area.Open(L"M");
  EXPECT_TRUE(area.DeleteTree(m, L"a\\b"));
  EXPECT_TRUE(area.DeleteValue(a, L"long"));
  EXPECT_TRUE(area.DeleteValue(a, nullptr));
  EXPECT_TRUE(area.DeleteValue(a, L"missing"));
  EXPECT_TRUE(a.IsEmpty());
  CaptureKey emptied = area.Open(L"M\\empty");
  EXPECT_TRUE(area.DeleteValue(emptied, L"Gone"));
  EXPECT_TRUE(area.DeleteTree(m, L"empty"));
  // A key held past its deletion is gone to every question.
  EXPECT_FALSE(emptied);
  EXPECT_FALSE(emptied.IsEmpty());

  area.ApplyDeletions();
  CaptureArea reread(kRoot);
  EXPECT_EQ(Dump(area.Top()), Dump(reread.Top()));
  EXPECT_EQ(reread.Top().Find(L"M\\Wide")->SubkeyCount(), 38u);
  // Several subtrees go at once.
  area.Clear();
  DWORD left = 1;
  RegQueryInfoKeyW(root.Get(), nullptr, nullptr, nullptr, &left, nullptr, nullptr, nullptr, nullptr,
                   nullptr, nullptr, nullptr);
  EXPECT_EQ(left, 0u);
  RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
}

// A server may leave a link in the area; the harvest reads it as the key it
// is and the clearing removes it, never what it points at.
TEST(CaptureAreaCopy, ALinkIsNeitherFollowedNorEmptiedThrough) {
  const wchar_t kTarget[] = L"Software\\TWCaptureLinkTarget";
  RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kTarget);
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, (std::wstring(kTarget) + L"\\Inner").c_str(),
                            L"Kept", REG_SZ, L"x", 4),
            ERROR_SUCCESS);
  Put(L"HKEY_CLASSES_ROOT\\Plain", nullptr, L"p");
  RegKey link;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (kRoot + L"\\HKEY_CLASSES_ROOT\\Link").c_str(), 0,
                            nullptr, REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS | KEY_CREATE_LINK,
                            nullptr, link.Put(), nullptr),
            ERROR_SUCCESS);
  const std::wstring target = L"\\Registry\\Machine\\" + std::wstring(kTarget);
  ASSERT_EQ(RegSetValueExW(link.Get(), L"SymbolicLinkValue", 0, REG_LINK,
                           reinterpret_cast<const BYTE*>(target.data()),
                           static_cast<DWORD>(target.size() * sizeof(wchar_t))),
            ERROR_SUCCESS);
  link.Reset();

  CaptureArea area(kRoot);
  EXPECT_EQ(Dump(area.Top()),
            L"\\HKEY_CLASSES_ROOT\n"
            L"\\HKEY_CLASSES_ROOT\\Link\n"
            L"\\HKEY_CLASSES_ROOT\\Link:SymbolicLinkValue=" +
                std::to_wstring(target.size() * sizeof(wchar_t)) +
                L"\n"
                L"\\HKEY_CLASSES_ROOT\\Plain\n"
                L"\\HKEY_CLASSES_ROOT\\Plain:=4\n");
  EXPECT_TRUE(area.DeleteTree(area.Open(L"HKEY_CLASSES_ROOT"), L"link"));
  area.ApplyDeletions();
  EXPECT_EQ(Dump(CaptureArea(kRoot).Top()),
            L"\\HKEY_CLASSES_ROOT\n"
            L"\\HKEY_CLASSES_ROOT\\Plain\n"
            L"\\HKEY_CLASSES_ROOT\\Plain:=4\n");
  area.Clear();
  EXPECT_EQ(CaptureArea(kRoot).Top().SubkeyCount(), 0u);
  RegKey kept;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kTarget) + L"\\Inner").c_str(), 0,
                          KEY_READ, kept.Put()),
            ERROR_SUCCESS);
  kept.Reset();
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kTarget);
  RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
}

}  // namespace
