#include "signing/SignCode.h"

#include <new>
#include <string>

#include "signing/SignCommandLine.h"
#include "signing/ToolRunner.h"

namespace twutil {

void SignCode::OutPut(const std::wstring& line) {
  ComPtr<ISignCodeEvent> target = callBack_;  // the call may replace callBack_
  if (!target) return;
  Bstr text(line.data(), static_cast<UINT>(line.size()));
  target->OutPut(text.Get());
}

void SignCode::Finished(long result) {
  ComPtr<ISignCodeEvent> target = callBack_;
  if (target) target->Finished(result);
}

STDMETHODIMP SignCode::Sign(BSTR sFullName, SignCodeOption* scoOption, ISignCodeEvent* pCallBack) {
  callBack_ = ComPtr<ISignCodeEvent>(pCallBack);
  long result = 0;
  try {
    const std::wstring file = sFullName ? std::wstring(sFullName) : std::wstring();
    ToolRunner runner([this](const std::wstring& line) { OutPut(line); });
    result = runner.Run(SignCommandLine(scoOption, file.c_str()));
  } catch (const std::bad_alloc&) {
    result = 0;
  }
  Finished(result);
  return S_OK;
}

}  // namespace twutil
