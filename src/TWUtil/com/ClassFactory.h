// The class factory of one class table entry. The module caches one per class;
// references beyond the cache's own hold the module lock, so a client that
// keeps a factory keeps the library loaded.
#pragma once

#include <windows.h>
#include <unknwn.h>

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

}  // namespace twutil
