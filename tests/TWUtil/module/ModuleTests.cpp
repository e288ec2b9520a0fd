// The library as a COM server: self-registration and the .tlb fallback, the
// built type library, class factories, unloading, aggregation, the shared
// interfaces and the error helpers.
#include <gtest/gtest.h>

#include <string>

#include "Errors.h"
#include "TWUtil.h"
#include "com/ObjectSafety.h"
#include "com/TypeLibPlatform.h"
#include "support/TestSupport.h"

namespace {

using twtest::KeyExists;
using twutil::Bstr;
using twutil::ComPtr;

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
  wchar_t data[1024];
  DWORD size = sizeof(data) - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size))
    return L"<missing>";
  return data;
}

const std::wstring kTypeLib = KeyOf(L"TypeLib\\", LIBID_TWUtilityLib) + L"\\1.0";

template <class Fn = HRESULT(WINAPI*)()>
Fn Export(const char* name, HMODULE module = twtest::RegisteredLibrary()) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Every class key as registration leaves it, or none of them.
void ExpectClasses(bool registered = true) {
  EXPECT_EQ(KeyExists(HKEY_CLASSES_ROOT, kTypeLib), registered);
  for (const auto& [clsid, progId] : kClasses) {
    const std::wstring versioned = progId, independent = versioned.substr(0, versioned.size() - 2);
    const std::wstring key = KeyOf(L"CLSID\\", *clsid), guid = key.substr(6);
    for (const std::wstring& path : {versioned, independent, key})
      EXPECT_EQ(KeyExists(HKEY_CLASSES_ROOT, path), registered) << path;
    if (!registered) continue;
    for (const std::wstring& progIdKey : {versioned, independent}) {
      EXPECT_EQ(Read(progIdKey), L"TWUtil.Dll") << progIdKey;
      EXPECT_EQ(Read(progIdKey + L"\\CLSID"), guid) << progIdKey;
    }
    EXPECT_EQ(Read(key), L"TWUtil.Dll") << key;
    EXPECT_EQ(Read(key + L"\\ProgID"), versioned) << key;
    EXPECT_EQ(Read(key + L"\\VersionIndependentProgID"), independent) << key;
    EXPECT_EQ(Lower(Read(key + L"\\InprocServer32")), Lower(twtest::LibraryPath())) << key;
    EXPECT_EQ(Read(key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment") << key;
    for (const wchar_t* absent : {L"\\TypeLib", L"\\Version", L"\\Programmable", L"\\Control"})
      EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key + absent)) << key << absent;
  }
}

// Runs first in the suite's process, before any test registers in-process.
TEST(Registration, Regsvr32WroteEveryClassAndTheTypeLibrary) {
  ExpectClasses();
  const std::wstring dir = twtest::BinDir();
  EXPECT_EQ(Read(kTypeLib), L"Tarnwick Harbor Utility Library 1.0");
  EXPECT_EQ(Lower(Read(kTypeLib + L"\\409\\" + twutil::kTypeLibPlatform)),
            Lower(twtest::LibraryPath()));
  EXPECT_EQ(Lower(Read(kTypeLib + L"\\HELPDIR")), Lower(dir.substr(0, dir.size() - 1)));
}

TEST(Registration, UnregistrationRemovesEverythingAndNeverFails) {
  HMODULE module = twtest::RegisteredLibrary();
  ASSERT_EQ(Export("DllUnregisterServer", module)(), S_OK);
  ExpectClasses(false);
  EXPECT_EQ(Export("DllUnregisterServer", module)(), S_OK);  // nothing left to remove
  ASSERT_EQ(Export("DllRegisterServer", module)(), S_OK);
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
  EXPECT_TRUE(FAILED(Export("DllRegisterServer", module)()));
  ASSERT_TRUE(CopyFileW((twtest::BinDir() + L"testdata\\TWUtil.tlb").c_str(),
                        (dir.Path() + L"Copy.tlb").c_str(), FALSE));
  EXPECT_EQ(Export("DllRegisterServer", module)(), S_OK);
  EXPECT_EQ(Lower(Read(kTypeLib + L"\\409\\" + twutil::kTypeLibPlatform)),
            Lower(dir.Path() + L"Copy.tlb"));
  FreeLibrary(module);
  // Leave the prefix as the suite found it.
  ASSERT_EQ(Export("DllRegisterServer")(), S_OK);
  ExpectClasses();
}

