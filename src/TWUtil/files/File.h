// File: file services for scripts.
#pragma once

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/ObjectSafety.h"
#include "com/TypeInfoDispatch.h"

namespace twutil {

class File : public ComObject<TypeInfoDispatch<IFileSys>, ObjectSafety> {
 public:
  explicit File(IUnknown* outer) : ComObject(outer) {}

  STDMETHODIMP FileCopy(BSTR, BSTR, VARIANT_BOOL, LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP FileExists(BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP ShowDemo(BSTR, BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP LogError(BSTR, BSTR, BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP IsFileUnicode(BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP LogMessage(BSTR, BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP FileType(BSTR, EnumFileType*) override { return E_NOTIMPL; }
  STDMETHODIMP IsCPSupported(BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP IsCPInstalled(BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP GetVxdVersionInfoSize(BSTR, LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP GetVxdVersionInfo(BSTR, LONG, LONG*, LONG*, BSTR*, VARIANT*, VARIANT*,
                                 VARIANT_BOOL*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetShortLongFilename(BSTR, BSTR, BSTR*, LONG*) override { return E_NOTIMPL; }

 protected:
  void* InterfaceFor(REFIID iid) override {
    if (iid == IID_IFileSys || iid == IID_IDispatch) return static_cast<IFileSys*>(this);
    if (iid == IID_IObjectSafety) return static_cast<IObjectSafety*>(this);
    return nullptr;
  }
};

}  // namespace twutil
