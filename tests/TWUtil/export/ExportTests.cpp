// The .reg and WiX writers against what regedit reads back and what an MSI
// can carry; the round trip through wixl and msiexec is server_roundtrip.sh,
// which takes its stress input from this suite.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "export/ExportedFile.h"
#include "export/MsiText.h"
#include "export/PathSpellings.h"
#include "export/RegFileWriter.h"
#include "export/WixFragmentWriter.h"
#include "support/ConsoleRun.h"
#include "support/TestSupport.h"

namespace {

// "<F>" the file, "<S>" its short form, "<U>" it upper-cased, "<D>" its folder.
std::vector<BYTE> Expand(std::wstring pattern, const std::wstring (&by)[4]) {
  const wchar_t* tokens[] = {L"<F>", L"<S>", L"<U>", L"<D>"};
  for (int i = 0; i < 4; ++i)
    for (size_t at = pattern.find(tokens[i]); at != std::wstring::npos;
         at = pattern.find(tokens[i], at + by[i].size()))
      pattern.replace(at, 3, by[i]);
  std::vector<BYTE> bytes;
  for (wchar_t c : pattern) bytes.insert(bytes.end(), {BYTE(c & 0xFF), BYTE(c >> 8)});
  return bytes;
}

// A server file with a long name (so it also has a short one), made in folder.
std::wstring MakeKeyFile(const std::wstring& folder) {
  twtest::WriteBytes(folder + L"Export Stress Server.dll", {'M', 'Z'});
  return folder + L"Export Stress Server.dll";
}

struct StressEntry {
  twutil::model::CapturedEntry entry;  // as captured, below HKCU\base
  std::vector<BYTE> installed;         // the data once its paths name the install folder
  bool reg = true;                     // regedit reads it back as written
  bool msi = true;                     // an MSI carries it
};

// Registry entries for every corner of the exports. Every path in them names
// keyFile; installDir (with a trailing backslash) is where an install puts it.
std::vector<StressEntry> StressEntries(const std::wstring& base, const std::wstring& keyFile,
                                       const std::wstring& installDir) {
  std::wstring folder = keyFile.substr(0, keyFile.find_last_of(L'\\'));
  wchar_t shortBuffer[MAX_PATH] = {};
  DWORD shortLength = GetShortPathNameW(keyFile.c_str(), shortBuffer, MAX_PATH);
  std::wstring upperFile = keyFile;
  CharUpperBuffW(&upperFile[0], static_cast<DWORD>(upperFile.size()));
  const std::wstring captured[4] = {
      keyFile, shortLength && shortLength < MAX_PATH ? shortBuffer : keyFile, upperFile, folder};
  const std::wstring installedFile = installDir + keyFile.substr(folder.size() + 1);
  const std::wstring installed[4] = {installedFile, installedFile, installedFile,
                                     installDir.substr(0, installDir.size() - 1)};

  struct Row {
    const wchar_t* key;
    const wchar_t* name;  // null: the default value
    DWORD type;
    std::wstring chars;  // data as characters; "<F>" etc. for paths
    bool reg, msi;
    bool rewritten = false;  // its paths name the install folder once installed
    bool keyOnly = false;
  };
  const std::wstring nul(1, L'\0');
  std::wstring binary300;  // the bytes 0, 7, 14, ...
  for (int i = 0; i < 300; i += 2) binary300 += wchar_t(BYTE(i * 7) | BYTE(i * 7 + 7) << 8);
  const Row rows[] = {
      {L"Types", nullptr, REG_SZ, L"default" + nul, true, true},
      {L"Types", L"empty", REG_SZ, nul, true, true},
      {L"Types", L"expand", REG_EXPAND_SZ, L"%SystemRoot%\\x" + nul, true, true},
      {L"Types", L"multi1", REG_MULTI_SZ, L"one" + nul + nul, true, true},
      {L"Types", L"multi3", REG_MULTI_SZ, L"a" + nul + L"#b" + nul + L"c[~]" + nul + nul, true,
       true},
      {L"Types", L"multiGap", REG_MULTI_SZ, L"a" + nul + nul + L"b" + nul + nul, true, false},
      {L"Types", L"dword", REG_DWORD, std::wstring(L"\x002A\x8000", 2), true, true},
      {L"Types", L"dwordShort", REG_DWORD, std::wstring(L"\x0102", 1), true, false},
      {L"Types", L"qword", REG_QWORD, std::wstring(L"\x0102\x0304\x0506\x0708", 4), true, false},
      {L"Types", L"none", REG_NONE, L"", true, false},
      {L"Types", L"emptyBinary", REG_BINARY, L"", true, false},
      {L"Types", L"bigEndian", REG_DWORD_BIG_ENDIAN, std::wstring(L"\x0100\x0000", 2), true, false},
      {L"Types", L"unterminated", REG_SZ, L"ab", false, false},
      {L"Types", L"embeddedNull", REG_SZ, L"a" + nul + L"b" + nul, true, false},
      {L"Types", L"binary300", REG_BINARY, binary300, true, true},
      {L"Text", L"q\"uote", REG_SZ, L"v\"al" + nul, true, true},
      {L"Text", L"back\\slash\\", REG_SZ, L"c:\\dir\\" + nul, true, true},
      {L"Text", L"[br]{ace}", REG_SZ, L"[x] {{y}} [~] [#f]" + nul, true, true},
      {L"Text", L"a=b&c<d>", REG_SZ, L"=&<>'" + nul, true, true},
      {L"Text", L"line\nbreak\r", REG_SZ, L"one\r\ntwo\tthree" + nul, true, true},
      {L"Text", L"Größe", REG_SZ, L"Größe" + nul, true, true},
      {L"Text", L"Ωμέγα", REG_SZ, L"Ωμέγα" + nul, true, false},
      {L"Text", L"hash", REG_SZ, L"#x12" + nul, true, true},
      {L"Text", L"-", REG_SZ, L"minus" + nul, true, true},
      {L"Text", L"+", REG_SZ, L"plus" + nul, true, false},
      {L"Text", L"@", REG_SZ, L"at" + nul, true, true},
      {L"Text", L"control", REG_SZ, L"bell\x0007" + nul, true, false},
      {L"Key [1]=&<\"{x}\" Größe", L"v", REG_SZ, L"k" + nul, true, true},
      {L"Paths", L"long", REG_SZ, L"<F>" + nul, true, true, true},
      {L"Paths", L"short", REG_EXPAND_SZ, L"<S>,1" + nul, true, true, true},
      {L"Paths", L"upperQuoted", REG_SZ, L"\"<U>\" /automation" + nul, true, true, true},
      {L"Paths", L"folder", REG_MULTI_SZ, L"<D>\\help" + nul + L"<D>\\x.tlb\\2" + nul + nul, true,
       true, true},
      {L"Paths", L"notFolder", REG_SZ, L"<D>x\\a" + nul, true, true},
      {L"Paths", L"binary", REG_BINARY, L"<F>", true, true},
      // Noted: wixl 0.101 leaves RegistryKey ForceCreateOnInstall out.
      {L"Empty\\Leaf", nullptr, REG_NONE, L"", true, false, false, true},
  };

  std::vector<StressEntry> entries;
  for (const Row& row : rows) {
    std::optional<std::wstring> name;
    if (row.name) name = row.name;
    twutil::model::CapturedEntry entry{
        twutil::model::kRootCurrentUser, base + L"\\" + row.key, row.keyOnly, name, row.type,
        Expand(row.chars, captured)};
    entries.push_back(
        {entry, row.rewritten ? Expand(row.chars, installed) : entry.data, row.reg, row.msi});
  }
  StressEntry odd = entries.front();  // a text of an odd number of bytes
  odd.entry.name = L"oddText";
  odd.entry.data = odd.installed = {'a'};
  odd.reg = odd.msi = false;
  entries.push_back(odd);
  return entries;
}

twutil::exports::ExportedFile StressFile(const std::wstring& keyFile,
                                         const std::vector<StressEntry>& entries) {
  twutil::exports::ExportedFile file;
  file.keyFile = keyFile;
  for (const StressEntry& stress : entries) file.entries.push_back(stress.entry);
  twutil::model::SortCapturedEntries(&file.entries);
  return file;
}

// The .reg export imported with regedit, and each entry alone in a fragment:
// what either cannot carry is noted.
TEST(ExportTest, RegeditReadsBackEveryValueAndWhatAnMsiCannotCarryIsNotedInPlace) {
  twtest::TempDir temp;
  std::wstring keyFile = MakeKeyFile(temp.Path());
  const std::wstring base = L"Software\\TWExportTest" + std::to_wstring(GetCurrentProcessId());
  auto entries = StressEntries(base, keyFile, L"D:\\Inst\\");
  std::vector<std::wstring> notes;
  std::wstring text =
      twutil::exports::WriteRegFile({StressFile(keyFile, entries)}, {L"D:\\Inst\\"}, &notes);
  std::wstring regFile = temp.Path() + L"stress.reg";
  ASSERT_TRUE(twutil::exports::WriteUtf16File(regFile, text));
  ASSERT_EQ(twtest::RunConsole(L"regedit.exe /s \"" + regFile + L"\"").exitCode, 0u);

  size_t approximate = 0;
  for (const auto& stress : entries) {
    const auto& entry = stress.entry;
    SCOPED_TRACE(testing::Message() << (entry.key + L" [" + entry.name.value_or(L"@") + L"]"));
    std::vector<std::wstring> wixNotes;
    std::string xml =
        twutil::exports::WriteWixFragment({StressFile(keyFile, {stress})}, {}, &wixNotes);
    EXPECT_EQ(wixNotes.size(), stress.msi ? 0u : 1u);
    EXPECT_EQ(xml.find("<!--") != std::string::npos, !stress.msi && !entry.keyOnly);
    if (entry.keyOnly) {
      EXPECT_TRUE(twtest::KeyExists(HKEY_CURRENT_USER, entry.key));
      continue;
    }
    if (!stress.reg) {
      ++approximate;
      EXPECT_TRUE(std::any_of(notes.begin(), notes.end(), [&](const std::wstring& note) {
        return note.find(L"\"" + *entry.name + L"\"") != std::wstring::npos;
      }));
      continue;
    }
    twutil::RegKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, entry.key.c_str(), 0, KEY_READ, key.Put()), 0);
    DWORD type = 0, size = 4096;
    std::vector<BYTE> data(size);
    const wchar_t* name = entry.name ? entry.name->c_str() : nullptr;
    ASSERT_EQ(RegQueryValueExW(key.Get(), name, nullptr, &type, data.data(), &size), 0);
    data.resize(size);
    EXPECT_EQ(type, entry.type);
    EXPECT_EQ(data, stress.installed);
  }
  EXPECT_EQ(notes.size(), approximate);
  RegDeleteTreeW(HKEY_CURRENT_USER, base.c_str());
}

