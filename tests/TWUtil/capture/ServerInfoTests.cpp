// ServerInfo's choice between the two capture paths, its progress, results,
// error objects and small methods.
#include <gtest/gtest.h>
#include <ocidl.h>
#include <olectl.h>

#include <deque>

#include "CaptureTestDoubles.h"
#include "model/Component.h"
#include "support/TestSupport.h"

namespace {

using twtest::ProgressRecorder;
using twutil::Bstr;
using twutil::ComPtr;

const wchar_t kFoundry[] = L"Software\\Tarnwick\\Foundry\\7.0";
const std::vector<LONG> kLiveProgress = {0, 10, 20, 40, 50, 60, 70, 80, 90, 100};

class ServerInfoTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(twtest::Create(CLSID_ServerInfo, &info_), S_OK);
    ASSERT_EQ(twtest::Create(CLSID_Registry, &registry_), S_OK);
    RegDeleteKeyW(HKEY_CURRENT_USER, kFoundry);
  }
  void TearDown() override { RegDeleteKeyW(HKEY_CURRENT_USER, kFoundry); }

  static void SetSetting(DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_CURRENT_USER, kFoundry, L"UseOldComExtraction", type, data, size),
        ERROR_SUCCESS);
  }
  static void SetSetting(const std::wstring& text) {
    SetSetting(REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }

  // Components whose key files are the given paths.
  static std::vector<ComPtr<IExtractComponent>> Components(std::vector<const wchar_t*> files) {
    std::vector<ComPtr<IExtractComponent>> result;
    for (const wchar_t* file : files) {
      ComPtr<IExtractComponent> c;
      EXPECT_EQ(twutil::model::CreateExtractComponent(file, L"C:\\dest", c.Put()), S_OK);
      result.push_back(c);
    }
    return result;
  }

  HRESULT Capture(std::vector<ComPtr<IExtractComponent>>& components, VARIANT_BOOL repackager,
                  IServerInfoProgressEvent* progress, LONG* result, VARIANT_BOOL reg = 0) {
    std::vector<IDispatch*> raw;
    for (auto& c : components) raw.push_back(c.Get());
    return info_->SetServer(static_cast<LONG>(raw.size()), raw.empty() ? nullptr : raw.data(),
                            registry_.Get(), repackager, reg, reg, progress, result);
  }

  static void ExpectErrorObject(const wchar_t* description) {
    ComPtr<IErrorInfo> error;
    ASSERT_EQ(GetErrorInfo(0, error.Put()), S_OK);
    Bstr source, text;
    GUID guid;
    error->GetSource(source.Put());
    error->GetDescription(text.Put());
    error->GetGUID(&guid);
    EXPECT_STREQ(source.Text(), L"TWHbrTarnwick.ServerInfo.1");
    EXPECT_STREQ(text.Text(), description);
    EXPECT_TRUE(IsEqualGUID(guid, IID_IServerInfo));
  }

  // ServerInfo holds its progress sink until the next capture or its end, so
  // the recorders live as long as the fixture.
  ProgressRecorder& NewProgress(bool withStatus) {
    recorders_.emplace_back(withStatus);
    return recorders_.back();
  }

  std::deque<ProgressRecorder> recorders_;
  ComPtr<IServerInfo> info_;
  ComPtr<IRegistry> registry_;
};

TEST_F(ServerInfoTest, NullRegistryIsRefusedBeforeAnythingHappens) {
  ProgressRecorder& progress = NewProgress(true);
  LONG result = 77;
  EXPECT_EQ(info_->SetServer(0, nullptr, nullptr, 0, 0, 0, &progress, &result), E_POINTER);
  EXPECT_TRUE(progress.progress.empty());
  EXPECT_EQ(result, 77);
}

TEST_F(ServerInfoTest, SettingStartingWithYChoosesTheLivePath) {
  auto none = Components({});
  for (const wchar_t* text : {L"yes please", L"Y", L"Yonder"}) {
    SetSetting(text);
    ProgressRecorder& progress = NewProgress(true);
    LONG result = 77;
    EXPECT_EQ(Capture(none, 0, &progress, &result), S_OK) << text;
    EXPECT_EQ(progress.progress, kLiveProgress) << text;
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(progress.texts.empty());
  }
  // The type is not looked at: a number whose low byte is 'y' reads as "y".
  DWORD number = L'y';
  SetSetting(REG_DWORD, &number, sizeof(number));
  ProgressRecorder& progress = NewProgress(false);
  LONG result = 77;
  EXPECT_EQ(Capture(none, 0, &progress, &result), S_OK);
  EXPECT_EQ(progress.progress, kLiveProgress);
}

