// SignCode: runs the external signing tool.
#pragma once

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/SupportErrorInfo.h"
#include "com/TypeInfoDispatch.h"

namespace twutil {

class SignCode : public ComObject<TypeInfoDispatch<ISignCode>, SupportErrorInfo<ISignCode>> {
 public:
  explicit SignCode(IUnknown* outer) : ComObject(outer) {}

  STDMETHODIMP Sign(BSTR, SignCodeOption*, ISignCodeEvent*) override { return E_NOTIMPL; }

 protected:
  void* InterfaceFor(REFIID iid) override {
    if (iid == IID_ISignCode || iid == IID_IDispatch) return static_cast<ISignCode*>(this);
    if (iid == IID_ISupportErrorInfo) return static_cast<ISupportErrorInfo*>(this);
    return nullptr;
  }
};

}  // namespace twutil
