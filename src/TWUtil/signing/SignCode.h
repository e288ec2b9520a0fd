// SignCode: runs the external signing tool.
#pragma once

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/Owners.h"
#include "com/SupportErrorInfo.h"
#include "com/TypeInfoDispatch.h"

namespace twutil {

class SignCode : public ComObject<TypeInfoDispatch<ISignCode>, SupportErrorInfo<ISignCode>> {
 public:
  explicit SignCode(IUnknown* outer) : ComObject(outer) {}

  // Always S_OK: the outcome reaches the caller through pCallBack's Finished.
  STDMETHODIMP Sign(BSTR sFullName, SignCodeOption* scoOption, ISignCodeEvent* pCallBack) override;

 protected:
  void* InterfaceFor(REFIID iid) override {
    if (iid == IID_ISignCode || iid == IID_IDispatch) return static_cast<ISignCode*>(this);
    if (iid == IID_ISupportErrorInfo) return static_cast<ISupportErrorInfo*>(this);
    return nullptr;
  }

 private:
  // The event object of the latest call; a call made while the tool runs
  // (from a dispatched message) replaces it for the rest of the first call.
  void OutPut(const std::wstring& line);
  void Finished(long result);

  ComPtr<ISignCodeEvent> callBack_;
};

}  // namespace twutil