// "name:dispid" of each function of the interface's vtable half, in table order.
std::wstring Members(ITypeLib* library, const GUID& guid) {
  ComPtr<ITypeInfo> info, half;
  HREFTYPE ref = 0;
  if (FAILED(library->GetTypeInfoOfGuid(guid, info.Put()))) return L"<none>";
  if (SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) &&
      SUCCEEDED(info->GetRefTypeInfo(ref, half.Put())))
    info = half;
  std::wstring members;
  FUNCDESC* func = nullptr;
  for (UINT i = 0; SUCCEEDED(info->GetFuncDesc(i, &func)); ++i) {
    Bstr name;
    info->GetDocumentation(func->memid, name.Put(), nullptr, nullptr, nullptr);
    wchar_t member[80];
    swprintf(member, 80, L" %ls:%lx", name.Text(), static_cast<unsigned long>(func->memid));
    members += member;
    info->ReleaseFuncDesc(func);
  }
  return members.erase(0, 1);
}

TEST(TypeLibrary, InterfacesKeepTheMemberOrderAndIdsCallersBindTo) {
  ComPtr<ITypeLib> library;
  ASSERT_EQ(LoadTypeLibEx(twtest::LibraryPath().c_str(), REGKIND_NONE, library.Put()), S_OK);
  EXPECT_EQ(Members(library.Get(), IID_IRegistry),
            L"RegAddValue:1 RegReadValue:2 RegQueryKey:3 RegDeleteValue:4 "
            L"RegSoftDeleteRegValue:5 RegSetExtractComponent:6 RegReadType:7");
  EXPECT_EQ(Members(library.Get(), IID_IExtractComponent),
            L"KeyFile:1 Destination:2 TypeLibCollection:3 ComClassCollection:4 "
            L"AppInfoCollection:5 ProgIDCollection:6 ExtensionCol:7 MIMECol:8 "
            L"AddMiscRegistryInfo:9");
  EXPECT_EQ(Members(library.Get(), IID_IExtractProgIDCol), L"Add:60030003 Item:0 Count:68030001");
  // Internal interfaces stay out of the library.
  EXPECT_EQ(Members(library.Get(), IID_IRegSpyCallback), L"<none>");
}

TEST(Module, FactoriesAreCachedAndHeldFactoriesKeepTheLibrary) {
  auto get = Export<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
  auto canUnload = Export("DllCanUnloadNow");
  ASSERT_EQ(canUnload(), S_OK);
  ComPtr<IClassFactory> first, second;
  ASSERT_EQ(get(CLSID_Guid, IID_IClassFactory, first.PutVoid()), S_OK);
  ASSERT_EQ(get(CLSID_Guid, IID_IClassFactory, second.PutVoid()), S_OK);
  EXPECT_EQ(first.Get(), second.Get());
  EXPECT_EQ(canUnload(), S_FALSE);  // a held factory keeps the library
  first->LockServer(TRUE);
  first.Reset();
  second.Reset();
  EXPECT_EQ(canUnload(), S_FALSE);
  ASSERT_EQ(get(CLSID_Guid, IID_IClassFactory, first.PutVoid()), S_OK);
  first->LockServer(FALSE);
  first.Reset();
  EXPECT_EQ(canUnload(), S_OK);
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(get(IID_IUnknown, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
}

// A minimal controlling object that aggregates a library class.
class Outer : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid != IID_IUnknown) return inner->QueryInterface(iid, out);
    *out = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  ComPtr<IUnknown> inner;
  ULONG refs = 1;
};

