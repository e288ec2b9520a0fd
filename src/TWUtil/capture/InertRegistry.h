// The IRegistry (and IDispatch) that ServerInfo answers: it reads and writes
// nothing. Null out-pointers give E_POINTER, everything else E_NOTIMPL.
#pragma once

#include "TWUtil.h"
#include "com/TypeInfoDispatch.h"

namespace twutil {

class InertRegistry : public TypeInfoDispatch<IRegistry> {
 public:
  STDMETHODIMP RegAddValue(ERegistryHives, BSTR, BSTR, ERegistryDataTypes, VARIANT* value,
                           LONG* result) override {
    return Answer(value, result);
  }
  STDMETHODIMP RegReadValue(ERegistryHives, BSTR, BSTR, ERegistryDataTypes, VARIANT* value,
                            LONG* result) override {
    return Answer(value, result);
  }
  STDMETHODIMP RegQueryKey(ERegistryHives, BSTR, ERegistryQueryTypes, VARIANT* value,
                           LONG* result) override {
    return Answer(value, result);
  }
  STDMETHODIMP RegDeleteValue(ERegistryHives, BSTR, BSTR, LONG* result) override {
    return Answer(result);
  }
  STDMETHODIMP RegSoftDeleteRegValue(ERegistryHives, BSTR, BSTR, VARIANT_BOOL,
                                     LONG* result) override {
    return Answer(result);
  }
  STDMETHODIMP RegSetExtractComponent(IExtractComponent*, ERegistryHives, BSTR, BSTR, VARIANT_BOOL,
                                      LONG* result) override {
    return Answer(result);
  }
  STDMETHODIMP RegReadType(ERegistryHives, BSTR, BSTR, LONG* type, LONG* result) override {
    return Answer(type, result);
  }

 private:
  static HRESULT Answer(const void* first, const void* second = reinterpret_cast<void*>(1)) {
    return first && second ? E_NOTIMPL : E_POINTER;
  }
};

}  // namespace twutil