TEST_F(ServerInfoTest, RepackagingAlwaysTakesTheLivePath) {
  auto none = Components({});
  ProgressRecorder& progress = NewProgress(true);
  LONG result = 77;
  EXPECT_EQ(Capture(none, VARIANT_TRUE, &progress, &result, VARIANT_TRUE), S_OK);
  EXPECT_EQ(progress.progress, kLiveProgress);
  EXPECT_EQ(result, 0);
}

TEST_F(ServerInfoTest, WithoutTheSettingAMissingSpyFailsTheCapture) {
  auto files = Components({L"C:\\x\\a.dll"});
  std::wstring tooLong(40, L'Y');  // 82 bytes with its terminator
  for (const std::wstring& text :
       {std::wstring(), std::wstring(L"No"), std::wstring(L"1yes"), std::wstring(L""), tooLong}) {
    if (!text.empty() || text.c_str() != std::wstring().c_str()) SetSetting(text);
    ProgressRecorder& progress = NewProgress(true);
    LONG result = 77;
    EXPECT_EQ(Capture(files, 0, &progress, &result), E_FAIL) << "setting " << text.size();
    EXPECT_EQ(result, -1);
    EXPECT_EQ(progress.progress, std::vector<LONG>{0});
    ExpectErrorObject(L"Failed to create TWRegSpy instance");
  }
}

TEST_F(ServerInfoTest, SpyPathReportsEachFileAndLeavesResultAlone) {
  twtest::FakeSpy spy;
  auto files = Components({L"C:\\x\\a.dll", L"C:\\x\\b.dll", L"C:\\x\\c.ocx"});
  ProgressRecorder& progress = NewProgress(true);
  LONG result = 77;
  ASSERT_EQ(Capture(files, 0, &progress, &result), S_OK);
  EXPECT_EQ(result, 77);
  EXPECT_EQ(progress.progress, (std::vector<LONG>{0, 10, 40, 70, 100}));
  EXPECT_EQ(spy.added,
            (std::vector<std::wstring>{L"C:\\x\\a.dll", L"C:\\x\\b.dll", L"C:\\x\\c.ocx"}));
  EXPECT_EQ(spy.addFlags, std::vector<LONG>(6, 0));
  EXPECT_EQ(spy.captureRoot, L"Software\\Tarnwick\\RegSpyProxy");
  EXPECT_EQ(spy.startFlags, std::vector<VARIANT_BOOL>(6, VARIANT_TRUE));
  EXPECT_EQ(spy.finishResults, std::vector<HRESULT>(3, S_OK));
  std::vector<std::wstring> texts;
  for (const wchar_t* f : {L"C:\\x\\a.dll", L"C:\\x\\b.dll", L"C:\\x\\c.ocx"}) {
    texts.push_back(std::wstring(L"Starting to extract COM data from file ") + f);
    texts.push_back(std::wstring(L"Finished extracting COM data from file ") + f);
  }
  EXPECT_EQ(progress.texts, texts);
}

TEST_F(ServerInfoTest, SpyPathWithOneFileAndNoStatusInterface) {
  twtest::FakeSpy spy;
  auto files = Components({L"C:\\x\\a.dll"});
  ProgressRecorder& progress = NewProgress(false);
  ASSERT_EQ(Capture(files, 0, &progress, nullptr), S_OK);
  EXPECT_EQ(progress.progress, (std::vector<LONG>{0, 10, 100}));
  EXPECT_TRUE(progress.texts.empty());
}

TEST_F(ServerInfoTest, DuplicateKeyFilesReachTheSpyTwice) {
  twtest::FakeSpy spy;
  auto files = Components({L"C:\\x\\same.dll", L"C:\\x\\same.dll"});
  ASSERT_EQ(Capture(files, 0, nullptr, nullptr), S_OK);
  EXPECT_EQ(spy.added, (std::vector<std::wstring>{L"C:\\x\\same.dll", L"C:\\x\\same.dll"}));
  EXPECT_EQ(spy.finishResults, std::vector<HRESULT>(2, S_OK));
}

