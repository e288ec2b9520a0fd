// What self-registration writes and removes, and the .tlb fallback.
#include <gtest/gtest.h>

#include <string>

#include "TWUtil.h"
#include "com/TypeLibPlatform.h"
#include "support/TestSupport.h"

namespace {

using twtest::KeyExists;

// Each class with its ProgID; the version-independent one is without ".1".
const std::pair<const CLSID*, const wchar_t*> kClasses[] = {
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

std::wstring KeyOf(const wchar_t* prefix, const GUID& guid) {
  wchar_t text[40];
  StringFromGUID2(guid, text, 40);
  return prefix + std::wstring(text);
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

const std::wstring kTypeLib = KeyOf(L"TypeLib\\", LIBID_TWUtilityLib) + L"\\1.0";

HRESULT Call(HMODULE module, const char* entry) {
  return reinterpret_cast<HRESULT(WINAPI*)()>(
      reinterpret_cast<void*>(GetProcAddress(module, entry)))();
}

// Every class key as registration leaves it.
void ExpectClassesRegistered() {
  for (const auto& [clsid, progId] : kClasses) {
    const std::wstring versioned = progId, independent = versioned.substr(0, versioned.size() - 2);
    const std::wstring key = KeyOf(L"CLSID\\", *clsid), guid = key.substr(6);
    const std::pair<std::wstring, std::wstring> values[] = {
        {versioned, L"TWUtil.Dll"},
        {versioned + L"\\CLSID", guid},
        {independent, L"TWUtil.Dll"},
        {independent + L"\\CLSID", guid},
        {key, L"TWUtil.Dll"},
        {key + L"\\ProgID", versioned},
        {key + L"\\VersionIndependentProgID", independent}};
    for (const auto& [path, expected] : values) EXPECT_EQ(Read(path), expected) << path;
    EXPECT_EQ(Lower(Read(key + L"\\InprocServer32")), Lower(twtest::LibraryPath())) << key;
    EXPECT_EQ(Read(key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment") << key;
    for (const wchar_t* absent : {L"\\TypeLib", L"\\Version", L"\\Programmable", L"\\Control"})
      EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key + absent)) << key << absent;
  }
}

// Runs first in the suite's process, before any test registers in-process.
TEST(Registration, Regsvr32WroteEveryClassAndTheTypeLibrary) {
  ExpectClassesRegistered();
  const std::wstring dir = twtest::BinDir();
  EXPECT_EQ(Read(kTypeLib), L"Tarnwick Harbor Utility Library 1.0");
  EXPECT_EQ(Lower(Read(kTypeLib + L"\\409\\" + twutil::kTypeLibPlatform)),
            Lower(twtest::LibraryPath()));
  EXPECT_EQ(Lower(Read(kTypeLib + L"\\HELPDIR")), Lower(dir.substr(0, dir.size() - 1)));
}

TEST(Registration, UnregistrationRemovesEverythingAndNeverFails) {
  HMODULE module = twtest::RegisteredLibrary();
  ASSERT_EQ(Call(module, "DllUnregisterServer"), S_OK);
  for (const auto& [clsid, progId] : kClasses) {
    const std::wstring versioned = progId;
    for (const std::wstring& key :
         {versioned, versioned.substr(0, versioned.size() - 2), KeyOf(L"CLSID\\", *clsid)})
      EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key)) << key;
  }
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kTypeLib));
  EXPECT_EQ(Call(module, "DllUnregisterServer"), S_OK);  // nothing left to remove
  ASSERT_EQ(Call(module, "DllRegisterServer"), S_OK);
  ExpectClassesRegistered();
}

TEST(Registration, FallsBackToTheTlbBesideTheModule) {
  twtest::RegisteredLibrary();
  twtest::TempDir dir;
  std::wstring copy = dir.Path() + L"Copy.dll";
  ASSERT_TRUE(CopyFileW((twtest::BinDir() + L"testdata\\TWUtilNoTypeLib.dll").c_str(), copy.c_str(),
                        FALSE));
  HMODULE module = LoadLibraryW(copy.c_str());
  ASSERT_NE(module, nullptr);
  // Without a .tlb the classes register but the type library cannot.
  EXPECT_TRUE(FAILED(Call(module, "DllRegisterServer")));
  ASSERT_TRUE(CopyFileW((twtest::BinDir() + L"testdata\\TWUtil.tlb").c_str(),
                        (dir.Path() + L"Copy.tlb").c_str(), FALSE));
  EXPECT_EQ(Call(module, "DllRegisterServer"), S_OK);
  EXPECT_EQ(Lower(Read(kTypeLib + L"\\409\\" + twutil::kTypeLibPlatform)),
            Lower(dir.Path() + L"Copy.tlb"));
  FreeLibrary(module);
  // Leave the prefix as the suite found it.
  ASSERT_EQ(Call(twtest::RegisteredLibrary(), "DllRegisterServer"), S_OK);
  ExpectClassesRegistered();
}

}  // namespace
