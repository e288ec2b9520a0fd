// Class factories, unloading, aggregation and the shared interfaces.
#include <gtest/gtest.h>

#include "TWUtil.h"
#include "com/ObjectSafety.h"
#include "support/TestSupport.h"

using twutil::ComPtr;

namespace {

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

template <class Fn>
Fn Export(const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(twtest::RegisteredLibrary(), name)));
}

const CLSID* const kAllClasses[] = {&CLSID_SearchReplace,  &CLSID_Guid,      &CLSID_Registry,
                                    &CLSID_File,           &CLSID_TWResXfer, &CLSID_ServerInfo,
                                    &CLSID_PropertyHeader, &CLSID_Encryptor, &CLSID_SignCode,
                                    &CLSID_StampVersion};

TEST(Module, FactoriesAreCachedAndTheLibraryUnloadsOnlyWhenNothingIsLeft) {
  auto get = Export<GetClassObjectFn>("DllGetClassObject");
  auto canUnload = Export<HRESULT(WINAPI*)()>("DllCanUnloadNow");
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
  for (const CLSID* clsid : kAllClasses) {
    ComPtr<IUnknown> object;
    ASSERT_EQ(twtest::Create(*clsid, &object), S_OK);
    EXPECT_EQ(canUnload(), S_FALSE);
    object.Reset();
    EXPECT_EQ(canUnload(), S_OK);
  }
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

TEST(Module, AggregatedObjectsDelegateToTheirOuterAndErrorInfoIsTheClasssOwn) {
  twtest::RegisteredLibrary();
  Outer outer;
  for (const CLSID* clsid : kAllClasses) {
    ASSERT_EQ(
        CoCreateInstance(*clsid, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown, outer.inner.PutVoid()),
        S_OK);
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(outer.inner->QueryInterface(IID_IDispatch, dispatch.PutVoid()), S_OK);
    ComPtr<IUnknown> identity;
    ASSERT_EQ(dispatch->QueryInterface(IID_IUnknown, identity.PutVoid()), S_OK);
    EXPECT_EQ(identity.Get(), &outer);  // the interface's identity is the outer object
    identity.Reset();
    dispatch.Reset();
    outer.inner.Reset();
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

}  // namespace
