// Guid: new GUID strings for scripts.
#pragma once

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/ObjectSafety.h"
#include "com/TypeInfoDispatch.h"

namespace twutil {

class Guid : public ComObject<TypeInfoDispatch<IGuid>, ObjectSafety> {
 public:
  explicit Guid(IUnknown* outer) : ComObject(outer) {}

  // A new GUID in registry form; S_OK always, a null string when none could
  // be made.
  STDMETHODIMP CreateGuid(BSTR* guidText) override;

 protected:
  void* InterfaceFor(REFIID iid) override {
    if (iid == IID_IDispatch || iid == IID_IGuid) return static_cast<IGuid*>(this);
    if (iid == IID_IObjectSafety) return static_cast<IObjectSafety*>(this);
    return nullptr;
  }
};

}  // namespace twutil
