// What self-registration writes and removes, and the .tlb fallback.
#include <gtest/gtest.h>

#include <string>

#include "TWUtil.h"
#include "support/TestSupport.h"

namespace {

using twutil::ComPtr;

using twtest::KeyExists;
using twtest::ReadString;

struct Registered {
  const CLSID* clsid;
  const wchar_t* progId;
  const wchar_t* versionIndependent;
};

const Registered kClasses[] = {
    {&CLSID_SearchReplace, L"TWHbrTarnwick.Utility.1", L"TWHbrTarnwick.Utility"},
    {&CLSID_Guid, L"TWHbrTarnwick.Guid.1", L"TWHbrTarnwick.Guid"},
    {&CLSID_Registry, L"TWHbrTarnwick.Registry.1", L"TWHbrTarnwick.Registry"},
    {&CLSID_File, L"TWHbrTarnwick.File.1", L"TWHbrTarnwick.File"},
    {&CLSID_TWResXfer, L"TWHbrTarnwick.ResourceCopier.1", L"TWHbrTarnwick.ResourceCopier"},
    {&CLSID_ServerInfo, L"TWHbrTarnwick.ServerInfo.1", L"TWHbrTarnwick.ServerInfo"},
    {&CLSID_PropertyHeader, L"TWHbrUtil.PropertyHeader.1", L"TWHbrUtil.PropertyHeader"},
    {&CLSID_Encryptor, L"TWHbrTarnwick.Encryptor.1", L"TWHbrTarnwick.Encryptor"},
    {&CLSID_SignCode, L"TWHbrTarnwick.SignCode.1", L"TWHbrTarnwick.SignCode"},
    {&CLSID_StampVersion, L"TWHbrTarnwick.StampVersion.1", L"TWHbrTarnwick.StampVersion"},
};

std::wstring GuidText(const GUID& g) {
  wchar_t text[40];
  StringFromGUID2(g, text, 40);
  return text;
}

std::wstring Lower(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(towlower(c));
  return s;
}

std::wstring TypeLibKey() { return L"TypeLib\\" + GuidText(LIBID_TWUtilityLib) + L"\\1.0"; }

using EntryPoint = HRESULT(WINAPI*)();
EntryPoint Entry(HMODULE module, const char* name) {
  return reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Every class key as registration leaves it; the module path as given.
void ExpectClassesRegistered(const std::wstring& modulePath) {
  for (const Registered& c : kClasses) {
    SCOPED_TRACE(testing::Message() << c.progId);
    std::wstring clsid = GuidText(*c.clsid), value;
    for (const wchar_t* progId : {c.progId, c.versionIndependent}) {
      ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, progId, nullptr, &value));
      EXPECT_EQ(value, L"TWUtil.Dll");
      ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, std::wstring(progId) + L"\\CLSID", nullptr, &value));
      EXPECT_EQ(value, clsid);
    }
    std::wstring key = L"CLSID\\" + clsid;
    ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, key, nullptr, &value));
    EXPECT_EQ(value, L"TWUtil.Dll");
    ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, key + L"\\ProgID", nullptr, &value));
    EXPECT_EQ(value, c.progId);
    ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, key + L"\\VersionIndependentProgID", nullptr, &value));
    EXPECT_EQ(value, c.versionIndependent);
    ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr, &value));
    EXPECT_EQ(Lower(value), Lower(modulePath));
    ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel", &value));
    EXPECT_EQ(value, L"Apartment");
    for (const wchar_t* absent : {L"\\TypeLib", L"\\Version", L"\\Programmable", L"\\Control"})
      EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key + absent)) << absent;
  }
}

// Runs first in the suite's process, before any test registers in-process.
TEST(Registration, Regsvr32WroteEveryClassAndTheTypeLibrary) {
  ExpectClassesRegistered(twtest::LibraryPath());
  std::wstring value;
  ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, TypeLibKey(), nullptr, &value));
  EXPECT_EQ(value, L"Tarnwick Harbor Utility Library 1.0");
  ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, TypeLibKey() + L"\\409\\win32", nullptr, &value));
  EXPECT_EQ(Lower(value), Lower(twtest::LibraryPath()));
  ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, TypeLibKey() + L"\\HELPDIR", nullptr, &value));
  std::wstring dir = twtest::BinDir();
  EXPECT_EQ(Lower(value), Lower(dir.substr(0, dir.size() - 1)));
}

TEST(Registration, UnregistrationRemovesEverythingAndNeverFails) {
  HMODULE module = twtest::RegisteredLibrary();
  ASSERT_EQ(Entry(module, "DllUnregisterServer")(), S_OK);
  for (const Registered& c : kClasses) {
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, c.progId));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, c.versionIndependent));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + GuidText(*c.clsid)));
  }
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, TypeLibKey()));
  EXPECT_EQ(Entry(module, "DllUnregisterServer")(), S_OK);  // nothing left to remove

  ASSERT_EQ(Entry(module, "DllRegisterServer")(), S_OK);
  ExpectClassesRegistered(twtest::LibraryPath());
}

TEST(Registration, FallsBackToTheTlbBesideTheModule) {
  twtest::RegisteredLibrary();
  twtest::TempDir dir;
  std::wstring copy = dir.Path() + L"Copy.dll";
  ASSERT_TRUE(CopyFileW((twtest::BinDir() + L"testdata\\TWUtilNoTypeLib.dll").c_str(), copy.c_str(),
                        FALSE));
  HMODULE module = LoadLibraryW(copy.c_str());
  ASSERT_NE(module, nullptr);
  ComPtr<ITypeLib> probe;
  ASSERT_TRUE(FAILED(LoadTypeLibEx(copy.c_str(), REGKIND_NONE, probe.Put())));

  // Without a .tlb the classes register but the type library cannot.
  EXPECT_TRUE(FAILED(Entry(module, "DllRegisterServer")()));

  ASSERT_TRUE(CopyFileW((twtest::BinDir() + L"testdata\\TWUtil.tlb").c_str(),
                        (dir.Path() + L"Copy.tlb").c_str(), FALSE));
  EXPECT_EQ(Entry(module, "DllRegisterServer")(), S_OK);
  std::wstring value;
  ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, TypeLibKey() + L"\\409\\win32", nullptr, &value));
  EXPECT_EQ(Lower(value), Lower(dir.Path() + L"Copy.tlb"));
  ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, TypeLibKey() + L"\\HELPDIR", nullptr, &value));
  EXPECT_EQ(Lower(value), Lower(dir.Path().substr(0, dir.Path().size() - 1)));

  FreeLibrary(module);
  // Leave the prefix as the suite found it.
  ASSERT_EQ(Entry(twtest::RegisteredLibrary(), "DllRegisterServer")(), S_OK);
  ExpectClassesRegistered(twtest::LibraryPath());
}

}  // namespace
