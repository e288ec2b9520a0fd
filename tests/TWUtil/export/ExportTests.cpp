// The .reg and WiX writers against what regedit reads back and what an MSI
// can carry; the round trip through wixl and msiexec is wix_roundtrip.sh.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "StressEntries.h"
#include "export/MsiText.h"
#include "export/PathSpellings.h"
#include "export/RegFileWriter.h"
#include "export/WixFragmentWriter.h"
#include "support/ConsoleRun.h"
#include "support/TestSupport.h"

namespace {

std::wstring Describe(const twutil::model::CapturedEntry& entry) {
  return entry.key + L" [" + entry.name.value_or(L"@") + L"]";
}

TEST(RegFileTest, RegeditReadsBackEveryValueItCarries) {
  twtest::TempDir temp;
  std::wstring keyFile = exporttest::MakeKeyFile(temp.Path());
  const std::wstring base = L"Software\\TWExportTest" + std::to_wstring(GetCurrentProcessId());
  auto entries = exporttest::StressEntries(base, keyFile, L"D:\\Inst\\");
  std::vector<std::wstring> notes;
  std::wstring text = twutil::exports::WriteRegFile({exporttest::StressFile(keyFile, entries)},
                                                    {L"D:\\Inst\\"}, &notes);
  std::wstring regFile = temp.Path() + L"stress.reg";
  ASSERT_TRUE(twutil::exports::WriteUtf16File(regFile, text));
  ASSERT_EQ(twtest::RunConsole(L"regedit.exe /s \"" + regFile + L"\"").exitCode, 0u);

  size_t approximate = 0;
  for (const auto& stress : entries) {
    const auto& entry = stress.entry;
    SCOPED_TRACE(testing::Message() << Describe(entry).c_str());
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

TEST(WixFragmentTest, WhatAnMsiCannotCarryIsNotedInPlace) {
  twtest::TempDir temp;
  std::wstring keyFile = exporttest::MakeKeyFile(temp.Path());
  for (const auto& stress : exporttest::StressEntries(L"Software\\X", keyFile, L"C:\\I\\")) {
    SCOPED_TRACE(testing::Message() << Describe(stress.entry).c_str());
    std::vector<std::wstring> notes;
    std::string xml =
        twutil::exports::WriteWixFragment({exporttest::StressFile(keyFile, {stress})}, {}, &notes);
    EXPECT_EQ(notes.size(), stress.msi ? 0u : 1u);
    EXPECT_EQ(xml.find("<!--") != std::string::npos, !stress.msi && !stress.entry.keyOnly);
  }
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
      {L"c:\\dir\\srv.dll", false, L"F"},
      {L"\"C:\\DIR~1\\SRV.DLL\" /x", false, L"\"F\" /x"},
      {L"C:\\Dir\\Srv.dll\\2", false, L"F\\2"},
      {L"C:\\Dir\\Srv.dllx", false, L"D\\Srv.dllx"},
      {L"C:\\Dirx\\a;C:\\Dir", false, L"C:\\Dirx\\a;D"},
      {L"\"C:\\dir~1\"", false, L"\"D\""},
      {L"C:\\Dir\\help", true, L"[D]help"},
      {L"[x] \"C:\\Dir\\Srv.dll\"{y}", true, L"[\\[]x[\\]] \"[F]\"[\\{]y[\\}]"},
  };
  for (const Case& c : cases) {
    auto result = twutil::exports::RewritePaths(c.text, spellings, c.useMsi ? msi : plain);
    EXPECT_EQ(result.text, c.rewritten) << testing::PrintToString(std::wstring(c.text));
  }
}

}  // namespace
