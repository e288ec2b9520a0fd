// The error helpers: the callee's message where there is one, and error
// objects that name the class.
#include <gtest/gtest.h>

#include "Errors.h"
#include "TWUtil.h"
#include "support/TestSupport.h"

namespace {

using twutil::Bstr;
using twutil::ComPtr;

// Leaves an error object that says text, or none.
void SetPendingError(const wchar_t* text) {
  ComPtr<ICreateErrorInfo> create;
  ComPtr<IErrorInfo> info;
  if (text && SUCCEEDED(CreateErrorInfo(create.Put()))) {
    create->SetDescription(const_cast<LPOLESTR>(text));
    create.As(&info);
  }
  SetErrorInfo(0, info.Get());
}

std::wstring CheckCallMessage(HRESULT hr) {
  try {
    twutil::CheckCall(hr);
  } catch (const twutil::CExcept& e) {
    return std::to_wstring(e.hr) + L" " + e.message.Text();
  }
  return L"no exception";
}

TEST(Errors, CheckCallRaisesFailureWithTheCalleesMessage) {
  EXPECT_EQ(CheckCallMessage(S_OK), L"no exception");
  EXPECT_EQ(CheckCallMessage(S_FALSE), L"no exception");
  SetPendingError(nullptr);
  EXPECT_EQ(CheckCallMessage(E_ACCESSDENIED),
            std::to_wstring(E_ACCESSDENIED) + L" Error calling contained control");
  SetPendingError(L"model refused the put");
  EXPECT_EQ(CheckCallMessage(E_FAIL), std::to_wstring(E_FAIL) + L" model refused the put");
}

TEST(Errors, ComExceptionTakesTheCalleesMessageThenTheSystemText) {
  SetPendingError(L"no such component");
  EXPECT_STREQ(twutil::com_exception(E_NOINTERFACE).what(), "no such component");
  SetPendingError(nullptr);
  twutil::com_exception system(E_OUTOFMEMORY);
  EXPECT_EQ(system.hr(), E_OUTOFMEMORY);
  EXPECT_STRNE(system.what(), "");
  EXPECT_STREQ(twutil::com_exception(static_cast<HRESULT>(0xA0AB0123)).what(), "Unknown error");
}

TEST(Errors, SetComErrorInfoLeavesAnErrorObjectNamingTheClass) {
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
