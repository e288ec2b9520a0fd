// Servers that nobody here wrote: copies of Wine's own COM DLLs captured
// through the spy, compared with what a real regsvr32 of the same copies
// writes into the registry.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "SpyTestSupport.h"
#include "model/Component.h"
#include "support/TestSupport.h"

namespace {

using twutil::Bstr;
using twutil::ComPtr;
using twutil::RegKey;
using Names = std::set<std::wstring>;

std::wstring Lower(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(towlower(c));
  return s;
}

std::wstring SystemFile(const wchar_t* name) {
  wchar_t dir[MAX_PATH];
  GetSystemDirectoryW(dir, MAX_PATH);
  return std::wstring(dir) + L"\\" + name;
}

// Keys of a collection read back by position: GUIDs, ProgIDs, LIBIDs.
template <class Collection, class Item>
Names Keys(Collection* collection, HRESULT (STDMETHODCALLTYPE Item::*get)(BSTR*)) {
  Names keys;
  LONG count = 0;
  if (!collection || FAILED(collection->get_Count(&count))) return keys;
  for (LONG i = 1; i <= count; ++i) {
    VARIANT at;
    VariantInit(&at);
    V_VT(&at) = VT_I4;
    V_I4(&at) = i;
    ComPtr<Item> item;
    if (FAILED(collection->get_Item(at, item.Put())) || !item) continue;
    Bstr key;
    (item.Get()->*get)(key.Put());
    keys.insert(Lower(key.Text()));
  }
  return keys;
}

struct Registration {
  Names classes, progIds, typeLibraries;
};

Registration Captured(IExtractComponent* component) {
  Registration r;
  ComPtr<IExtractComClassCol> classes;
  ComPtr<IExtractProgIDCol> progIds;
  ComPtr<IExtractTypeLibCol> libraries;
  component->get_ComClassCollection(classes.Put());
  component->get_ProgIDCollection(progIds.Put());
  component->get_TypeLibCollection(libraries.Put());
  r.classes = Keys(classes.Get(), &IExtractComClass::get_Guid);
  r.progIds = Keys(progIds.Get(), &IExtractProgIDInfo::get_ProgID);
  r.typeLibraries = Keys(libraries.Get(), &IExtractTypeLibrary::get_LibID);
  return r;
}

std::vector<std::wstring> Subkeys(HKEY parent, const std::wstring& path) {
  std::vector<std::wstring> names;
  RegKey key;
  if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return names;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(key.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.push_back(name);
  }
  return names;
}

bool ValueIs(const std::wstring& key, const std::wstring& path) {
  std::wstring value;
  return twtest::ReadString(HKEY_CLASSES_ROOT, key, nullptr, &value) && Lower(value) == Lower(path);
}

// What the registry says the file serves, after a real registration.
Registration Registered(const std::wstring& path) {
  Registration r;
  for (const std::wstring& clsid : Subkeys(HKEY_CLASSES_ROOT, L"CLSID")) {
    std::wstring key = L"CLSID\\" + clsid;
    if (!ValueIs(key + L"\\InprocServer32", path)) continue;
    r.classes.insert(Lower(clsid));
    std::wstring progId;
    for (const wchar_t* sub : {L"\\ProgID", L"\\VersionIndependentProgID"})
      if (twtest::ReadString(HKEY_CLASSES_ROOT, key + sub, nullptr, &progId))
        r.progIds.insert(Lower(progId));
  }
  for (const std::wstring& libid : Subkeys(HKEY_CLASSES_ROOT, L"TypeLib")) {
    std::wstring key = L"TypeLib\\" + libid;
    for (const std::wstring& version : Subkeys(HKEY_CLASSES_ROOT, key))
      for (const std::wstring& lcid : Subkeys(HKEY_CLASSES_ROOT, key + L"\\" + version))
        if (ValueIs(key + L"\\" + version + L"\\" + lcid + L"\\win32", path))
          r.typeLibraries.insert(Lower(libid));
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

std::wstring Describe(const Names& names) {
  std::wstring text;
  for (const std::wstring& n : names) text += n + L" ";
  return text;
}

TEST(WineServerCapture, CaptureFindsWhatRegsvr32Writes) {
  ASSERT_TRUE(spytest::SpyRegistered());
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tarnwick\\Foundry\\7.0");
  twtest::TempDir dir;
  const wchar_t* servers[] = {L"scrrun.dll", L"msxml3.dll"};
  std::vector<std::wstring> copies;
  std::vector<ComPtr<IExtractComponent>> components;
  std::vector<IDispatch*> raw;
  for (const wchar_t* server : servers) {
    copies.push_back(dir.Path() + server);
    ASSERT_TRUE(CopyFileW(SystemFile(server).c_str(), copies.back().c_str(), FALSE));
    ComPtr<IExtractComponent> component;
    ASSERT_EQ(twutil::model::CreateExtractComponent(copies.back().c_str(), L"[INSTALLDIR]",
                                                    component.Put()),
              S_OK);
    components.push_back(component);
    raw.push_back(component.Get());
  }

  ComPtr<IServerInfo> info;
  ComPtr<IRegistry> registry;
  ASSERT_EQ(twtest::Create(CLSID_ServerInfo, &info), S_OK);
  ASSERT_EQ(twtest::Create(CLSID_Registry, &registry), S_OK);
  LONG result = 77;
  ASSERT_EQ(info->SetServer(static_cast<LONG>(raw.size()), raw.data(), registry.Get(), 0, 0, 0,
                            nullptr, &result),
            S_OK);

  for (size_t i = 0; i < copies.size(); ++i) {
    SCOPED_TRACE(testing::Message() << servers[i]);
    Registration captured = Captured(components[i].Get());
    // The capture changed nothing: the copy is not registered yet.
    EXPECT_TRUE(Registered(copies[i]).classes.empty());
    ASSERT_EQ(RunRegsvr32(copies[i]), 0u);
    Registration real = Registered(copies[i]);
    EXPECT_FALSE(real.classes.empty());
    EXPECT_FALSE(real.progIds.empty());
    EXPECT_FALSE(real.typeLibraries.empty());
    EXPECT_EQ(captured.classes, real.classes)
        << "captured: " << testing::PrintToString(Describe(captured.classes))
        << "\nregsvr32: " << testing::PrintToString(Describe(real.classes));
    EXPECT_EQ(captured.typeLibraries, real.typeLibraries);
    // Every ProgID that names a captured class was captured.
    for (const std::wstring& progId : real.progIds)
      EXPECT_TRUE(captured.progIds.count(progId)) << testing::PrintToString(progId);
  }
  // Give the prefix its own registrations back for the suites that follow.
  for (const wchar_t* server : servers) EXPECT_EQ(RunRegsvr32(SystemFile(server)), 0u);
}

}  // namespace