// With TW_STRESS_DIR naming a folder, writes the stress round trip's input
// there (see server_roundtrip.sh): stress.wxs, the fragment (its key file
// beside it), and expected.reg, what installing it into TW_STRESS_INSTALL_DIR
// must write. Both name folders with a trailing backslash.
TEST(WixFragmentTest, RoundTripInput) {
  wchar_t folder[MAX_PATH] = {}, installDir[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"TW_STRESS_DIR", folder, MAX_PATH)) GTEST_SKIP();
  ASSERT_TRUE(GetEnvironmentVariableW(L"TW_STRESS_INSTALL_DIR", installDir, MAX_PATH));
  const std::wstring keyFile = MakeKeyFile(folder), base = L"Software\\TWExportTest";
  auto entries = StressEntries(base, keyFile, installDir);
  std::string xml = twutil::exports::WriteWixFragment({StressFile(keyFile, entries)}, {}, nullptr);
  ASSERT_TRUE(twtest::WriteBytes(folder + std::wstring(L"stress.wxs"), {xml.begin(), xml.end()}));
  std::vector<StressEntry> carried;
  for (auto stress : entries) {
    stress.entry.data = stress.installed;
    // server_roundtrip.sh puts back the empty keys that wixl drops.
    if (stress.msi || stress.entry.keyOnly) carried.push_back(stress);
  }
  ASSERT_TRUE(twutil::exports::WriteUtf16File(
      folder + std::wstring(L"expected.reg"),
      twutil::exports::WriteRegFile({StressFile(L"C:\\none\\none.dll", carried)}, {}, nullptr)));
}

