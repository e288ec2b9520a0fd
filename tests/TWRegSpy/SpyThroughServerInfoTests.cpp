// ServerInfo's spy path with the real spy registered: progress, status texts,
// the model filled from the capture area, and no capture area left.
#include <gtest/gtest.h>

#include <deque>

#include "SpyTestSupport.h"
#include "model/Component.h"
#include "model/ModelJson.h"
#include "support/TestSupport.h"

namespace {

using spytest::ServerPath;
using twutil::ComPtr;

class StatusRecorder : public IServerInfoStatusEvent {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IServerInfoProgressEvent &&
        iid != IID_IServerInfoStatusEvent)
      return E_NOINTERFACE;
    *out = static_cast<IServerInfoStatusEvent*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP SetProgressBarStatus(LONG value) override {
    progress.push_back(value);
    return S_OK;
  }
  STDMETHODIMP SetStatusText(BSTR text) override {
    texts.emplace_back(text ? text : L"");
    return S_OK;
  }
  std::vector<LONG> progress;
  std::vector<std::wstring> texts;
};

TEST(SpyThroughServerInfoTest, NineFilesGiveProgressInTensAndATextAtEachEnd) {
  ASSERT_TRUE(spytest::SpyRegistered());
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tarnwick\\Foundry\\7.0");
  ComPtr<IServerInfo> info;
  ComPtr<IRegistry> registry;
  ASSERT_EQ(twtest::Create(CLSID_ServerInfo, &info), S_OK);
  ASSERT_EQ(twtest::Create(CLSID_Registry, &registry), S_OK);

  const std::vector<std::wstring> files = {ServerPath(L"SpyTypeLibServer.dll"),
                                           ServerPath(L"SpyFailServer.dll"),
                                           ServerPath(L"SpyCrashServer.dll"),
                                           ServerPath(L"SpyExitServer.dll"),
                                           ServerPath(L"SpyExeServer.exe"),
                                           ServerPath(L"SpyTypeLibServer64.dll"),
                                           L"C:\\nowhere\\readme.txt",
                                           ServerPath(L"SpyExeServer64.exe"),
                                           ServerPath(L"SpyCrashingExeServer.exe")};
  std::vector<ComPtr<IExtractComponent>> components;
  std::vector<IDispatch*> raw;
  for (const std::wstring& file : files) {
    ComPtr<IExtractComponent> component;
    ASSERT_EQ(twutil::model::CreateExtractComponent(file.c_str(), L"C:\\dest", component.Put()),
              S_OK);
    raw.push_back(component.Get());
    components.push_back(component);
  }
  StatusRecorder status;
  LONG result = 7;
  ASSERT_EQ(info->SetServer(static_cast<LONG>(raw.size()), raw.data(), registry.Get(),
                            VARIANT_FALSE, VARIANT_FALSE, VARIANT_FALSE, &status, &result),
            S_OK);
  EXPECT_EQ(result, 7);
  EXPECT_EQ(status.progress, (std::vector<LONG>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
  ASSERT_EQ(status.texts.size(), 2 * files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(status.texts[2 * i], L"Starting to extract COM data from file " + files[i]);
    EXPECT_EQ(status.texts[2 * i + 1], L"Finished extracting COM data from file " + files[i]);
  }
  EXPECT_FALSE(twtest::KeyExists(HKEY_CURRENT_USER, L"Software\\Tarnwick\\RegSpyProxy"));
  // The class that the first server registered reached its component.
  std::string first = twutil::model::DumpComponentJson(components[0].Get());
  EXPECT_NE(first.find("5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C02"), std::string::npos) << first;
}

}  // namespace
