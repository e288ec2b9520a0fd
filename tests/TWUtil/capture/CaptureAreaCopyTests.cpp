// The harvest asks a copy of the capture area read once, not the registry:
// every answer it gets and every deletion it makes must be the registry's.
#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "Listings.h"
#include "capture/CaptureArea.h"
#include "capture/SavedTree.h"
#include "support/TestSupport.h"

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

// Every value as "path:name=type:bytes" and every key that holds nothing as
// "path", in the registry's order: read key by key, from a copy, from a save.
std::wstring Line(const std::wstring& path, const wchar_t* name, DWORD type,
                  const std::vector<BYTE>& data) {
  if (!name) return path + L"\n";
  std::wstring line = path + L":" + name + L"=" + std::to_wstring(type) + L":";
  for (BYTE byte : data) {
    line += L"0123456789abcdef"[byte >> 4];
    line += L"0123456789abcdef"[byte & 15];
  }
  return line + L"\n";
}

std::wstring Listing(HKEY key) {
  std::wstring text;
  twtest::WalkRegistry(
      key, L"", 0,
      [&](const std::wstring& path, const wchar_t* name, DWORD type,
          const std::vector<BYTE>& data) { text += Line(path, name, type, data); });
  return text;
}

// A copy's tree or a save's.
template <class Key>
std::wstring Listing(Key& key, const std::wstring& path = L"") {
  std::wstring text;
  for (const twutil::ValueCopy& v : key.values) text += Line(path, v.name.c_str(), v.type, v.data);
  const std::wstring below = path.empty() ? path : path + L"\\";
  if constexpr (std::is_same_v<Key, KeyCopy>) {
    for (size_t i = 0; i < key.SubkeyCount(); ++i)
      text += Listing(*key.SubkeyAt(i), below + key.SubkeyAt(i)->name);
  } else {
    for (const auto& [name, subkey] : key.subkeys) text += Listing(*subkey, below + name);
  }
  return text.empty() && !path.empty() ? path + L"\n" : text;
}

std::vector<BYTE> Bytes(const std::wstring& chars) {
  auto* bytes = reinterpret_cast<const BYTE*>(chars.data());
  return std::vector<BYTE>(bytes, bytes + chars.size() * sizeof(wchar_t));
}

// Both ways of taking the copy: key by key, and from the save alone (whose
// deletions put the changed top key back whole).
TEST(CaptureAreaCopy, AnswersAndDeletesAsTheRegistryDoes) {
  for (bool fromSave : {false, true}) {
    SCOPED_TRACE(fromSave ? "from the save" : "key by key");
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
    CaptureArea area(kRoot, fromSave);

    for (const wchar_t* path : {L"M\\a", L"m\\A\\B", L"M\\\\a", L"M\\a\\", L"\\M", L"M\\a\\.",
                                L"M\\Wide\\K117", L"M\\WIDE\\k1170", L"M\\nope", L"M\\a\\b\\c"}) {
      RegKey opened;
      bool there =
          RegOpenKeyExW(root.Get(), path, 0, KEY_ALL_ACCESS, opened.Put()) == ERROR_SUCCESS;
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
    EXPECT_EQ(Listing(area.Top()), Listing(reread.Top()));
    EXPECT_EQ(reread.Top().Find(L"M\\Wide")->SubkeyCount(), 38u);
    // Several subtrees go at once.
    area.Clear();
    DWORD left = 1;
    RegQueryInfoKeyW(root.Get(), nullptr, nullptr, nullptr, &left, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(left, 0u);
    RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
  }
}

// A server may leave a link in the area; the harvest reads it as the key it
// is and the clearing removes it, never what it points at.
TEST(CaptureAreaCopy, ALinkIsNeitherFollowedNorEmptiedThrough) {
  const std::wstring kTarget = L"Software\\TWCaptureLinkTarget";
  RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
  ASSERT_EQ(
      RegSetKeyValueW(HKEY_LOCAL_MACHINE, (kTarget + L"\\Inner").c_str(), L"Kept", REG_SZ, L"x", 4),
      ERROR_SUCCESS);
  Put(L"HKEY_CLASSES_ROOT\\Plain", nullptr, L"p");
  RegKey link;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (kRoot + L"\\HKEY_CLASSES_ROOT\\Link").c_str(), 0,
                            nullptr, REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS | KEY_CREATE_LINK,
                            nullptr, link.Put(), nullptr),
            ERROR_SUCCESS);
  const std::vector<BYTE> target = Bytes(L"\\Registry\\Machine\\" + kTarget);
  ASSERT_EQ(RegSetValueExW(link.Get(), L"SymbolicLinkValue", 0, REG_LINK, target.data(),
                           static_cast<DWORD>(target.size())),
            ERROR_SUCCESS);
  link.Reset();

  const std::wstring plain = L"HKEY_CLASSES_ROOT\\Plain:=1:70000000\n";
  CaptureArea area(kRoot);
  EXPECT_EQ(Listing(area.Top()),
            Line(L"HKEY_CLASSES_ROOT\\Link", L"SymbolicLinkValue", REG_LINK, target) + plain);
  EXPECT_TRUE(area.DeleteTree(area.Open(L"HKEY_CLASSES_ROOT"), L"link"));
  area.ApplyDeletions();
  EXPECT_EQ(Listing(CaptureArea(kRoot).Top()), plain);
  area.Clear();
  EXPECT_EQ(CaptureArea(kRoot).Top().SubkeyCount(), 0u);
  EXPECT_TRUE(twtest::KeyExists(HKEY_LOCAL_MACHINE, kTarget + L"\\Inner"));
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kTarget.c_str());
  RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
}

