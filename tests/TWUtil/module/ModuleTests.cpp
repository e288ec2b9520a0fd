// Class factories, object lifetime, aggregation and the shared interfaces.

#include <gtest/gtest.h>
#include <thread>

#include "TWUtil.h"
#include "com/ObjectSafety.h"
#include "support/TestSupport.h"

using twutil::ComPtr;

namespace {

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadFn = HRESULT(WINAPI*)();

template <class Fn>
Fn Export(const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(twtest::RegisteredLibrary(), name)));
}

const CLSID* const kAllClasses[] = {&CLSID_SearchReplace, &CLSID_Guid,      &CLSID_Registry,
                                    &CLSID_File,          &CLSID_TWResXfer, &CLSID_ServerInfo,
                                    &CLSID_PropertyHeader, &CLSID_Encryptor, &CLSID_SignCode,
                                    &CLSID_StampVersion};

TEST(ClassFactory, IsCachedAndSharedAcrossThreads) {
  auto get = Export<GetClassObjectFn>("DllGetClassObject");
  ComPtr<IClassFactory> first, second;
  ASSERT_EQ(get(CLSID_Guid, IID_IClassFactory, first.PutVoid()), S_OK);
  ASSERT_EQ(get(CLSID_Guid, IID_IClassFactory, second.PutVoid()), S_OK);
  EXPECT_EQ(first.Get(), second.Get());

  // A class asked for the first time by two threads at once yields one factory.
  IClassFactory* fromThreads[2] = {};
  std::thread a([&] { get(CLSID_StampVersion, IID_IClassFactory, (void**)&fromThreads[0]); });
  std::thread b([&] { get(CLSID_StampVersion, IID_IClassFactory, (void**)&fromThreads[1]); });
  a.join();
  b.join();
  ASSERT_NE(fromThreads[0], nullptr);
  EXPECT_EQ(fromThreads[0], fromThreads[1]);
  fromThreads[0]->Release();
  fromThreads[1]->Release();
}

TEST(ClassFactory, RejectsUnknownClassesAndNullOut) {
  auto get = Export<GetClassObjectFn>("DllGetClassObject");
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(get(IID_IUnknown, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(get(CLSID_Guid, IID_IClassFactory, nullptr), E_POINTER);
  EXPECT_EQ(get(CLSID_Guid, IID_IDispatch, &out), E_NOINTERFACE);
}

TEST(Module, CanUnloadOnlyWhenNoObjectOrLockIsLeft) {
  auto canUnload = Export<CanUnloadFn>("DllCanUnloadNow");
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
    if (iid == IID_IUnknown) {
      *out = this;
      AddRef();
      return S_OK;
    }
    return inner->QueryInterface(iid, out);
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
    ASSERT_EQ(CoCreateInstance(*clsid, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               outer.inner.PutVoid()),
              S_OK);
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(outer.inner->QueryInterface(IID_IDispatch, dispatch.PutVoid()), S_OK);
    ULONG before = outer.refs;
    ComPtr<IUnknown> identity;
    int queries = outer.queries;
    ASSERT_EQ(dispatch->QueryInterface(IID_IUnknown, identity.PutVoid()), S_OK);
    EXPECT_EQ(identity.Get(), &outer);  // the interface's identity is the outer object
    EXPECT_EQ(outer.queries, queries + 1);
    identity.Reset();
    dispatch.Reset();
    EXPECT_EQ(outer.refs, before - 1);
    outer.inner.Reset();
  }
  EXPECT_EQ(outer.refs, 1u);
}

TEST(ObjectSafety, SupportsBothOptionsForOfferedInterfaces) {
  const CLSID* scriptable[] = {&CLSID_SearchReplace, &CLSID_Guid,       &CLSID_Registry,
                               &CLSID_File,          &CLSID_TWResXfer,  &CLSID_ServerInfo,
                               &CLSID_PropertyHeader};
  for (const CLSID* clsid : scriptable) {
    ComPtr<IObjectSafety> safety;
    ASSERT_EQ(twtest::Create(*clsid, &safety), S_OK);
    DWORD supported = 99, enabled = 99;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, 3u);
    EXPECT_EQ(enabled, 0u);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IClassFactory, &supported, &enabled),
              E_NOINTERFACE);
    EXPECT_EQ(supported, 0u);
    EXPECT_EQ(enabled, 0u);
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
  struct Case {
    const CLSID* clsid;
    const IID* own;
  } cases[] = {{&CLSID_Encryptor, &IID_IEncryptor},
               {&CLSID_SignCode, &IID_ISignCode},
               {&CLSID_StampVersion, &IID_IStampVersion}};
  for (const Case& c : cases) {
    ComPtr<ISupportErrorInfo> info;
    ASSERT_EQ(twtest::Create(*c.clsid, &info), S_OK);
    EXPECT_EQ(info->InterfaceSupportsErrorInfo(*c.own), S_OK);
    EXPECT_EQ(info->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
    ComPtr<IObjectSafety> safety;
    EXPECT_EQ(info.As(&safety), E_NOINTERFACE);
  }
}

TEST(Dispatch, ServedFromTheRegisteredTypeLibrary) {
  ComPtr<IDispatch> registry;
  ASSERT_EQ(twtest::Create(CLSID_Registry, &registry), S_OK);
  UINT count = 0;
  EXPECT_EQ(registry->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  wchar_t name[] = L"RegDeleteValue";
  LPOLESTR names[] = {name};
  DISPID id = 0;
  ASSERT_EQ(registry->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id), S_OK);
  EXPECT_EQ(id, 4);

  // ServerInfo's IDispatch is its inert IRegistry: a call reaches it and
  // answers E_NOTIMPL through the dispatch layer.
  ComPtr<IDispatch> serverInfo;
  ASSERT_EQ(twtest::Create(CLSID_ServerInfo, &serverInfo), S_OK);
  ASSERT_EQ(serverInfo->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id), S_OK);
  VARIANT args[3];
  VariantInit(&args[0]);
  VariantInit(&args[1]);
  VariantInit(&args[2]);
  V_VT(&args[2]) = VT_I4;  // hROOT
  V_I4(&args[2]) = 0;
  V_VT(&args[1]) = VT_BSTR;
  V_BSTR(&args[1]) = nullptr;
  V_VT(&args[0]) = VT_BSTR;
  V_BSTR(&args[0]) = nullptr;
  DISPPARAMS params = {args, nullptr, 3, 0};
  twutil::Variant result;
  EXCEPINFO excep = {};
  HRESULT hr = serverInfo->Invoke(id, IID_NULL, 0x409, DISPATCH_METHOD, &params, result.Put(),
                                  &excep, nullptr);
  EXPECT_TRUE(hr == E_NOTIMPL || (hr == DISP_E_EXCEPTION && excep.scode == E_NOTIMPL))
      << std::hex << hr;
  SysFreeString(excep.bstrSource);
  SysFreeString(excep.bstrDescription);
  SysFreeString(excep.bstrHelpFile);
}

}  // namespace
