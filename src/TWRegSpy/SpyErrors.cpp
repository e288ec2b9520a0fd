#include "SpyErrors.h"

#include <oleauto.h>

#include "TWRegSpy.h"
#include "com/Owners.h"

namespace twregspy {

HRESULT ReportError(HRESULT hr, const wchar_t* description) {
  twutil::ComPtr<ICreateErrorInfo> created;
  if (FAILED(CreateErrorInfo(created.Put()))) return hr;
  created->SetGUID(IID_ITWRegSpy);
  created->SetSource(const_cast<LPOLESTR>(L"TWRegSpy"));
  created->SetDescription(const_cast<LPOLESTR>(description));
  twutil::ComPtr<IErrorInfo> info;
  if (SUCCEEDED(created.As(&info))) SetErrorInfo(0, info.Get());
  return hr;
}

}  // namespace twregspy