TEST(PathSpellingsTest, RewritesWholeSpellingsOnly) {
  auto spellings =
      twutil::exports::SpellingsFromPaths({L"C:\\Dir\\Srv.dll", L"C:\\DIR~1\\SRV.DLL"});
  twutil::exports::PathRewrite plain{L"F", L"D", false, nullptr};
  twutil::exports::PathRewrite msi{L"[F]", L"[D]", true, twutil::exports::EscapeFormatted};
  struct Case {
    const wchar_t* text;
    bool useMsi;
    const wchar_t* rewritten;
  } cases[] = {
      {L"C:\\Dir\\Srv.dll\\2", false, L"F\\2"},
      {L"C:\\Dir\\Srv.dllx", false, L"D\\Srv.dllx"},
      {L"C:\\Dirx\\a;C:\\Dir", false, L"C:\\Dirx\\a;D"},
      {L"\"C:\\dir~1\"", false, L"\"D\""},
      {L"[x] \"C:\\Dir\\Srv.dll\"{y}", true, L"[\\[]x[\\]] \"[F]\"[\\{]y[\\}]"},
  };
  for (const Case& c : cases) {
    auto result = twutil::exports::RewritePaths(c.text, spellings, c.useMsi ? msi : plain);
    EXPECT_EQ(result.text, c.rewritten) << testing::PrintToString(std::wstring(c.text));
  }
}

}  // namespace
