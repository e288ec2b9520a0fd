// The class factory of one class. The module caches one per class;
// references beyond the cache's own hold the module lock, so a client that
// keeps a factory keeps the library loaded.
#pragma once

#include <unknwn.h>
#include <windows.h>

namespace twutil {

using InstanceCreator = HRESULT (*)(IUnknown* outer, REFIID iid, void** out);

class ClassFactory : public IClassFactory {
 public:
  explicit ClassFactory(InstanceCreator creator) : creator_(creator) {}
  virtual ~ClassFactory() = default;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  STDMETHODIMP LockServer(BOOL lock) override;

 private:
  InstanceCreator creator_;
  volatile LONG refs_ = 0;
};

// The factory of one class, made on the first request and kept until the
// module leaves; concurrent first requests share one.
class FactoryCache {
 public:
  // The factory's answer for iid; E_OUTOFMEMORY when it cannot be made.
  HRESULT Get(InstanceCreator creator, REFIID iid, void** out);
  // Drops the cache's own reference.
  void Release();

 private:
  ClassFactory* factory_ = nullptr;
};

// DllMain of a server of this module kind: at unload (not at process exit,
// where other DLLs may already be gone) releaseCaches drops the factories,
// then the type information cache goes.
BOOL ServerDllMain(HINSTANCE instance, DWORD reason, LPVOID reserved, void (*releaseCaches)());

}  // namespace twutil
