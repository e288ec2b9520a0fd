// Class factories, object lifetime, aggregation and the shared interfaces.
#include <gtest/gtest.h>

#include <thread>

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

TEST(ClassFactory, IsCachedAndSharedAcrossThreadsAndRefusesWhatItCannotMake) {
  auto get = Export<GetClassObjectFn>("DllGetClassObject");
  ComPtr<IClassFactory> first, second;
  ASSERT_EQ(get(CLSID_Guid, IID_IClassFactory, first.PutVoid()), S_OK);
  ASSERT_EQ(get(CLSID_Guid, IID_IClassFactory, second.PutVoid()), S_OK);
  EXPECT_EQ(first.Get(), second.Get());
  // A class asked for the first time by two threads at once yields one factory.
  ComPtr<IClassFactory> fromThreads[2];
  std::thread a([&] { get(CLSID_StampVersion, IID_IClassFactory, fromThreads[0].PutVoid()); });
  std::thread b([&] { get(CLSID_StampVersion, IID_IClassFactory, fromThreads[1].PutVoid()); });
  a.join();
  b.join();
  ASSERT_NE(fromThreads[0].Get(), nullptr);
  EXPECT_EQ(fromThreads[0].Get(), fromThreads[1].Get());

  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(get(IID_IUnknown, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(get(CLSID_Guid, IID_IClassFactory, nullptr), E_POINTER);
  EXPECT_EQ(get(CLSID_Guid, IID_IDispatch, &out), E_NOINTERFACE);
}

TEST(Module, CanUnloadOnlyWhenNoObjectOrLockIsLeft) {
  auto canUnload = Export<HRESULT(WINAPI*)()>("DllCanUnloadNow");
  auto get = Export<GetClassObjectFn>("DllGetClassObject");
  ASSERT_EQ(canUnload(), S_OK);
  for (const CLSID* clsid : kAllClasses) {
    ComPtr<IUnknown> object;
    ASSERT_EQ(twtest::Create(*clsid, &object), S_OK);
    EXPECT_EQ(canUnload(), S_FALSE);
    object.Reset();
    EXPECT_EQ(canUnload(), S_OK);
  }
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(get(CLSID_File, IID_IClassFactory, factory.PutVoid()), S_OK);
  EXPECT_EQ(canUnload(), S_FALSE);  // a held factory keeps the library
  factory->LockServer(TRUE);
  factory.Reset();
  EXPECT_EQ(canUnload(), S_FALSE);
  ASSERT_EQ(get(CLSID_File, IID_IClassFactory, factory.PutVoid()), S_OK);
  factory->LockServer(FALSE);
  factory.Reset();
  EXPECT_EQ(canUnload(), S_OK);
}

// A minimal controlling object that aggregates a library class.
class Outer : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    ++queries;
    if (iid != IID_IUnknown) return inner->QueryInterface(iid, out);
    *out = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  ComPtr<IUnknown> inner;
  ULONG refs = 1;
  int queries = 0;
};

TEST(Aggregation, InnerObjectDelegatesToItsOuter) {
  twtest::RegisteredLibrary();
  Outer outer;
  IUnknown* notUnknown = nullptr;
  EXPECT_EQ(CoCreateInstance(CLSID_Registry, &outer, CLSCTX_INPROC_SERVER, IID_IRegistry,
                             reinterpret_cast<void**>(&notUnknown)),
            CLASS_E_NOAGGREGATION);
  for (const CLSID* clsid : kAllClasses) {
    ASSERT_EQ(
        CoCreateInstance(*clsid, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown, outer.inner.PutVoid()),
        S_OK);
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(outer.inner->QueryInterface(IID_IDispatch, dispatch.PutVoid()), S_OK);
    ULONG refs = outer.refs;
    int queries = outer.queries;
    ComPtr<IUnknown> identity;
    ASSERT_EQ(dispatch->QueryInterface(IID_IUnknown, identity.PutVoid()), S_OK);
    EXPECT_EQ(identity.Get(), &outer);  // the interface's identity is the outer object
    EXPECT_EQ(outer.queries, queries + 1);
    identity.Reset();
    dispatch.Reset();
    EXPECT_EQ(outer.refs, refs - 1);
    outer.inner.Reset();
  }
  EXPECT_EQ(outer.refs, 1u);
}

TEST(ObjectSafety, SupportsBothOptionsForOfferedInterfaces) {
  for (const CLSID* clsid : {&CLSID_SearchReplace, &CLSID_Guid, &CLSID_Registry, &CLSID_File,
                             &CLSID_TWResXfer, &CLSID_ServerInfo, &CLSID_PropertyHeader}) {
    ComPtr<IObjectSafety> safety;
    ASSERT_EQ(twtest::Create(*clsid, &safety), S_OK);
    DWORD supported = 99, enabled = 99;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, 3u);
    EXPECT_EQ(enabled, 0u);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IClassFactory, &supported, &enabled),
              E_NOINTERFACE);
    EXPECT_EQ(supported | enabled, 0u);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled), E_POINTER);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 4, 4), E_FAIL);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IClassFactory, 1, 1), E_NOINTERFACE);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 3, 3), S_OK);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 1, 0), S_OK);  // clears bit 1 only
    safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled);
    EXPECT_EQ(enabled, 2u);
  }
}

TEST(SupportErrorInfo, AnswersForTheClassInterfaceOnly) {
  for (const auto& [clsid, own] : {std::make_pair(&CLSID_Encryptor, &IID_IEncryptor),
                                   std::make_pair(&CLSID_SignCode, &IID_ISignCode),
                                   std::make_pair(&CLSID_StampVersion, &IID_IStampVersion)}) {
    ComPtr<ISupportErrorInfo> info;
    ASSERT_EQ(twtest::Create(*clsid, &info), S_OK);
    EXPECT_EQ(info->InterfaceSupportsErrorInfo(*own), S_OK);
    EXPECT_EQ(info->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
    ComPtr<IObjectSafety> safety;
    EXPECT_EQ(info.As(&safety), E_NOINTERFACE);
  }
}

}  // namespace
