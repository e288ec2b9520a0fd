// The harvest as ServerInfo runs it at the end of each file the spy reports:
// a model failure ends the whole capture with the model's message.
#include <gtest/gtest.h>

#include "CaptureTestDoubles.h"
#include "Listings.h"
#include "model/Component.h"
#include "support/TestSupport.h"

namespace {

using twutil::Bstr;
using twutil::ComPtr;

const std::wstring kRoot = L"Software\\Tarnwick\\RegSpyProxy\\";

// A component whose AppID collection fails, leaving an error object.
class FailingAppIDs : public twutil::model::Component {
 public:
  explicit FailingAppIDs(const wchar_t* keyFile) : Component(nullptr) { SetKeyFile(keyFile); }
  STDMETHODIMP get_AppInfoCollection(IExtractAppIDCol** out) override {
    *out = nullptr;
    ComPtr<ICreateErrorInfo> create;
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(CreateErrorInfo(create.Put()))) {
      create->SetDescription(const_cast<wchar_t*>(L"AppIDs are read-only here"));
      create.As(&info);
    }
    SetErrorInfo(0, info.Get());
    return E_ACCESSDENIED;
  }
};

void SetText(const std::wstring& key, const wchar_t* name, const wchar_t* text) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, (kRoot + key).c_str(), name, REG_SZ, text,
                            static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

TEST(HarvestThroughServerInfo, AModelFailureEndsTheCaptureWithItsMessage) {
  // What the fake spy's first file leaves: a class of the file with an AppID.
  RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
  for (const wchar_t* mirror : {L"HKEY_CURRENT_USER", L"HKEY_LOCAL_MACHINE", L"HKEY_USERS"}) {
    twutil::RegKey key;
    RegCreateKeyExW(HKEY_CURRENT_USER, (kRoot + mirror).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, key.Put(), nullptr);
  }
  SetText(L"HKEY_CLASSES_ROOT\\CLSID\\{C1}", L"AppID", L"{A}");
  SetText(L"HKEY_CLASSES_ROOT\\CLSID\\{C1}\\InprocServer32", nullptr, L"C:\\srv\\a.dll");
  twtest::FakeSpy spy;
  twtest::ProgressRecorder progress;
  ComPtr<IServerInfo> info;
  ComPtr<IRegistry> registry;
  ASSERT_EQ(twtest::Create(CLSID_ServerInfo, &info), S_OK);
  ASSERT_EQ(twtest::Create(CLSID_Registry, &registry), S_OK);
  ComPtr<IExtractComponent> failing(new FailingAppIDs(L"C:\\srv\\a.dll")), second;
  ASSERT_EQ(twutil::model::CreateExtractComponent(L"C:\\srv\\b.dll", L"", second.Put()), S_OK);
  IDispatch* handed[] = {failing.Get(), second.Get()};
  LONG result = 77;
  EXPECT_EQ(info->SetServer(2, handed, registry.Get(), 0, 0, 0, &progress, &result), E_FAIL);
  EXPECT_EQ(result, -1);
  ComPtr<IErrorInfo> error;
  ASSERT_EQ(GetErrorInfo(0, error.Put()), S_OK);
  Bstr description;
  error->GetDescription(description.Put());
  EXPECT_STREQ(description.Text(), L"AppIDs are read-only here");
  // The spy heard that the capture is over: the second file never finished.
  EXPECT_EQ(spy.finishResults.size(), 1u);
  EXPECT_EQ(progress.progress, (std::vector<LONG>{0, 10}));
  EXPECT_EQ(twtest::ModelLines(second.Get()), twtest::Lines{});
  RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
}

}  // namespace