TEST(Module, ObjectsKeepTheLibraryAggregateAndOwnTheirErrorInfo) {
  twtest::RegisteredLibrary();
  Outer outer;
  for (const auto& [clsid, progId] : kClasses) {
    ASSERT_EQ(
        CoCreateInstance(*clsid, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown, outer.inner.PutVoid()),
        S_OK);
    EXPECT_EQ(Export("DllCanUnloadNow")(), S_FALSE);  // a live object keeps the library
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(outer.inner->QueryInterface(IID_IDispatch, dispatch.PutVoid()), S_OK);
    ComPtr<IUnknown> identity;
    ASSERT_EQ(dispatch->QueryInterface(IID_IUnknown, identity.PutVoid()), S_OK);
    EXPECT_EQ(identity.Get(), &outer);  // the interface's identity is the outer object
    identity.Reset();
    dispatch.Reset();
    outer.inner.Reset();
    EXPECT_EQ(Export("DllCanUnloadNow")(), S_OK);
  }
  EXPECT_EQ(outer.refs, 1u);
  ComPtr<ISupportErrorInfo> info;
  ASSERT_EQ(twtest::Create(CLSID_SignCode, &info), S_OK);
  EXPECT_EQ(info->InterfaceSupportsErrorInfo(IID_ISignCode), S_OK);
  EXPECT_EQ(info->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
}

TEST(ObjectSafety, SupportsBothOptionsForOfferedInterfaces) {
  for (const CLSID* clsid : {&CLSID_SearchReplace, &CLSID_Guid, &CLSID_Registry, &CLSID_File,
                             &CLSID_TWResXfer, &CLSID_ServerInfo, &CLSID_PropertyHeader}) {
    ComPtr<IObjectSafety> safety;
    ASSERT_EQ(twtest::Create(*clsid, &safety), S_OK);
    DWORD supported = 99, enabled = 99;
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 4, 4), E_FAIL);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 3, 3), S_OK);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 1, 0), S_OK);  // clears bit 1 only
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, 3u);
    EXPECT_EQ(enabled, 2u);
  }
}

std::wstring CheckCallMessage(HRESULT hr) {
  try {
    twutil::CheckCall(hr);
  } catch (const twutil::CExcept& e) {
    return std::to_wstring(e.hr) + L" " + e.message.Text();
  }
  return L"no exception";
}

TEST(Errors, ErrorObjectsNameTheClassAndExceptionsTakeTheCalleesMessageThenTheirOwn) {
  twtest::RegisteredLibrary();
  EXPECT_EQ(twutil::SetComErrorInfo(CLSID_ServerInfo, L"it broke", 0, nullptr, IID_IServerInfo, 0),
            DISP_E_EXCEPTION);
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.Put()), S_OK);
  GUID guid;
  info->GetGUID(&guid);
  EXPECT_TRUE(IsEqualGUID(guid, IID_IServerInfo));
  SetErrorInfo(0, info.Get());
  EXPECT_EQ(twtest::ThreadError(), L"TWHbrTarnwick.ServerInfo.1|it broke");
  // A null message goes the string-table way and ends as "Unknown Error".
  EXPECT_EQ(twutil::SetComErrorInfo(CLSID_ServerInfo, 0u, 0, nullptr, IID_IServerInfo, E_FAIL),
            E_FAIL);
  EXPECT_EQ(twtest::ThreadError(), L"TWHbrTarnwick.ServerInfo.1|Unknown Error");

  EXPECT_EQ(CheckCallMessage(S_FALSE), L"no exception");
  SetErrorInfo(0, nullptr);
  EXPECT_EQ(CheckCallMessage(E_ACCESSDENIED),
            std::to_wstring(E_ACCESSDENIED) + L" Error calling contained control");
  SetErrorInfo(0, info.Get());
  EXPECT_EQ(CheckCallMessage(E_FAIL), std::to_wstring(E_FAIL) + L" it broke");
  SetErrorInfo(0, info.Get());
  EXPECT_STREQ(twutil::com_exception(E_NOINTERFACE).what(), "it broke");
  SetErrorInfo(0, nullptr);
  EXPECT_STRNE(twutil::com_exception(E_OUTOFMEMORY).what(), "");
  EXPECT_STREQ(twutil::com_exception(static_cast<HRESULT>(0xA0AB0123)).what(), "Unknown error");
}

}  // namespace
