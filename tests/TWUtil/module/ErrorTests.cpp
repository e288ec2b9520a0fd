// The error helpers of the capture code.
#include <gtest/gtest.h>

#include "Errors.h"
#include "TWUtil.h"
#include "support/TestSupport.h"

namespace {

using twutil::Bstr;
using twutil::ComPtr;

void SetPendingError(const wchar_t* description) {
  ComPtr<ICreateErrorInfo> create;
  ASSERT_EQ(CreateErrorInfo(create.Put()), S_OK);
  create->SetDescription(const_cast<LPOLESTR>(description));
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(create.As(&info), S_OK);
  SetErrorInfo(0, info.Get());
}

TEST(CheckCall, PassesSuccessAndRaisesFailureWithTheCalleeMessage) {
  EXPECT_NO_THROW(twutil::CheckCall(S_OK));
  EXPECT_NO_THROW(twutil::CheckCall(S_FALSE));

  SetErrorInfo(0, nullptr);
  try {
    twutil::CheckCall(E_ACCESSDENIED);
    FAIL() << "no exception";
  } catch (twutil::CExcept* e) {
    EXPECT_EQ(e->hr, E_ACCESSDENIED);
    EXPECT_STREQ(e->message, L"Error calling contained control");
    delete e;
  }

  SetPendingError(L"model refused the put");
  try {
    twutil::CheckCall(E_FAIL);
    FAIL() << "no exception";
  } catch (twutil::CExcept* e) {
    EXPECT_EQ(e->hr, E_FAIL);
    EXPECT_STREQ(e->message, L"model refused the put");
    delete e;
  }
}

TEST(ComException, TakesTheCalleeMessageThenTheSystemText) {
  SetPendingError(L"no such component");
  EXPECT_STREQ(twutil::com_exception(E_NOINTERFACE).what(), "no such component");
  SetErrorInfo(0, nullptr);
  twutil::com_exception system(E_OUTOFMEMORY);
  EXPECT_EQ(system.hr(), E_OUTOFMEMORY);
  EXPECT_STRNE(system.what(), "");
  EXPECT_STREQ(twutil::com_exception(static_cast<HRESULT>(0xA0AB0123)).what(), "Unknown error");
}

TEST(SetComErrorInfo, LeavesAnErrorObjectNamingTheClass) {
  twtest::RegisteredLibrary();
  EXPECT_EQ(twutil::SetComErrorInfo(CLSID_ServerInfo, L"it broke", 0, nullptr, IID_IServerInfo, 0),
            DISP_E_EXCEPTION);
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.Put()), S_OK);
  Bstr source, description;
  GUID guid;
  info->GetSource(source.Put());
  info->GetDescription(description.Put());
  info->GetGUID(&guid);
  EXPECT_STREQ(source.Text(), L"TWHbrTarnwick.ServerInfo.1");
  EXPECT_STREQ(description.Text(), L"it broke");
  EXPECT_TRUE(IsEqualGUID(guid, IID_IServerInfo));

  // A null message goes the string-table way and ends as "Unknown Error".
  EXPECT_EQ(twutil::SetComErrorInfo(CLSID_ServerInfo, 0u, 0, nullptr, IID_IServerInfo, E_FAIL),
            E_FAIL);
  ASSERT_EQ(GetErrorInfo(0, info.Put()), S_OK);
  info->GetDescription(description.Put());
  EXPECT_STREQ(description.Text(), L"Unknown Error");
}

}  // namespace
