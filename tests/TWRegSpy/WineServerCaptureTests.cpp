// Servers that nobody here wrote: copies of Wine's own COM DLLs captured
// through the spy, compared with what a real regsvr32 of the same copies
// writes into the registry.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "SpyTestSupport.h"
#include "capture/Listings.h"
#include "com/Owners.h"
#include "com/TypeLibPlatform.h"
#include "model/CapturedRegistry.h"
#include "model/Component.h"
#include "support/ConsoleRun.h"
#include "support/TestSupport.h"

namespace {

using twutil::ComPtr;
using Names = std::set<std::wstring>;
using twtest::Lower;

std::wstring SystemFile(const wchar_t* name) {
  wchar_t dir[MAX_PATH];
  GetSystemDirectoryW(dir, MAX_PATH);
  return std::wstring(dir) + L"\\" + name;
}

// The keys (GUIDs, ProgIDs, LIBIDs) of the model's items of one label.
Names Keys(IExtractComponent* component, const char* label) {
  Names keys;
  for (const std::wstring& line : twtest::ModelLines(component, label)) {
    size_t start = line.find(L' ') + 1;
    keys.insert(Lower(line.substr(start, line.find(L'|') - start)));
  }
  return keys;
}

// What the registry says the file serves: the first key of each entry below
// HKEY_CLASSES_ROOT\below that ends in tail and the server's path.
Names Registered(const wchar_t* below, const std::wstring& tail, const std::wstring& path) {
  Names found;
  const std::wstring end = tail + Lower(path);
  for (const std::wstring& entry : twtest::RegistryEntries(HKEY_CLASSES_ROOT, below)) {
    const std::wstring lower = Lower(entry);
    if (lower.size() > end.size() && lower.compare(lower.size() - end.size(), end.size(), end) == 0)
      found.insert(lower.substr(0, lower.find(L'\\')));
  }
  return found;
}

// A value as "key|name|type|bytes", the key in lower case.
std::wstring ValueLine(const std::wstring& key, const std::wstring& name, DWORD type,
                       const std::vector<BYTE>& data) {
  std::wstring line = Lower(key) + L"|" + name + L"|" + std::to_wstring(type) + L"|";
  for (BYTE b : data) line += std::to_wstring(b) + L",";
  return line;
}

// Every value below HKEY_CLASSES_ROOT, read straight from the registry.
Names ClassesRootValues() {
  Names values;
  twtest::WalkRegistry(HKEY_CLASSES_ROOT, L"", 0,
                       [&](const std::wstring& path, const wchar_t* name, DWORD type,
                           const std::vector<BYTE>& data) {
                         if (name) values.insert(ValueLine(path, name, type, data));
                       });
  return values;
}

// The captured values below HKEY_CLASSES_ROOT in the same form.
Names CapturedValues(IExtractComponent* component) {
  Names values;
  const std::vector<twutil::model::CapturedEntry>* entries =
      twutil::model::CapturedRegistryOf(component);
  if (!entries) return values;
  for (const twutil::model::CapturedEntry& entry : *entries) {
    if (!entry.keyOnly && entry.root == twutil::model::kRootClassesRoot)
      values.insert(ValueLine(entry.key, entry.name.value_or(L""), entry.type, entry.data));
  }
  return values;
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
    EXPECT_TRUE(Registered(L"CLSID", L"\\inprocserver32|@=", copies[i]).empty());
    const Names before = ClassesRootValues();
    ASSERT_EQ(twtest::RunConsole(L"regsvr32.exe /s \"" + copies[i] + L"\"").exitCode, 0u);
    // Every value the registration wrote or changed is in the captured registry.
    const Names after = ClassesRootValues(), captured = CapturedValues(components[i].Get());
    size_t written = 0;
    for (const std::wstring& value : after) {
      if (before.count(value)) continue;
      ++written;
      // The spy keeps a server in one view: what it writes into the other
      // lands beside the rest.
      const std::wstring otherView = L"wow6432node\\";
      std::wstring seen = value.compare(0, otherView.size(), otherView) == 0
                              ? value.substr(otherView.size())
                              : value;
      EXPECT_TRUE(captured.count(seen)) << "not captured: " << testing::PrintToString(value);
    }
    EXPECT_GE(written, 3u);
    const Names classes = Registered(L"CLSID", L"\\inprocserver32|@=", copies[i]);
    const Names typeLibraries =
        Registered(L"TypeLib", std::wstring(L"\\") + twutil::kTypeLibPlatform + L"|@=", copies[i]);
    EXPECT_FALSE(classes.empty() || typeLibraries.empty());
    EXPECT_EQ(Keys(components[i].Get(), "ComClass"), classes);
    EXPECT_EQ(Keys(components[i].Get(), "TypeLib"), typeLibraries);
  }
  // Give the prefix its own registrations back for the suites that follow.
  for (const wchar_t* server : servers)
    EXPECT_EQ(twtest::RunConsole(L"regsvr32.exe /s \"" + SystemFile(server) + L"\"").exitCode, 0u);
}

}  // namespace