TEST_F(ServerInfoTest, VisualBasicEntryWalksTheCollectionInOrder) {
  twtest::FakeSpy spy;
  twtest::ComponentCollection collection;
  for (auto& c : Components({L"C:\\a.dll", L"C:\\b.dll", L"C:\\c.dll"}))
    collection.items.push_back(c);
  LONG result = 77;
  ASSERT_EQ(info_->SetServerVB(&collection, registry_.Get(), 0, 0, 0, nullptr, &result), S_OK);
  EXPECT_EQ(collection.asked, (std::vector<LONG>{1, 2, 3}));
  EXPECT_EQ(spy.added, (std::vector<std::wstring>{L"C:\\a.dll", L"C:\\b.dll", L"C:\\c.dll"}));
  EXPECT_EQ(result, 77);
}

TEST_F(ServerInfoTest, CallbacksAnswerTheSpy) {
  ComPtr<IRegSpyCallback> callback;
  ASSERT_EQ(info_.As(&callback), S_OK);
  VARIANT_BOOL answer = 0;
  EXPECT_EQ(callback->OnQuery(1, 2, 3, 4, &answer), S_OK);
  EXPECT_EQ(answer, 1);
  VARIANT_BOOL first = 0, second = 0;
  EXPECT_EQ(callback->OnFileStart(nullptr, &first, &second), S_OK);
  EXPECT_EQ(first, VARIANT_TRUE);
  EXPECT_EQ(second, VARIANT_TRUE);
}

TEST_F(ServerInfoTest, MappingMethodsChangeNothing) {
  LONG result = 77;
  VARIANT_BOOL mapping = VARIANT_TRUE;
  EXPECT_EQ(info_->RemapRegistry(&result), S_OK);
  EXPECT_EQ(info_->UnmapRegistry(&result), S_OK);
  EXPECT_EQ(info_->CleanupRegistry(&result), S_OK);
  EXPECT_EQ(result, 77);
  EXPECT_EQ(info_->AllowMapping(&mapping), S_OK);
  EXPECT_EQ(info_->IsMappingAvailable(&mapping), S_OK);
  EXPECT_EQ(mapping, VARIANT_FALSE);
}

// An events sink that counts what reaches it.
class EventSink : public twtest::EarlyBoundOnly<IDispatch> {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != DIID_ServerInfoEvents)
      return E_NOINTERFACE;
    *out = this;
    ++refs;
    return S_OK;
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

TEST_F(ServerInfoTest, EventSinksAttachButHearNothing) {
  ComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(info_.As(&container), S_OK);
  ComPtr<IConnectionPoint> point;
  EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, point.Put()), CONNECT_E_NOCONNECTION);
  ASSERT_EQ(container->FindConnectionPoint(DIID_ServerInfoEvents, point.Put()), S_OK);
  ComPtr<IEnumConnectionPoints> points;
  ASSERT_EQ(container->EnumConnectionPoints(points.Put()), S_OK);
  IConnectionPoint* listed[2] = {};
  ULONG fetched = 0;
  EXPECT_EQ(points->Next(2, listed, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  EXPECT_EQ(listed[0], point.Get());
  listed[0]->Release();

  EventSink sink;
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
  EXPECT_NE(cookie, 0u);
  SetSetting(L"y");
  auto none = Components({});
  EXPECT_EQ(Capture(none, 0, nullptr, nullptr), S_OK);
  EXPECT_EQ(sink.events, 0);
  EXPECT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(sink.refs, 1u);
}

TEST_F(ServerInfoTest, ItsOwnRegistryDoesNothing) {
  ComPtr<IRegistry> inert;
  ASSERT_EQ(info_.As(&inert), S_OK);
  VARIANT value;
  VariantInit(&value);
  LONG result = 77, type = 77;
  EXPECT_EQ(inert->RegReadValue(HKCU, nullptr, nullptr, regSTRING, nullptr, &result), E_POINTER);
  EXPECT_EQ(inert->RegReadValue(HKCU, nullptr, nullptr, regSTRING, &value, nullptr), E_POINTER);
  EXPECT_EQ(inert->RegReadValue(HKCU, nullptr, nullptr, regSTRING, &value, &result), E_NOTIMPL);
  EXPECT_EQ(inert->RegReadType(HKCU, nullptr, nullptr, nullptr, &result), E_POINTER);
  EXPECT_EQ(inert->RegReadType(HKCU, nullptr, nullptr, &type, &result), E_NOTIMPL);
  EXPECT_EQ(inert->RegDeleteValue(HKCU, nullptr, nullptr, nullptr), E_POINTER);
  EXPECT_EQ(inert->RegSetExtractComponent(nullptr, HKCU, nullptr, nullptr, 0, &result), E_NOTIMPL);
  EXPECT_EQ(result, 77);
  EXPECT_EQ(type, 77);
  EXPECT_EQ(V_VT(&value), VT_EMPTY);
}

}  // namespace
