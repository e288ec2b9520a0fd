// What every stand-in for a caller's COM object needs: the dispatch half of
// a dual interface, and QueryInterface over the interfaces it implements.
#pragma once

#include <oaidl.h>
#include <windows.h>

namespace twtest {

// A dual interface whose stand-in is only ever called through its table.
template <class Dual>
class EarlyBoundOnly : public Dual {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    return E_NOTIMPL;
  }
};

// Answers QueryInterface for IUnknown and the interfaces given, as self.
template <class Self, class... Interfaces>
HRESULT Answer(Self* self, REFIID iid, void** out) {
  *out = nullptr;
  if (iid != IID_IUnknown && ((iid != __uuidof(Interfaces)) && ...)) return E_NOINTERFACE;
  *out = self;
  self->AddRef();
  return S_OK;
}

}  // namespace twtest
