// Registry: forgiving registry access for scripts and for the live capture.
// No state: every call opens its key, does its one job and closes the key.
// Every member returns S_OK; the outcome travels in lResult (0 or -1).
#pragma once

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/ObjectSafety.h"
#include "com/TypeInfoDispatch.h"

namespace twutil {

class Registry : public ComObject<TypeInfoDispatch<IRegistry>, ObjectSafety> {
 public:
  explicit Registry(IUnknown* outer) : ComObject(outer) {}

  STDMETHODIMP RegAddValue(ERegistryHives hive, BSTR key, BSTR valueName, ERegistryDataTypes type,
                           VARIANT* value, LONG* result) override;
  STDMETHODIMP RegReadValue(ERegistryHives hive, BSTR key, BSTR valueName, ERegistryDataTypes type,
                            VARIANT* value, LONG* result) override;
  STDMETHODIMP RegQueryKey(ERegistryHives hive, BSTR key, ERegistryQueryTypes queryType,
                           VARIANT* names, LONG* result) override;
  STDMETHODIMP RegDeleteValue(ERegistryHives hive, BSTR key, BSTR valueName, LONG* result) override;
  STDMETHODIMP RegSoftDeleteRegValue(ERegistryHives hive, BSTR key, BSTR valueName,
                                     VARIANT_BOOL deleteAllValues, LONG* result) override;
  STDMETHODIMP RegSetExtractComponent(IExtractComponent* component, ERegistryHives hive, BSTR key,
                                      BSTR valueName, VARIANT_BOOL deleteAllValues,
                                      LONG* result) override;
  STDMETHODIMP RegReadType(ERegistryHives hive, BSTR key, BSTR valueName, LONG* type,
                           LONG* result) override;

 protected:
  void* InterfaceFor(REFIID iid) override;
};

// lResult as the caller sees it.
inline void ReportOutcome(LONG* result, bool succeeded) {
  if (result) *result = succeeded ? 0 : -1;
}

}  // namespace twutil
