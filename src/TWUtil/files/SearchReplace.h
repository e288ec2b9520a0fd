// SearchReplace: text replacement in a file.
#pragma once

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/ObjectSafety.h"
#include "com/TypeInfoDispatch.h"

namespace twutil {

class SearchReplace : public ComObject<TypeInfoDispatch<ISearchReplace>, ObjectSafety> {
 public:
  explicit SearchReplace(IUnknown* outer) : ComObject(outer) {}

  STDMETHODIMP SearchAndReplace(BSTR, BSTR, BSTR, BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP get_DefaultPath(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP put_DefaultPath(BSTR) override { return E_NOTIMPL; }

 protected:
  void* InterfaceFor(REFIID iid) override {
    if (iid == IID_ISearchReplace || iid == IID_IDispatch) return static_cast<ISearchReplace*>(this);
    if (iid == IID_IObjectSafety) return static_cast<IObjectSafety*>(this);
    return nullptr;
  }
};

}  // namespace twutil
