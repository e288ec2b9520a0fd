// The harvest as ServerInfo runs it at the end of each file that the spy
// component reports: into that file's component, with its progress, and with
// a failure that ends the whole capture.
#include <gtest/gtest.h>

#include "CaptureTestDoubles.h"
#include "HarvestModelLines.h"
#include "HarvestTestSupport.h"
#include "support/TestSupport.h"

using namespace harvesttest;

namespace {

using Lines = std::vector<std::wstring>;

const std::wstring kClsid = L"HKEY_CLASSES_ROOT\\CLSID\\";

class HarvestThroughServerInfo : public testing::Test {
 protected:
  void SetUp() override {
    ResetCaptureArea();
    ASSERT_EQ(twtest::Create(CLSID_ServerInfo, &info_), S_OK);
    ASSERT_EQ(twtest::Create(CLSID_Registry, &registry_), S_OK);
  }
  void TearDown() override { RemoveCaptureArea(); }

  HRESULT Capture(const std::vector<IExtractComponent*>& components, LONG* result) {
    std::vector<IDispatch*> handed(components.begin(), components.end());
    return info_->SetServer(static_cast<LONG>(handed.size()), handed.data(), registry_.Get(), 0, 0,
                            0, &progress_, result);
  }

  twtest::FakeSpy spy_;
  twtest::ProgressRecorder progress_{true};
  ComPtr<IServerInfo> info_;
  ComPtr<IRegistry> registry_;
};

TEST_F(HarvestThroughServerInfo, EachFinishedFileIsHarvestedIntoItsComponent) {
  SetText(kClsid + L"{C1}\\InprocServer32", nullptr, L"C:\\srv\\a.dll");
  ComPtr<IExtractComponent> a = NewComponent(L"C:\\srv\\a.dll");
  ComPtr<IExtractComponent> b = NewComponent(L"C:\\srv\\b.dll");
  ComPtr<IExtractComponent> c = NewComponent(L"C:\\srv\\c.dll");
  LONG result = 77;
  ASSERT_EQ(Capture({a.Get(), b.Get(), c.Get()}, &result), S_OK);
  EXPECT_EQ(result, 77);
  EXPECT_EQ(progress_.progress, (std::vector<LONG>{0, 10, 40, 70, 100}));
  // The first file's harvest takes the class; what it leaves is handed to
  // every file that finishes after it.
  EXPECT_EQ(ClassLines(a.Get()), (Lines{L"{C1}|||||0|InprocServer32:0:"}));
  EXPECT_TRUE(ClassLines(b.Get()).empty());
  for (IExtractComponent* component : {a.Get(), b.Get(), c.Get()})
    EXPECT_EQ(MiscCalls(component), (Lines{L"HKEY_CLASSES_ROOT|<null>|<null>|all"}));
}

TEST_F(HarvestThroughServerInfo, AServerKeyThatStaysMakesTheClassEveryLaterFilesToo) {
  SetText(kClsid + L"{C1}\\InprocServer32", nullptr, L"C:\\srv\\a.dll");
  SetText(kClsid + L"{C1}\\InprocServer32", L"ThreadingModel", L"Both");
  ComPtr<IExtractComponent> a = NewComponent(L"C:\\srv\\a.dll");
  ComPtr<IExtractComponent> b = NewComponent(L"C:\\srv\\b.dll");
  ASSERT_EQ(Capture({a.Get(), b.Get()}, nullptr), S_OK);
  EXPECT_EQ(ClassLines(a.Get()), (Lines{L"{C1}|||||0|InprocServer32:0:"}));
  EXPECT_EQ(ClassLines(b.Get()), (Lines{L"{C1}|||||0|InprocServer32:0:"}));
}

TEST_F(HarvestThroughServerInfo, DuplicateKeyFilesHarvestIntoTheLaterComponent) {
  SetText(kClsid + L"{C1}\\LocalServer32", nullptr, L"C:\\srv\\same.exe -x");
  SetText(L"HKEY_LOCAL_MACHINE\\Software\\Same", L"Path", L"C:\\srv");
  ComPtr<IExtractComponent> earlier = NewComponent(L"C:\\srv\\same.exe");
  ComPtr<IExtractComponent> later = NewComponent(L"C:\\srv\\same.exe");
  ASSERT_EQ(Capture({earlier.Get(), later.Get()}, nullptr), S_OK);
  EXPECT_TRUE(ClassLines(earlier.Get()).empty());
  EXPECT_TRUE(MiscCalls(earlier.Get()).empty());
  EXPECT_EQ(ClassLines(later.Get()), (Lines{L"{C1}|||||0|LocalServer32:0:-x"}));
  // The class key itself stays, so both harvests hand over both mirrors.
  EXPECT_EQ(
      MiscCalls(later.Get()),
      (Lines{L"HKEY_CLASSES_ROOT|<null>|<null>|all", L"HKEY_LOCAL_MACHINE|<null>|<null>|all",
             L"HKEY_CLASSES_ROOT|<null>|<null>|all", L"HKEY_LOCAL_MACHINE|<null>|<null>|all"}));
}

TEST_F(HarvestThroughServerInfo, AModelFailureEndsTheCaptureWithItsMessage) {
  SetText(kClsid + L"{C1}\\InprocServer32", nullptr, L"C:\\srv\\a.dll");
  SetText(kClsid + L"{C1}", L"AppID", L"{A}");
  ComponentDouble failing(NewComponent(L"C:\\srv\\a.dll"));
  failing.appIds = E_ACCESSDENIED;
  failing.failureText = L"AppIDs are read-only here";
  ComPtr<IExtractComponent> second = NewComponent(L"C:\\srv\\b.dll");
  LONG result = 77;
  EXPECT_EQ(Capture({&failing, second.Get()}, &result), E_FAIL);
  EXPECT_EQ(result, -1);
  ComPtr<IErrorInfo> error;
  ASSERT_EQ(GetErrorInfo(0, error.Put()), S_OK);
  Bstr description, source;
  error->GetDescription(description.Put());
  error->GetSource(source.Put());
  EXPECT_STREQ(description.Text(), L"AppIDs are read-only here");
  EXPECT_STREQ(source.Text(), L"TWHbrTarnwick.ServerInfo.1");
  // The spy heard that the capture is over: the second file never finished.
  EXPECT_EQ(spy_.finishResults.size(), 1u);
  EXPECT_EQ(progress_.progress, (std::vector<LONG>{0, 10}));
  EXPECT_TRUE(MiscCalls(second.Get()).empty());
}

}  // namespace
