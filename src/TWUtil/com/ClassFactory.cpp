#include "com/ClassFactory.h"

#include "com/Module.h"

namespace twutil {

STDMETHODIMP ClassFactory::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
  AddRef();
  *out = static_cast<IClassFactory*>(this);
  return S_OK;
}

STDMETHODIMP_(ULONG) ClassFactory::AddRef() {
  LONG refs = InterlockedIncrement(&refs_);
  if (refs == 2) Module::Lock();  // first reference beyond the cache's
  return static_cast<ULONG>(refs);
}

STDMETHODIMP_(ULONG) ClassFactory::Release() {
  LONG refs = InterlockedDecrement(&refs_);
  if (refs == 1) Module::Unlock();
  if (refs == 0) delete this;
  return static_cast<ULONG>(refs);
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  return creator_(outer, iid, out);
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
  if (lock)
    Module::Lock();
  else
    Module::Unlock();
  return S_OK;
}

}  // namespace twutil
