// Registry: forgiving registry access for scripts and for the live capture.
#pragma once

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/ObjectSafety.h"
#include "com/TypeInfoDispatch.h"

namespace twutil {

class Registry : public ComObject<TypeInfoDispatch<IRegistry>, ObjectSafety> {
 public:
  explicit Registry(IUnknown* outer) : ComObject(outer) {}

  STDMETHODIMP RegAddValue(ERegistryHives, BSTR, BSTR, ERegistryDataTypes, VARIANT*,
                           LONG*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP RegReadValue(ERegistryHives, BSTR, BSTR, ERegistryDataTypes, VARIANT*,
                            LONG*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP RegQueryKey(ERegistryHives, BSTR, ERegistryQueryTypes, VARIANT*, LONG*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP RegDeleteValue(ERegistryHives, BSTR, BSTR, LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP RegSoftDeleteRegValue(ERegistryHives, BSTR, BSTR, VARIANT_BOOL, LONG*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP RegSetExtractComponent(IExtractComponent*, ERegistryHives, BSTR, BSTR, VARIANT_BOOL,
                                      LONG*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP RegReadType(ERegistryHives, BSTR, BSTR, LONG*, LONG*) override { return E_NOTIMPL; }

 protected:
  void* InterfaceFor(REFIID iid) override {
    if (iid == IID_IRegistry || iid == IID_IDispatch) return static_cast<IRegistry*>(this);
    if (iid == IID_IObjectSafety) return static_cast<IObjectSafety*>(this);
    return nullptr;
  }
};

}  // namespace twutil
