// TWResXfer: copies icon groups between executables.
#pragma once

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/ObjectSafety.h"
#include "com/Owners.h"
#include "com/TypeInfoDispatch.h"
#include "peres/ResourceHandles.h"

namespace twutil {

// Every method answers S_OK and tells the outcome in varResult: a VT_I4 of 0
// for success and -1 for failure. A null out-pointer is E_POINTER.
class TWResXfer : public ComObject<TypeInfoDispatch<ITWXferIconResource>, ObjectSafety> {
 public:
  explicit TWResXfer(IUnknown* outer) : ComObject(outer) {}

  STDMETHODIMP SetSourceFile(BSTR bSourceFileName, VARIANT* varResult) override;
  STDMETHODIMP GetSourceFile(VARIANT* pbSourceFileName, VARIANT* varResult) override;
  STDMETHODIMP SetDestinationFile(BSTR bDestFileName, VARIANT* varResult) override;
  STDMETHODIMP GetDestinationFile(VARIANT* pbDestFileName, VARIANT* varResult) override;
  STDMETHODIMP CopyIconResource(VARIANT nIconIndex, VARIANT* nOutIndex,
                                VARIANT* varResult) override;

 protected:
  void* InterfaceFor(REFIID iid) override {
    if (iid == IID_IDispatch || iid == IID_ITWXferIconResource)
      return static_cast<ITWXferIconResource*>(this);
    if (iid == IID_IObjectSafety) return static_cast<IObjectSafety*>(this);
    return nullptr;
  }

 private:
  // True when the group was copied; *outIndex then holds the value to return.
  bool Copy(const VARIANT& iconIndex, const VARIANT& outIndex, long* returned);

  Bstr source_;
  Bstr destination_;
  ModuleHandle sourceModule_;  // loaded only during CopyIconResource
};

}  // namespace twutil
