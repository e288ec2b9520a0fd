#include "com/ClassFactory.h"

#include <new>

#include "com/Module.h"
#include "com/TypeInfoCache.h"

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

HRESULT FactoryCache::Get(InstanceCreator creator, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!factory_) {
    Lock guard(Module::FactoryLock());
    if (!factory_) {
      ClassFactory* made = new (std::nothrow) ClassFactory(creator);
      if (!made) return E_OUTOFMEMORY;
      made->AddRef();  // the cache's own reference
      factory_ = made;
    }
  }
  HRESULT hr = factory_->QueryInterface(iid, out);
  if (*out == nullptr && SUCCEEDED(hr)) hr = CLASS_E_CLASSNOTAVAILABLE;
  return hr;
}

void FactoryCache::Release() {
  if (ClassFactory* held = factory_) {
    factory_ = nullptr;
    held->Release();
  }
}

BOOL ServerDllMain(HINSTANCE instance, DWORD reason, LPVOID reserved, void (*releaseCaches)()) {
  if (reason == DLL_PROCESS_ATTACH) {
    Module::Attach(instance);
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    if (!reserved) {
      releaseCaches();
      ReleaseTypeInfoCache();
    }
    Module::Detach();
  }
  return TRUE;
}

}  // namespace twutil
