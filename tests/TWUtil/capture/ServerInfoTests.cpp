// ServerInfo's choice between the two capture paths, the spy path's progress
// and texts, the harvest at the end of each file the spy reports, and its
// small methods. The live path has a suite of its own.
#include <gtest/gtest.h>
#include <ocidl.h>
#include <olectl.h>

#include "Errors.h"
#include "Listings.h"
#include "TWRegSpy.h"
#include "model/Component.h"
#include "support/TestDoubles.h"
#include "support/TestSupport.h"

namespace {

using twtest::Answer;
using twtest::EarlyBoundOnly;
using twutil::Bstr;
using twutil::ComPtr;

// The spy component as ServerInfo sees it: takes files, then reports each one
// started and finished to the callback. Its own class factory, registered
// for the spy's CLSID in this process while alive; this process's class
// object comes before the registry, so a refusing one means no spy at all.
// It also takes the caller's progress and status texts.
class FakeSpy : public EarlyBoundOnly<ITWRegSpy>,
                public IClassFactory,
                public IServerInfoStatusEvent {
 public:
  FakeSpy() {
    EXPECT_EQ(CoRegisterClassObject(CLSID_TWRegSpy, static_cast<IClassFactory*>(this),
                                    CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_),
              S_OK);
  }
  virtual ~FakeSpy() { CoRevokeClassObject(cookie_); }
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IClassFactory) return Answer<IClassFactory, IClassFactory>(this, iid, out);
    if (iid == IID_IServerInfoProgressEvent || iid == IID_IServerInfoStatusEvent)
      return Answer<IServerInfoStatusEvent, IServerInfoProgressEvent, IServerInfoStatusEvent>(
          this, iid, out);
    return Answer<ITWRegSpy, IDispatch, ITWRegSpy>(this, iid, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown*, REFIID iid, void** out) override {
    *out = nullptr;
    return refuses ? E_OUTOFMEMORY : QueryInterface(iid, out);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
  STDMETHODIMP get_TimeoutSeconds(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP put_TimeoutSeconds(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP get_FileCount(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP ClearFiles() override { return E_NOTIMPL; }
  STDMETHODIMP get_LastReport(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP AddFile(BSTR file, LONG, LONG) override {
    added.push_back(file ? file : L"");
    return S_OK;
  }
  STDMETHODIMP RunCapture(BSTR, IUnknown* callback) override {
    ComPtr<IRegSpyCallback> sink;
    if (!callback || FAILED(callback->QueryInterface(IID_IRegSpyCallback, sink.PutVoid())))
      return E_NOINTERFACE;
    for (const std::wstring& file : added) {
      Bstr path(file.c_str());
      VARIANT_BOOL first = 0, second = 0, done = 0;
      sink->OnFileStart(path.Get(), &first, &second);
      finishResults.push_back(sink->OnFileFinished(path.Get(), 0, &done));
      if (FAILED(finishResults.back())) return finishResults.back();  // the caller wants it over
    }
    return S_OK;
  }

  STDMETHODIMP SetProgressBarStatus(LONG value) override {
    progress.push_back(value);
    return S_OK;
  }
  STDMETHODIMP SetStatusText(BSTR text) override {
    texts.push_back(text ? text : L"<null>");
    return S_OK;
  }

  bool refuses = false;
  std::vector<std::wstring> added;
  std::vector<HRESULT> finishResults;
  std::vector<LONG> progress;
  std::vector<std::wstring> texts;

 private:
  DWORD cookie_ = 0;
};

// A VB collection of components, answering Item by 1-based position.
class ComponentCollection : public EarlyBoundOnly<_Collection> {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    return Answer<_Collection, IDispatch, _Collection>(this, iid, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP Item(VARIANT* index, VARIANT* result) override {
    LONG at = V_I4(index);
    asked.push_back(at);
    VariantInit(result);
    if (at < 1 || static_cast<size_t>(at) > items.size()) return E_INVALIDARG;
    if (at == textAt) {
      V_VT(result) = VT_BSTR;
      V_BSTR(result) = SysAllocString(L"not a component");
      return S_OK;
    }
    V_VT(result) = VT_DISPATCH;
    V_DISPATCH(result) = items[static_cast<size_t>(at - 1)].Get();
    V_DISPATCH(result)->AddRef();
    return S_OK;
  }
  STDMETHODIMP Add(VARIANT*, VARIANT*, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP Count(LONG* count) override {
    *count = static_cast<LONG>(items.size());
    return countResult;
  }
  STDMETHODIMP Remove(VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP _NewEnum(IUnknown**) override { return E_NOTIMPL; }

  std::vector<ComPtr<IExtractComponent>> items;
  LONG textAt = 0;  // the position that answers a text instead of an object
  HRESULT countResult = S_OK;
  std::vector<LONG> asked;
};

const wchar_t kFoundry[] = L"Software\\Tarnwick\\Foundry\\7.0";

LONG SetText(const std::wstring& key, const wchar_t* name, const wchar_t* text) {
  return RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, text,
                         DWORD((wcslen(text) + 1) * sizeof(wchar_t)));
}

class ServerInfoTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(twtest::Create(CLSID_ServerInfo, &info_), S_OK);
    ASSERT_EQ(twtest::Create(CLSID_Registry, &registry_), S_OK);
    RegDeleteKeyW(HKEY_CURRENT_USER, kFoundry);
  }
  void TearDown() override { RegDeleteKeyW(HKEY_CURRENT_USER, kFoundry); }

  // Components whose key files are the given paths.
  static std::vector<ComPtr<IExtractComponent>> Components(std::vector<const wchar_t*> files) {
    std::vector<ComPtr<IExtractComponent>> result;
    for (const wchar_t* file : files) result.push_back(twtest::NewComponent(file, L"C:\\dest"));
    return result;
  }

  HRESULT Capture(std::vector<ComPtr<IExtractComponent>>& components,
                  IServerInfoProgressEvent* progress, LONG* result) {
    std::vector<IDispatch*> raw;
    for (auto& c : components) raw.push_back(c.Get());
    return info_->SetServer(static_cast<LONG>(raw.size()), raw.empty() ? nullptr : raw.data(),
                            registry_.Get(), 0, 0, 0, progress, result);
  }

  // Before info_: ServerInfo holds its progress sink, the fake spy too,
  // until the next capture or its end.
  FakeSpy spy_;
  ComPtr<IServerInfo> info_;
  ComPtr<IRegistry> registry_;
};

// Only a first character of y or Y, in at most 64 bytes, asks for the live
// path; otherwise the spy is needed, and none can be made here.
TEST_F(ServerInfoTest, TheSettingChoosesThePath) {
  spy_.refuses = true;
  const std::wstring tooLong(40, L'Y');  // 82 bytes with its terminator
  const struct {
    const wchar_t* setting;  // null: absent
    bool live;
  } cases[] = {{L"yes please", true}, {L"Yonder", true},        {L"1yes", false},
               {L"N", false},         {tooLong.c_str(), false}, {nullptr, false}};
  auto none = Components({});
  for (const auto& c : cases) {
    RegDeleteKeyW(HKEY_CURRENT_USER, kFoundry);
    if (c.setting) {
      ASSERT_EQ(SetText(kFoundry, L"UseOldComExtraction", c.setting), ERROR_SUCCESS);
    }
    spy_.progress.clear();
    LONG result = 77;
    EXPECT_EQ(Capture(none, &spy_, &result), c.live ? S_OK : E_FAIL) << c.setting;
    if (c.live) continue;
    EXPECT_EQ(result, -1);
    EXPECT_EQ(spy_.progress, std::vector<LONG>{0});
    EXPECT_EQ(twtest::ThreadError(),
              L"TWHbrTarnwick.ServerInfo.1|Failed to create TWRegSpy instance");
  }
}

// An events sink that counts what reaches it.
class EventSink : public EarlyBoundOnly<IDispatch> {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    return Answer<IDispatch, IDispatch, ServerInfoEvents>(this, iid, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    ++events;
    return S_OK;
  }
  ULONG refs = 1;
  int events = 0;
};

// An events sink attaches to the spy path but hears nothing.
TEST_F(ServerInfoTest, SpyPathReportsEachFileAndLeavesResultAlone) {
  ComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(info_.As(&container), S_OK);
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(container->FindConnectionPoint(DIID_ServerInfoEvents, point.Put()), S_OK);
  EventSink sink;
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
  const std::vector<const wchar_t*> files = {L"C:\\x\\a.dll", L"C:\\x\\b.dll", L"C:\\x\\c.ocx"};
  auto components = Components(files);
  LONG result = 77;
  ASSERT_EQ(Capture(components, &spy_, &result), S_OK);
  EXPECT_EQ(result, 77);
  EXPECT_EQ(spy_.progress, (std::vector<LONG>{0, 10, 40, 70, 100}));
  EXPECT_EQ(spy_.added, std::vector<std::wstring>(files.begin(), files.end()));
  std::vector<std::wstring> texts;
  for (const wchar_t* f : files) {
    texts.push_back(std::wstring(L"Starting to extract COM data from file ") + f);
    texts.push_back(std::wstring(L"Finished extracting COM data from file ") + f);
  }
  EXPECT_EQ(spy_.texts, texts);

  // A key file given twice reaches the spy twice.
  spy_.added.clear();
  spy_.finishResults.clear();
  auto twice = Components({L"C:\\x\\same.dll", L"C:\\x\\same.dll"});
  ASSERT_EQ(Capture(twice, nullptr, nullptr), S_OK);
  EXPECT_EQ(spy_.added, (std::vector<std::wstring>(2, L"C:\\x\\same.dll")));
  EXPECT_EQ(spy_.finishResults, std::vector<HRESULT>(2, S_OK));
  EXPECT_EQ(sink.events, 0);
  EXPECT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(sink.refs, 1u);
}

TEST_F(ServerInfoTest, VisualBasicEntryWalksTheCollectionInOrder) {
  ComponentCollection collection;
  for (auto& c : Components({L"C:\\a.dll", L"C:\\b.dll", L"C:\\c.dll"}))
    collection.items.push_back(c);
  LONG result = 77;
  ASSERT_EQ(info_->SetServerVB(&collection, registry_.Get(), 0, 0, 0, nullptr, &result), S_OK);
  EXPECT_EQ(collection.asked, (std::vector<LONG>{1, 2, 3}));
  EXPECT_EQ(spy_.added, (std::vector<std::wstring>{L"C:\\a.dll", L"C:\\b.dll", L"C:\\c.dll"}));

  // An item that is no object is refused, not read as one; a collection
  // that cannot count fails the call before anything runs.
  spy_.added.clear();
  collection.textAt = 2;
  EXPECT_EQ(info_->SetServerVB(&collection, registry_.Get(), 0, 0, 0, nullptr, &result), E_POINTER);
  collection.countResult = E_ACCESSDENIED;
  spy_.added.clear();
  EXPECT_EQ(info_->SetServerVB(&collection, registry_.Get(), 0, 0, 0, nullptr, &result),
            E_ACCESSDENIED);
  EXPECT_TRUE(spy_.added.empty());
}

TEST_F(ServerInfoTest, MappingMethodsAndItsOwnRegistryDoNothing) {
  LONG result = 77, type = 77;
  VARIANT_BOOL mapping = VARIANT_TRUE;
  EXPECT_EQ(info_->RemapRegistry(&result), S_OK);
  EXPECT_EQ(info_->UnmapRegistry(&result), S_OK);
  EXPECT_EQ(info_->CleanupRegistry(&result), S_OK);
  EXPECT_EQ(info_->AllowMapping(&mapping), S_OK);
  EXPECT_EQ(info_->IsMappingAvailable(&mapping), S_OK);
  EXPECT_EQ(mapping, VARIANT_FALSE);

  ComPtr<IRegistry> inert;
  ASSERT_EQ(info_.As(&inert), S_OK);
  VARIANT value = {};  // VT_EMPTY
  EXPECT_EQ(inert->RegReadValue(HKCU, nullptr, nullptr, regSTRING, nullptr, &result), E_POINTER);
  EXPECT_EQ(inert->RegReadValue(HKCU, nullptr, nullptr, regSTRING, &value, &result), E_NOTIMPL);
  EXPECT_EQ(inert->RegReadType(HKCU, nullptr, nullptr, &type, &result), E_NOTIMPL);
  EXPECT_EQ(inert->RegDeleteValue(HKCU, nullptr, nullptr, nullptr), E_POINTER);
  EXPECT_EQ(inert->RegSetExtractComponent(nullptr, HKCU, nullptr, nullptr, 0, &result), E_NOTIMPL);
  EXPECT_EQ(result, 77);
  EXPECT_EQ(type, 77);
  EXPECT_EQ(V_VT(&value), VT_EMPTY);
}

// A component whose AppID collection fails, leaving an error object.
class FailingAppIDs : public twutil::model::Component {
 public:
  explicit FailingAppIDs(const wchar_t* keyFile) : Component(nullptr) { SetKeyFile(keyFile); }
  STDMETHODIMP get_AppInfoCollection(IExtractAppIDCol** out) override {
    *out = nullptr;
    return twutil::SetComErrorInfo(CLSID_NULL, L"AppIDs are read-only here", 0, nullptr, IID_NULL,
                                   E_ACCESSDENIED);
  }
};

// A model failure in the harvest ends the whole capture with its message.
TEST_F(ServerInfoTest, AHarvestFailureEndsTheCaptureWithItsMessage) {
  // What the fake spy's first file leaves: a class of the file with an AppID.
  const std::wstring area = L"Software\\Tarnwick\\RegSpyProxy\\";
  RegDeleteTreeW(HKEY_CURRENT_USER, area.c_str());
  for (const wchar_t* mirror : {L"HKEY_CURRENT_USER", L"HKEY_LOCAL_MACHINE", L"HKEY_USERS"}) {
    twutil::RegKey key;
    RegCreateKeyExW(HKEY_CURRENT_USER, (area + mirror).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, key.Put(), nullptr);
  }
  const std::wstring clsid = area + L"HKEY_CLASSES_ROOT\\CLSID\\{C1}";
  ASSERT_EQ(SetText(clsid, L"AppID", L"{A}"), ERROR_SUCCESS);
  ASSERT_EQ(SetText(clsid + L"\\InprocServer32", nullptr, L"C:\\srv\\a.dll"), ERROR_SUCCESS);
  ComPtr<IExtractComponent> failing(new FailingAppIDs(L"C:\\srv\\a.dll"));
  auto components = Components({L"C:\\srv\\b.dll"});
  components.insert(components.begin(), failing);
  LONG result = 77;
  EXPECT_EQ(Capture(components, &spy_, &result), E_FAIL);
  EXPECT_EQ(result, -1);
  const std::wstring error = twtest::ThreadError();
  EXPECT_EQ(error.substr(error.find(L'|') + 1), L"AppIDs are read-only here") << error;
  // The spy heard that the capture is over: the second file never finished.
  EXPECT_EQ(spy_.finishResults.size(), 1u);
  EXPECT_EQ(spy_.progress, (std::vector<LONG>{0, 10}));
  EXPECT_EQ(twtest::ModelLines(components[1].Get()), twtest::Lines{});
  RegDeleteTreeW(HKEY_CURRENT_USER, area.c_str());
}

}  // namespace
