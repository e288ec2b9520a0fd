// What self-registration writes and removes, and the .tlb fallback.
#include <gtest/gtest.h>

#include <string>

#include "TWUtil.h"
#include "support/TestSupport.h"

namespace {

using twtest::KeyExists;

struct Registered {
  const CLSID* clsid;
  const wchar_t* progId;  // the version-independent one is without ".1"
};

const Registered kClasses[] = {
    {&CLSID_SearchReplace, L"TWHbrTarnwick.Utility.1"},
    {&CLSID_Guid, L"TWHbrTarnwick.Guid.1"},
    {&CLSID_Registry, L"TWHbrTarnwick.Registry.1"},
    {&CLSID_File, L"TWHbrTarnwick.File.1"},
    {&CLSID_TWResXfer, L"TWHbrTarnwick.ResourceCopier.1"},
    {&CLSID_ServerInfo, L"TWHbrTarnwick.ServerInfo.1"},
    {&CLSID_PropertyHeader, L"TWHbrUtil.PropertyHeader.1"},
    {&CLSID_Encryptor, L"TWHbrTarnwick.Encryptor.1"},
    {&CLSID_SignCode, L"TWHbrTarnwick.SignCode.1"},
    {&CLSID_StampVersion, L"TWHbrTarnwick.StampVersion.1"},
};

std::wstring ClassKey(const Registered& c) {
  wchar_t text[40];
  StringFromGUID2(*c.clsid, text, 40);
  return std::wstring(L"CLSID\\") + text;
}

std::wstring Lower(std::wstring s) {
  CharLowerBuffW(&s[0], static_cast<DWORD>(s.size()));
  return s;
}

// The string value below HKEY_CLASSES_ROOT, or "<missing>".
std::wstring Read(const std::wstring& key, const wchar_t* name = nullptr) {
  std::wstring value;
  return twtest::ReadString(HKEY_CLASSES_ROOT, key, name, &value) ? value : L"<missing>";
}

std::wstring TypeLibKey() {
  wchar_t text[40];
  StringFromGUID2(LIBID_TWUtilityLib, text, 40);
  return std::wstring(L"TypeLib\\") + text + L"\\1.0";
}

HRESULT Call(HMODULE module, const char* entry) {
  return reinterpret_cast<HRESULT(WINAPI*)()>(
      reinterpret_cast<void*>(GetProcAddress(module, entry)))();
}

// Every class key as registration leaves it; the module path as given.
void ExpectClassesRegistered(const std::wstring& modulePath) {
  for (const Registered& c : kClasses) {
    const std::wstring versioned = c.progId,
                       independent = versioned.substr(0, versioned.size() - 2);
    const std::wstring key = ClassKey(c), clsid = key.substr(6);
    const std::pair<std::wstring, std::wstring> values[] = {
        {versioned, L"TWUtil.Dll"},
        {versioned + L"\\CLSID", clsid},
        {independent, L"TWUtil.Dll"},
        {independent + L"\\CLSID", clsid},
        {key, L"TWUtil.Dll"},
        {key + L"\\ProgID", versioned},
        {key + L"\\VersionIndependentProgID", independent}};
    for (const auto& [path, expected] : values) EXPECT_EQ(Read(path), expected) << path;
    EXPECT_EQ(Lower(Read(key + L"\\InprocServer32")), Lower(modulePath)) << key;
    EXPECT_EQ(Read(key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment") << key;
    for (const wchar_t* absent : {L"\\TypeLib", L"\\Version", L"\\Programmable", L"\\Control"})
      EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key + absent)) << key << absent;
  }
}

// Runs first in the suite's process, before any test registers in-process.
TEST(Registration, Regsvr32WroteEveryClassAndTheTypeLibrary) {
  ExpectClassesRegistered(twtest::LibraryPath());
  const std::wstring dir = twtest::BinDir();
  EXPECT_EQ(Read(TypeLibKey()), L"Tarnwick Harbor Utility Library 1.0");
  EXPECT_EQ(Lower(Read(TypeLibKey() + L"\\409\\win32")), Lower(twtest::LibraryPath()));
  EXPECT_EQ(Lower(Read(TypeLibKey() + L"\\HELPDIR")), Lower(dir.substr(0, dir.size() - 1)));
}

TEST(Registration, UnregistrationRemovesEverythingAndNeverFails) {
  HMODULE module = twtest::RegisteredLibrary();
  ASSERT_EQ(Call(module, "DllUnregisterServer"), S_OK);
  for (const Registered& c : kClasses) {
    const std::wstring versioned = c.progId;
    for (const std::wstring& key :
         {versioned, versioned.substr(0, versioned.size() - 2), ClassKey(c)})
      EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key)) << key;
  }
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, TypeLibKey()));
  EXPECT_EQ(Call(module, "DllUnregisterServer"), S_OK);  // nothing left to remove
  ASSERT_EQ(Call(module, "DllRegisterServer"), S_OK);
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
  twutil::ComPtr<ITypeLib> probe;
  ASSERT_TRUE(FAILED(LoadTypeLibEx(copy.c_str(), REGKIND_NONE, probe.Put())));
  // Without a .tlb the classes register but the type library cannot.
  EXPECT_TRUE(FAILED(Call(module, "DllRegisterServer")));
  ASSERT_TRUE(CopyFileW((twtest::BinDir() + L"testdata\\TWUtil.tlb").c_str(),
                        (dir.Path() + L"Copy.tlb").c_str(), FALSE));
  EXPECT_EQ(Call(module, "DllRegisterServer"), S_OK);
  EXPECT_EQ(Lower(Read(TypeLibKey() + L"\\409\\win32")), Lower(dir.Path() + L"Copy.tlb"));
  EXPECT_EQ(Lower(Read(TypeLibKey() + L"\\HELPDIR")),
            Lower(dir.Path().substr(0, dir.Path().size() - 1)));
  FreeLibrary(module);
  // Leave the prefix as the suite found it.
  ASSERT_EQ(Call(twtest::RegisteredLibrary(), "DllRegisterServer"), S_OK);
  ExpectClassesRegistered(twtest::LibraryPath());
}

}  // namespace
