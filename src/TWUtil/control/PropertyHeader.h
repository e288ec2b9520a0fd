// PropertyHeader: the header line control of a property display.
#pragma once

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/ObjectSafety.h"
#include "com/TypeInfoDispatch.h"

namespace twutil {

class PropertyHeader : public ComObject<TypeInfoDispatch<IPropertyHeader>, ObjectSafety> {
 public:
  explicit PropertyHeader(IUnknown* outer) : ComObject(outer) {}

  STDMETHODIMP get_PropertyName(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP put_PropertyName(BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP get_PropertyClass(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP put_PropertyClass(BSTR) override { return E_NOTIMPL; }

 protected:
  void* InterfaceFor(REFIID iid) override {
    if (iid == IID_IPropertyHeader || iid == IID_IDispatch)
      return static_cast<IPropertyHeader*>(this);
    if (iid == IID_IObjectSafety) return static_cast<IObjectSafety*>(this);
    return nullptr;
  }
};

}  // namespace twutil
