// Servers that nobody here wrote: copies of Wine's own COM DLLs captured
// through the spy, compared with what a real regsvr32 of the same copies
// writes into the registry.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "SpyTestSupport.h"
#include "capture/Listings.h"
#include "model/Component.h"
#include "support/TestSupport.h"

namespace {

using twutil::ComPtr;
using Names = std::set<std::wstring>;

std::wstring Lower(std::wstring text) {
  CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

std::wstring SystemFile(const wchar_t* name) {
  wchar_t dir[MAX_PATH];
  GetSystemDirectoryW(dir, MAX_PATH);
  return std::wstring(dir) + L"\\" + name;
}

struct Registration {
  Names classes, progIds, typeLibraries;
};

// The keys (GUIDs, ProgIDs, LIBIDs) of the model's items of one label.
Names Keys(IExtractComponent* component, const char* label) {
  Names keys;
  for (const std::wstring& line : twtest::ModelLines(component, label)) {
    size_t start = line.find(L' ') + 1;
    keys.insert(Lower(line.substr(start, line.find(L'|') - start)));
  }
  return keys;
}

// What the registry says the file serves.
Registration Registered(const std::wstring& path) {
  Registration r;
  const std::wstring server = Lower(path);
  std::set<std::wstring> entries;  // lower case
  for (const std::wstring& entry : twtest::RegistryEntries(HKEY_CLASSES_ROOT, L"CLSID"))
    entries.insert(Lower(entry));
  for (const std::wstring& entry : entries) {
    size_t cut = entry.find(L"\\inprocserver32|@=");
    if (cut == std::wstring::npos || entry.substr(cut + 18) != server) continue;
    std::wstring clsid = entry.substr(0, cut);
    r.classes.insert(clsid);
    for (const std::wstring sub : {L"\\progid|@=", L"\\versionindependentprogid|@="}) {
      auto progId = entries.lower_bound(clsid + sub);
      if (progId != entries.end() &&
          progId->compare(0, clsid.size() + sub.size(), clsid + sub) == 0)
        r.progIds.insert(progId->substr(clsid.size() + sub.size()));
    }
  }
  // Entries "{libid}\version\lcid\win32|@=path".
  for (const std::wstring& entry : twtest::RegistryEntries(HKEY_CLASSES_ROOT, L"TypeLib")) {
    const std::wstring lower = Lower(entry), tail = L"\\win32|@=" + server;
    if (lower.size() > tail.size() &&
        lower.compare(lower.size() - tail.size(), tail.size(), tail) == 0)
      r.typeLibraries.insert(lower.substr(0, lower.find(L'\\')));
  }
  return r;
}

DWORD RunRegsvr32(const std::wstring& path) {
  std::wstring command = L"regsvr32.exe /s \"" + path + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return GetLastError();
  twutil::Handle thread(process.hThread), handle(process.hProcess);
  WaitForSingleObject(handle.Get(), 60000);
  DWORD code = 1;
  GetExitCodeProcess(handle.Get(), &code);
  return code;
}

TEST(WineServerCapture, CaptureFindsWhatRegsvr32Writes) {
  ASSERT_TRUE(spytest::SpyRegistered());
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tarnwick\\Foundry\\7.0");
  twtest::TempDir dir;
  const wchar_t* servers[] = {L"scrrun.dll", L"msxml3.dll"};
  std::vector<std::wstring> copies;
  std::vector<ComPtr<IExtractComponent>> components(2);
  std::vector<IDispatch*> handed;
  for (size_t i = 0; i < 2; ++i) {
    copies.push_back(dir.Path() + servers[i]);
    ASSERT_TRUE(CopyFileW(SystemFile(servers[i]).c_str(), copies[i].c_str(), FALSE));
    ASSERT_EQ(twutil::model::CreateExtractComponent(copies[i].c_str(), L"[INSTALLDIR]",
                                                    components[i].Put()),
              S_OK);
    handed.push_back(components[i].Get());
  }
  ComPtr<IServerInfo> info;
  ComPtr<IRegistry> registry;
  ASSERT_EQ(twtest::Create(CLSID_ServerInfo, &info), S_OK);
  ASSERT_EQ(twtest::Create(CLSID_Registry, &registry), S_OK);
  ASSERT_EQ(info->SetServer(2, handed.data(), registry.Get(), 0, 0, 0, nullptr, nullptr), S_OK);

  for (size_t i = 0; i < copies.size(); ++i) {
    SCOPED_TRACE(testing::Message() << servers[i]);
    // The capture changed nothing: the copy is not registered yet.
    EXPECT_TRUE(Registered(copies[i]).classes.empty());
    ASSERT_EQ(RunRegsvr32(copies[i]), 0u);
    Registration real = Registered(copies[i]);
    EXPECT_FALSE(real.classes.empty() || real.progIds.empty() || real.typeLibraries.empty());
    EXPECT_EQ(Keys(components[i].Get(), "ComClass"), real.classes);
    EXPECT_EQ(Keys(components[i].Get(), "TypeLib"), real.typeLibraries);
    // Every ProgID that names a captured class was captured.
    Names captured = Keys(components[i].Get(), "ProgID");
    for (const std::wstring& progId : real.progIds)
      EXPECT_TRUE(captured.count(progId)) << testing::PrintToString(progId);
  }
  // Give the prefix its own registrations back for the suites that follow.
  for (const wchar_t* server : servers) EXPECT_EQ(RunRegsvr32(SystemFile(server)), 0u);
}

}  // namespace
