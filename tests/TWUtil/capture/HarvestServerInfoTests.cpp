// The harvest as ServerInfo runs it at the end of each file that the spy
// component reports: into that file's component, with its progress, and with
// a failure that ends the whole capture.
#include "CaptureTestDoubles.h"
#include "HarvestTestSupport.h"
#include "support/TestSupport.h"

using namespace harvesttest;

namespace {

class HarvestThroughServerInfo : public HarvestTest {
 protected:
  void SetUp() override {
    HarvestTest::SetUp();
    ASSERT_EQ(twtest::Create(CLSID_ServerInfo, &info_), S_OK);
    ASSERT_EQ(twtest::Create(CLSID_Registry, &registry_), S_OK);
  }

  HRESULT Capture(const std::vector<IExtractComponent*>& components, LONG* result = nullptr) {
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
  // {C1}'s server entry goes with the first harvest; {C2}'s stays, as it
  // names a threading model, so that class is every later file's too.
  Fill(
      LR"(
    HKCR\CLSID\{C1}\InprocServer32|@=C:\srv\a.dll
    HKCR\CLSID\{C2}\InprocServer32|@=C:\srv\a.dll
    HKCR\CLSID\{C2}\InprocServer32|ThreadingModel=Both)");
  ComPtr<IExtractComponent> a = NewComponent(L"C:\\srv\\a.dll");
  ComPtr<IExtractComponent> b = NewComponent(L"C:\\srv\\b.dll");
  ComPtr<IExtractComponent> c = NewComponent(L"C:\\srv\\c.dll");
  LONG result = 77;
  ASSERT_EQ(Capture({a.Get(), b.Get(), c.Get()}, &result), S_OK);
  EXPECT_EQ(result, 77);
  EXPECT_EQ(progress_.progress, (std::vector<LONG>{0, 10, 40, 70, 100}));
  EXPECT_EQ(ModelLines(a.Get()), Listing(LR"(
    ComClass {C1}|||||0
    Context InprocServer32|0|
    ComClass {C2}|||||0
    Context InprocServer32|0|
    MiscRegistry HKEY_CLASSES_ROOT|null|null|true)"));
  const Lines later = Listing(
      LR"(
    ComClass {C2}|||||0
    Context InprocServer32|0|
    MiscRegistry HKEY_CLASSES_ROOT|null|null|true)");
  EXPECT_EQ(ModelLines(b.Get()), later);
  EXPECT_EQ(ModelLines(c.Get()), later);
}

TEST_F(HarvestThroughServerInfo, DuplicateKeyFilesHarvestIntoTheLaterComponent) {
  Fill(
      LR"(
    HKCR\CLSID\{C1}\LocalServer32|@=C:\srv\same.exe -x
    HKLM\Software\Same|Path=C:\srv)");
  ComPtr<IExtractComponent> earlier = NewComponent(L"C:\\srv\\same.exe");
  ComPtr<IExtractComponent> later = NewComponent(L"C:\\srv\\same.exe");
  ASSERT_EQ(Capture({earlier.Get(), later.Get()}), S_OK);
  EXPECT_EQ(ModelLines(earlier.Get()), Lines{});
  // The class key itself stays, so both harvests hand over both mirrors.
  EXPECT_EQ(ModelLines(later.Get()), Listing(LR"(
    ComClass {C1}|||||0
    Context LocalServer32|0|-x
    MiscRegistry HKEY_CLASSES_ROOT|null|null|true
    MiscRegistry HKEY_LOCAL_MACHINE|null|null|true
    MiscRegistry HKEY_CLASSES_ROOT|null|null|true
    MiscRegistry HKEY_LOCAL_MACHINE|null|null|true)"));
}

TEST_F(HarvestThroughServerInfo, AModelFailureEndsTheCaptureWithItsMessage) {
  Fill(
      LR"(
    HKCR\CLSID\{C1}|AppID={A}
    HKCR\CLSID\{C1}\InprocServer32|@=C:\srv\a.dll)");
  ComPtr<ComponentDouble> failing = NewDouble(L"C:\\srv\\a.dll");
  failing->appIds = E_ACCESSDENIED;
  failing->failureText = L"AppIDs are read-only here";
  ComPtr<IExtractComponent> second = NewComponent(L"C:\\srv\\b.dll");
  LONG result = 77;
  EXPECT_EQ(Capture({failing.Get(), second.Get()}, &result), E_FAIL);
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
  EXPECT_EQ(ModelLines(second.Get()), Lines{});
}

}  // namespace
