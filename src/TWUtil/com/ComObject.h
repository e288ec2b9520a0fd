// Reference counting, identity and aggregation for every class of the library.
//
// A class derives from ComObject<Interfaces...> and answers InterfaceFor()
// with its interface map. Its interfaces' IUnknown methods delegate to the
// controlling unknown: the outer object when aggregated, the object's own
// inner unknown otherwise. Every live object holds one module lock.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <new>

#include "com/Module.h"

namespace twutil {

class ComObjectRoot {
 public:
  ComObjectRoot(const ComObjectRoot&) = delete;
  ComObjectRoot& operator=(const ComObjectRoot&) = delete;

  IUnknown* InnerUnknown() { return &inner_; }
  IUnknown* ControllingUnknown() { return controlling_; }

 protected:
  explicit ComObjectRoot(IUnknown* outer) : inner_(this), controlling_(outer ? outer : &inner_) {
    Module::Lock();
  }
  virtual ~ComObjectRoot() { Module::Unlock(); }

  // The interface map: a pointer of the right type for iid, or null. IUnknown
  // never reaches it.
  virtual void* InterfaceFor(REFIID iid) = 0;

  HRESULT DelegatingQueryInterface(REFIID iid, void** out) {
    return controlling_->QueryInterface(iid, out);
  }
  ULONG DelegatingAddRef() { return controlling_->AddRef(); }
  ULONG DelegatingRelease() { return controlling_->Release(); }

 private:
  class Inner : public IUnknown {
   public:
    explicit Inner(ComObjectRoot* owner) : owner_(owner) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
      if (!out) return E_POINTER;
      *out = nullptr;
      IUnknown* found = iid == IID_IUnknown ? this
                                            : static_cast<IUnknown*>(owner_->InterfaceFor(iid));
      if (!found) return E_NOINTERFACE;
      found->AddRef();
      *out = found;
      return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
      LONG left = InterlockedDecrement(&refs_);
      if (left == 0) delete owner_;
      return static_cast<ULONG>(left);
    }

   private:
    ComObjectRoot* owner_;
    volatile LONG refs_ = 0;
  };

  Inner inner_;
  IUnknown* controlling_;
};

template <class... Interfaces>
class ComObject : public ComObjectRoot, public Interfaces... {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    return DelegatingQueryInterface(iid, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return DelegatingAddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return DelegatingRelease(); }

 protected:
  explicit ComObject(IUnknown* outer) : ComObjectRoot(outer) {}
};

// The instance creator of a class: builds the object (aggregated when outer is
// given) and hands out the requested interface.
template <class T>
HRESULT CreateComObject(IUnknown* outer, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  // An aggregated object must be asked for its inner IUnknown first.
  if (outer && iid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
  T* object = new (std::nothrow) T(outer);
  if (!object) return E_OUTOFMEMORY;
  IUnknown* inner = object->InnerUnknown();
  inner->AddRef();
  HRESULT hr = inner->QueryInterface(iid, out);
  inner->Release();  // destroys the object when the query failed
  return hr;
}

}  // namespace twutil
