// The .reg and WiX writers against what regedit reads back and what an MSI
// can carry; the round trip through wixl and msiexec is wix_roundtrip.sh.
#include <gtest/gtest.h>
#include <windows.h>

#include "StressEntries.h"
#include "export/MsiText.h"
#include "export/PathSpellings.h"
#include "export/RegFileWriter.h"
#include "export/WixFragmentWriter.h"
#include "support/TestSupport.h"

namespace {

using twutil::exports::ExportedFile;

std::wstring Base(const wchar_t* what) {
  return L"Software\\TWExportTest" + std::to_wstring(GetCurrentProcessId()) + L"\\" + what;
}

bool RunRegeditImport(const std::wstring& regFile) {
  std::wstring command = L"regedit.exe /s \"" + regFile + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return false;
  twutil::Handle thread(process.hThread), child(process.hProcess);
  DWORD code = 1;
  return WaitForSingleObject(child.Get(), 60000) == WAIT_OBJECT_0 &&
         GetExitCodeProcess(child.Get(), &code) && code == 0;
}

bool NotesMention(const std::vector<std::wstring>& notes, const std::wstring& text) {
  for (const std::wstring& note : notes)
    if (note.find(text) != std::wstring::npos) return true;
  return false;
}

std::wstring Describe(const twutil::model::CapturedEntry& entry) {
  return entry.key + L" [" + entry.name.value_or(L"@") + L"]";
}

TEST(RegFileTest, RegeditReadsBackEveryValueItCarries) {
  twtest::TempDir temp;
  std::wstring keyFile = exporttest::MakeKeyFile(temp.Path());
  std::wstring base = Base(L"Reg");
  auto entries = exporttest::StressEntries(base, keyFile, L"D:\\Inst\\");
  std::vector<std::wstring> notes;
  std::wstring text = twutil::exports::WriteRegFile({exporttest::StressFile(keyFile, entries)},
                                                    {L"D:\\Inst\\"}, &notes);
  std::wstring regFile = temp.Path() + L"stress.reg";
  ASSERT_TRUE(twutil::exports::WriteUtf16File(regFile, text));
  ASSERT_TRUE(RunRegeditImport(regFile));

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
      EXPECT_TRUE(NotesMention(notes, L"\"" + *entry.name + L"\""));
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
  RegDeleteTreeW(HKEY_CURRENT_USER, Base(L"").c_str());
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