TEST(CaptureAreaCopy, TheRegistrysSaveGivesWhatReadingKeyByKeyGives) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
  RegKey root, key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kRoot.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, root.Put(), nullptr),
            ERROR_SUCCESS);
  std::wstring escapes;  // every character the save escapes, before a digit and not
  for (wchar_t c : {0x01, 0x07, 0x1b, 0x7f, 0x80, 0xe9, 0x263a, 0xd83d, 0xde00, 0xffff})
    escapes += std::wstring(1, c) + L"7" + std::wstring(1, c) + L"z" + std::wstring(1, c) + L"a";
  std::vector<BYTE> large(1000);
  for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<BYTE>(i);
  const struct {
    const wchar_t* key;
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
  } values[] = {
      {L"Values", L"", REG_SZ, Bytes(std::wstring(L"a\"b\\c[d]e\n\t\0", 12))},
      {L"Values", L"q\"uote\\[x]" + escapes, REG_SZ, Bytes(escapes + std::wstring(L"\0\0", 2))},
      {L"Values", L"embedded", REG_SZ, Bytes(std::wstring(L"a\0b\0", 4))},
      {L"Values", L"unterminated", REG_SZ, Bytes(L"ab")},
      {L"Values", L"odd", REG_EXPAND_SZ, {'a', 0, 0}},
      {L"Values", L"expand", REG_EXPAND_SZ, Bytes(std::wstring(L"%PATH%;x\0", 9))},
      {L"Values", L"multi", REG_MULTI_SZ, Bytes(std::wstring(L"a\0b\0\0", 5))},
      {L"Values", L"dword", REG_DWORD, {1, 2, 3, 0xfe}},
      {L"Values", L"short dword", REG_DWORD, {1, 2, 3}},
      {L"Values", L"qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
      {L"Values", L"none", REG_NONE, {}},
      {L"Values", L"empty", REG_BINARY, {}},
      {L"Values", L"large", REG_BINARY, large},
      {L"Values", L"own type", 0x12345, {9, 8, 7}},
      {L"Only\\Subkeys\\Below", L"x", REG_SZ, Bytes(std::wstring(L"\0", 1))},
      {L"Sub[1]\\\x00dcn\x263a", L"y", REG_DWORD, {0, 0, 0, 0}},
  };
  for (const auto& value : values)
    ASSERT_EQ(RegSetKeyValueW(root.Get(), value.key, value.name.c_str(), value.type,
                              value.data.data(), static_cast<DWORD>(value.data.size())),
              ERROR_SUCCESS);
  ASSERT_EQ(RegCreateKeyW(root.Get(), L"Empty", key.Put()), ERROR_SUCCESS);
  // A volatile key is left out of the save; its parent is read key by key.
  ASSERT_EQ(RegCreateKeyExW(root.Get(), L"Only\\Volatile", 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, key.Put(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key.Get(), L"v", 0, REG_DWORD, large.data(), 4), ERROR_SUCCESS);
  key.Reset();

  const std::wstring read = Listing(root.Get());
  const std::wstring volatileKey = L"Only\\Volatile:v=4:00010203\n";
  ASSERT_NE(read.find(volatileKey), std::wstring::npos) << read;
  std::unique_ptr<twutil::SavedKey> saved = twutil::SaveTree(root.Get());
  ASSERT_NE(saved, nullptr);
  std::wstring withoutVolatile = read;
  withoutVolatile.erase(withoutVolatile.find(volatileKey), volatileKey.size());
  EXPECT_EQ(Listing(*saved), withoutVolatile);
  EXPECT_EQ(Listing(*twutil::ReadKeyCopy(root.Get())), read);

  // A copy from the save alone, loaded back in one call, is the same tree.
  const std::wstring again = kRoot + L"Loaded";
  RegDeleteTreeW(HKEY_CURRENT_USER, again.c_str());
  std::unique_ptr<KeyCopy> copy = twutil::CopyFromSave(root.Get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(Listing(*copy), withoutVolatile);
  ASSERT_TRUE(twutil::LoadTree(HKEY_CURRENT_USER, again, *copy));
  RegKey loaded;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, again.c_str(), 0, KEY_READ, loaded.Put()),
            ERROR_SUCCESS);
  EXPECT_EQ(Listing(loaded.Get()), withoutVolatile);
  RegDeleteTreeW(HKEY_CURRENT_USER, again.c_str());
  RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
}

}  // namespace
