// The live capture as a whole: progress, repackaging, and a failing model.
#include <gtest/gtest.h>

#include "LiveTestSupport.h"
#include "MemoryRegistry.h"
#include "com/Owners.h"
#include "support/TestDoubles.h"
#include "support/TestSupport.h"

using twtest::Contains;
using twutil::ComPtr;

namespace {

const wchar_t kDll[] = L"C:\\Program Files\\Tarnwick\\Sample.dll";

void FillRegistry(twtest::MemoryRegistry* registry) {
  registry->Set(L"CLSID\\{A1}\\InprocServer32", nullptr, kDll);
  registry->Set(L"CLSID\\{A1}\\Implemented Categories", nullptr, L"");
  registry->Set(L"CLSID\\{A1}\\InProcHandler32", nullptr, L"ole32.dll");
  registry->Set(L"Sample.Greeter.1\\CLSID", nullptr, L"{A1}");
  registry->Set(L"Sample.Greeter.1", L"EditFlags", L"0");
  registry->Set(L"Sample.Greeter.1\\Insertable", nullptr, L"");
}

// A component whose AddMiscRegistryInfo fails, leaving an error object.
class RefusingComponent : public twtest::EarlyBoundOnly<IExtractComponent> {
 public:
  explicit RefusingComponent(ComPtr<IExtractComponent> inner) : inner_(std::move(inner)) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_IExtractComponent)
      return E_NOINTERFACE;
    *out = static_cast<IExtractComponent*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP get_KeyFile(VARIANT_BOOL r, BSTR* out) override {
    return inner_->get_KeyFile(r, out);
  }
  STDMETHODIMP get_Destination(BSTR* out) override { return inner_->get_Destination(out); }
  STDMETHODIMP get_TypeLibCollection(IExtractTypeLibCol** out) override {
    return inner_->get_TypeLibCollection(out);
  }
  STDMETHODIMP get_ComClassCollection(IExtractComClassCol** out) override {
    return inner_->get_ComClassCollection(out);
  }
  STDMETHODIMP get_AppInfoCollection(IExtractAppIDCol** out) override {
    return inner_->get_AppInfoCollection(out);
  }
  STDMETHODIMP get_ProgIDCollection(IExtractProgIDCol** out) override {
    return inner_->get_ProgIDCollection(out);
  }
  STDMETHODIMP get_ExtensionCol(IExtractExtensionCol** out) override {
    return inner_->get_ExtensionCol(out);
  }
  STDMETHODIMP get_MIMECol(IExtractMIMECol** out) override { return inner_->get_MIMECol(out); }
  STDMETHODIMP AddMiscRegistryInfo(ERegistryHives, BSTR, BSTR, VARIANT_BOOL, LONG*) override {
    ComPtr<ICreateErrorInfo> create;
    CreateErrorInfo(create.Put());
    create->SetDescription(const_cast<LPOLESTR>(L"The model refused"));
    ComPtr<IErrorInfo> info;
    create.As(&info);
    SetErrorInfo(0, info.Get());
    return E_ACCESSDENIED;
  }

 private:
  ComPtr<IExtractComponent> inner_;
};

TEST(LiveFlow, ProgressRunsInStepsAndRepackagingHandsEntriesToTheRegistryObject) {
  twtest::MemoryRegistry registry;
  FillRegistry(&registry);
  // Repackaging: the file is known by where it will be installed.
  registry.Set(L"CLSID\\{B1}\\InprocServer32", nullptr, L"C:\\Out\\Sample.dll");
  auto component = twtest::NewComponent(kDll, L"C:\\Out");
  twtest::LiveRun run = twtest::CaptureLive(&registry, {component}, {true, true, true});
  ASSERT_EQ(S_OK, run.hr);
  EXPECT_EQ(0, run.result);
  EXPECT_EQ(std::vector<LONG>({0, 10, 20, 40, 50, 60, 70, 80, 90, 100}), run.progress);
  EXPECT_EQ(L"<none>",
            twtest::ModelValue(component.Get(), {L"ComClassCollection", L"{A1}", L"Guid"}));
  EXPECT_EQ(L"{B1}",
            twtest::ModelValue(component.Get(), {L"ComClassCollection", L"{B1}", L"Guid"}));
  EXPECT_TRUE(twtest::MiscLines(component.Get()).empty());

  registry.log.clear();
  FillRegistry(&registry);
  registry.Set(L"CLSID\\{A1}\\InprocServer32", nullptr, L"C:\\Out\\Sample.dll");
  ASSERT_EQ(S_OK, twtest::CaptureLive(&registry, {component}, {true}).hr);
  EXPECT_EQ(std::vector<std::wstring>({L"give CLSID\\{A1}\\Implemented Categories||1",
                                       L"give CLSID\\{A1}\\InProcHandler32||1",
                                       L"give Sample.Greeter.1\\Insertable||1"}),
            registry.Lines(L"give "));
  EXPECT_TRUE(Contains(registry.log, L"soft CLSID\\{A1}\\InProcHandler32||0"));
  // Named values of a class's ProgID always go to the component.
  EXPECT_EQ(std::vector<std::wstring>({L"Sample.Greeter.1|EditFlags|0"}),
            twtest::MiscLines(component.Get()));
}

TEST(LiveFlow, AFailingModelEndsTheCaptureWithTheStepsMessageAndTheNextStartsClean) {
  twtest::MemoryRegistry registry;
  FillRegistry(&registry);
  ComPtr<IServerInfo> serverInfo;
  ASSERT_EQ(S_OK, twtest::Create(CLSID_ServerInfo, &serverInfo));
  RefusingComponent refusing(twtest::NewComponent(kDll));
  ComPtr<IExtractComponent> failing(&refusing);

  twtest::LiveRun run = twtest::CaptureLive(serverInfo.Get(), &registry, {failing});
  EXPECT_EQ(E_FAIL, run.hr);
  EXPECT_EQ(-1, run.result);
  EXPECT_EQ(L"The model refused in FindCOMInfo Function", run.error);
  EXPECT_EQ(L"TWHbrTarnwick.ServerInfo.1", run.source);
  EXPECT_EQ(std::vector<LONG>({0, 10, 20}), run.progress);

  // Same object, another file: nothing of the first capture's classes is left
  // to claim the ProgID for it.
  auto other = twtest::NewComponent(L"C:\\Other\\Other.dll");
  run = twtest::CaptureLive(serverInfo.Get(), &registry, {other});
  EXPECT_EQ(S_OK, run.hr);
  EXPECT_EQ(0, run.result);
  EXPECT_EQ(0, twtest::ItemCount(other.Get(), {L"ProgIDCollection"}));

  // A failure in a later step names that step.
  twtest::MemoryRegistry classless;
  classless.Set(L"CLSID\\{A1}\\InprocServer32", nullptr, kDll);
  classless.Set(L"AppID\\Sample.exe", L"AppID", L"{AP}");
  classless.Set(L"CLSID\\{A1}", L"AppID", L"{AP}");
  run = twtest::CaptureLive(serverInfo.Get(), &classless, {failing});
  EXPECT_EQ(L"The model refused in AddAdditionalAppInfo function", run.error);
}

}  // namespace
