// The StampVersion class, called early bound: always S_OK, diagnostics on
// standard output, rich error information for its own interface only.
#include <gtest/gtest.h>

#include "PeBuilder.h"
#include "PeresTestSupport.h"
#include "TWUtil.h"
#include "support/TestSupport.h"

using perestest::Ansi;
using twutil::Bstr;
using twutil::ComPtr;

namespace {

class StampVersionObject : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_HRESULT_SUCCEEDED(twtest::Create(CLSID_StampVersion, &stamp_)); }
  // The call's result and what it printed.
  HRESULT Stamp(BSTR file, StampVerOption* options, std::string* printed) {
    perestest::StdoutCapture capture;
    HRESULT hr = stamp_->Stamp(file, options);
    *printed = capture.Text();
    return hr;
  }
  ComPtr<IStampVersion> stamp_;
  twtest::TempDir dir_;
};

TEST_F(StampVersionObject, FailuresAreReportedOnStdoutOnly) {
  std::wstring missing = dir_.Path() + L"missing.dll";
  Bstr name(missing.c_str());
  StampVerOption options = {};
  std::string printed;
  EXPECT_EQ(Stamp(name.Get(), &options, &printed), S_OK);
  EXPECT_EQ(printed, "error: Couldn't open " + Ansi(missing) + " for writing (" +
                         perestest::SystemMessage(ERROR_FILE_NOT_FOUND) + ")\n");
  ComPtr<IErrorInfo> info;
  EXPECT_EQ(GetErrorInfo(0, info.Put()), S_FALSE);

  EXPECT_EQ(Stamp(nullptr, &options, &printed), S_OK);
  EXPECT_EQ(printed.rfind("error: Couldn't open (null) for writing (", 0), 0u);

  EXPECT_EQ(Stamp(name.Get(), nullptr, &printed), S_OK);
  EXPECT_EQ(printed, "error: No version options given for " + Ansi(missing) + "\n");
}

TEST_F(StampVersionObject, ASuccessfulStampPrintsNothing) {
  pefixture::VersionPlan plan;
  plan.tables = {pefixture::StandardTable()};
  std::wstring path = dir_.Path() + L"ok.exe";
  ASSERT_TRUE(perestest::WriteBytes(path, pefixture::PeWithVersion(plan)));
  Bstr name(path.c_str());
  Bstr company(L"Tarnwick\0ignored after the NUL", 30);
  Bstr empty(L"");
  StampVerOption options = {company.Get(), nullptr, empty.Get(), nullptr, nullptr, 0x0407};
  std::string printed;
  EXPECT_EQ(Stamp(name.Get(), &options, &printed), S_OK);
  EXPECT_EQ(printed, "");
  std::wstring value;
  perestest::QueryVersionString(path, L"\\StringFileInfo\\040904b0\\CompanyName", &value);
  EXPECT_EQ(value, L"Tarnwick   ");
  perestest::QueryVersionString(path, L"\\StringFileInfo\\040904b0\\FileVersion", &value);
  EXPECT_EQ(value, L"1.2.3.4");
  EXPECT_EQ(perestest::QueryTranslation(path), 0x04B00407u);
}

TEST_F(StampVersionObject, OffersErrorInformationForItsOwnInterfaceOnly) {
  ComPtr<ISupportErrorInfo> support;
  ASSERT_HRESULT_SUCCEEDED(stamp_.As(&support));
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IStampVersion), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
}

}  // namespace
