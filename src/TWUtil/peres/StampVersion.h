// StampVersion: rewrites the version strings of an executable in place.
#pragma once

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/SupportErrorInfo.h"
#include "com/TypeInfoDispatch.h"

namespace twutil {

class StampVersion
    : public ComObject<TypeInfoDispatch<IStampVersion>, SupportErrorInfo<IStampVersion>> {
 public:
  explicit StampVersion(IUnknown* outer) : ComObject(outer) {}

  // Always S_OK: what happened is told only by the diagnostics on stdout.
  STDMETHODIMP Stamp(BSTR sFile2Stamp, StampVerOption* svoOption) override;

 protected:
  void* InterfaceFor(REFIID iid) override {
    if (iid == IID_IStampVersion || iid == IID_IDispatch) return static_cast<IStampVersion*>(this);
    if (iid == IID_ISupportErrorInfo) return static_cast<ISupportErrorInfo*>(this);
    return nullptr;
  }
};

}  // namespace twutil
