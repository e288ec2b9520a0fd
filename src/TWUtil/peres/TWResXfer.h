// TWResXfer: copies icon groups between executables.
#pragma once

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/ObjectSafety.h"
#include "com/TypeInfoDispatch.h"

namespace twutil {

class TWResXfer : public ComObject<TypeInfoDispatch<ITWXferIconResource>, ObjectSafety> {
 public:
  explicit TWResXfer(IUnknown* outer) : ComObject(outer) {}

  STDMETHODIMP SetSourceFile(BSTR, VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetSourceFile(VARIANT*, VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP SetDestinationFile(BSTR, VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetDestinationFile(VARIANT*, VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP CopyIconResource(VARIANT, VARIANT*, VARIANT*) override { return E_NOTIMPL; }

 protected:
  void* InterfaceFor(REFIID iid) override {
    if (iid == IID_IDispatch || iid == IID_ITWXferIconResource)
      return static_cast<ITWXferIconResource*>(this);
    if (iid == IID_IObjectSafety) return static_cast<IObjectSafety*>(this);
    return nullptr;
  }
};

}  // namespace twutil
