// ServerInfo's choice between the two capture paths, the spy path's progress
// and texts, and its small methods. The live path has a suite of its own.
#include <gtest/gtest.h>
#include <ocidl.h>
#include <olectl.h>

#include "CaptureTestDoubles.h"
#include "model/Component.h"
#include "support/TestSupport.h"

namespace {

using twtest::ProgressRecorder;
using twutil::Bstr;
using twutil::ComPtr;

const wchar_t kFoundry[] = L"Software\\Tarnwick\\Foundry\\7.0";

class ServerInfoTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(twtest::Create(CLSID_ServerInfo, &info_), S_OK);
    ASSERT_EQ(twtest::Create(CLSID_Registry, &registry_), S_OK);
    RegDeleteKeyW(HKEY_CURRENT_USER, kFoundry);
  }
  void TearDown() override { RegDeleteKeyW(HKEY_CURRENT_USER, kFoundry); }

  static void SetSetting(const std::wstring& text) {
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_CURRENT_USER, kFoundry, L"UseOldComExtraction", REG_SZ, text.c_str(),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
        ERROR_SUCCESS);
  }

  // Components whose key files are the given paths.
  static std::vector<ComPtr<IExtractComponent>> Components(std::vector<const wchar_t*> files) {
    std::vector<ComPtr<IExtractComponent>> result(files.size());
    for (size_t i = 0; i < files.size(); ++i)
      EXPECT_EQ(twutil::model::CreateExtractComponent(files[i], L"C:\\dest", result[i].Put()),
                S_OK);
    return result;
  }

  HRESULT Capture(std::vector<ComPtr<IExtractComponent>>& components,
                  IServerInfoProgressEvent* progress, LONG* result) {
    std::vector<IDispatch*> raw;
    for (auto& c : components) raw.push_back(c.Get());
    return info_->SetServer(static_cast<LONG>(raw.size()), raw.empty() ? nullptr : raw.data(),
                            registry_.Get(), 0, 0, 0, progress, result);
  }

  // ServerInfo holds its progress sink until the next capture or its end.
  ProgressRecorder progress_;
  ComPtr<IServerInfo> info_;
  ComPtr<IRegistry> registry_;
};

// Only a first character of y or Y, in at most 64 bytes, asks for the live
// path; otherwise the spy is needed, and there is none here.
TEST_F(ServerInfoTest, TheSettingChoosesThePath) {
  const std::wstring tooLong(40, L'Y');  // 82 bytes with its terminator
  const struct {
    const wchar_t* setting;  // null: absent
    bool live;
  } cases[] = {{L"yes please", true}, {L"Yonder", true},        {L"1yes", false},
               {L"N", false},         {tooLong.c_str(), false}, {nullptr, false}};
  auto none = Components({});
  for (const auto& c : cases) {
    RegDeleteKeyW(HKEY_CURRENT_USER, kFoundry);
    if (c.setting) SetSetting(c.setting);
    progress_.progress.clear();
    LONG result = 77;
    EXPECT_EQ(Capture(none, &progress_, &result), c.live ? S_OK : E_FAIL) << c.setting;
    if (c.live) continue;
    EXPECT_EQ(result, -1);
    EXPECT_EQ(progress_.progress, std::vector<LONG>{0});
    ComPtr<IErrorInfo> error;
    ASSERT_EQ(GetErrorInfo(0, error.Put()), S_OK);
    Bstr source, text;
    error->GetSource(source.Put());
    error->GetDescription(text.Put());
    EXPECT_STREQ(source.Text(), L"TWHbrTarnwick.ServerInfo.1");
    EXPECT_STREQ(text.Text(), L"Failed to create TWRegSpy instance");
  }
}

TEST_F(ServerInfoTest, SpyPathReportsEachFileAndLeavesResultAlone) {
  twtest::FakeSpy spy;
  const std::vector<const wchar_t*> files = {L"C:\\x\\a.dll", L"C:\\x\\b.dll", L"C:\\x\\c.ocx"};
  auto components = Components(files);
  LONG result = 77;
  ASSERT_EQ(Capture(components, &progress_, &result), S_OK);
  EXPECT_EQ(result, 77);
  EXPECT_EQ(progress_.progress, (std::vector<LONG>{0, 10, 40, 70, 100}));
  EXPECT_EQ(spy.added, std::vector<std::wstring>(files.begin(), files.end()));
  std::vector<std::wstring> texts;
  for (const wchar_t* f : files) {
    texts.push_back(std::wstring(L"Starting to extract COM data from file ") + f);
    texts.push_back(std::wstring(L"Finished extracting COM data from file ") + f);
  }
  EXPECT_EQ(progress_.texts, texts);

  // A key file given twice reaches the spy twice.
  spy.added.clear();
  spy.finishResults.clear();
  auto twice = Components({L"C:\\x\\same.dll", L"C:\\x\\same.dll"});
  ASSERT_EQ(Capture(twice, nullptr, nullptr), S_OK);
  EXPECT_EQ(spy.added, (std::vector<std::wstring>(2, L"C:\\x\\same.dll")));
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

  // An item that is no object is refused, not read as one; a collection
  // that cannot count fails the call before anything runs.
  spy.added.clear();
  collection.textAt = 2;
  EXPECT_EQ(info_->SetServerVB(&collection, registry_.Get(), 0, 0, 0, nullptr, &result), E_POINTER);
  collection.countResult = E_ACCESSDENIED;
  spy.added.clear();
  EXPECT_EQ(info_->SetServerVB(&collection, registry_.Get(), 0, 0, 0, nullptr, &result),
            E_ACCESSDENIED);
  EXPECT_TRUE(spy.added.empty());
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
  VARIANT value;
  VariantInit(&value);
  EXPECT_EQ(inert->RegReadValue(HKCU, nullptr, nullptr, regSTRING, nullptr, &result), E_POINTER);
  EXPECT_EQ(inert->RegReadValue(HKCU, nullptr, nullptr, regSTRING, &value, &result), E_NOTIMPL);
  EXPECT_EQ(inert->RegReadType(HKCU, nullptr, nullptr, &type, &result), E_NOTIMPL);
  EXPECT_EQ(inert->RegDeleteValue(HKCU, nullptr, nullptr, nullptr), E_POINTER);
  EXPECT_EQ(inert->RegSetExtractComponent(nullptr, HKCU, nullptr, nullptr, 0, &result), E_NOTIMPL);
  EXPECT_EQ(result, 77);
  EXPECT_EQ(type, 77);
  EXPECT_EQ(V_VT(&value), VT_EMPTY);
}

// An events sink that counts what reaches it.
class EventSink : public twtest::EarlyBoundOnly<IDispatch> {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_ServerInfoEvents ? this
                                                                                       : nullptr;
    if (*out) AddRef();
    return *out ? S_OK : E_NOINTERFACE;
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
  ASSERT_EQ(container->FindConnectionPoint(DIID_ServerInfoEvents, point.Put()), S_OK);
  EventSink sink;
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
  twtest::FakeSpy spy;
  auto files = Components({L"C:\\x\\a.dll"});
  EXPECT_EQ(Capture(files, nullptr, nullptr), S_OK);
  EXPECT_EQ(sink.events, 0);
  EXPECT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(sink.refs, 1u);
}

}  // namespace
