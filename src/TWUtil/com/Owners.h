// RAII owners for the handles, keys, strings, variants and interface pointers
// that the library touches. Every one releases what it holds on every path.
#pragma once

#include <oleauto.h>
#include <windows.h>

#include <utility>

#include "com/UniqueAny.h"

namespace twutil {

// Owning interface pointer.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference of its own.
  explicit ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
  ComPtr(ComPtr&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  ~ComPtr() { Reset(); }
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }

  // Adopts a reference the caller already owns.
  static ComPtr Adopt(T* p) {
    ComPtr result;
    result.p_ = p;
    return result;
  }

  void Reset() {
    if (p_) {
      T* p = p_;
      p_ = nullptr;
      p->Release();
    }
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out-parameters: releases what is held first.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  T* Detach() {
    T* p = p_;
    p_ = nullptr;
    return p;
  }

  template <class U>
  HRESULT As(ComPtr<U>* out) const {
    if (!p_) return E_POINTER;
    return p_->QueryInterface(__uuidof(U), out->PutVoid());
  }

 private:
  T* p_ = nullptr;
};

// Owning BSTR.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const wchar_t* text) : b_(text ? SysAllocString(text) : nullptr) {}
  Bstr(const wchar_t* text, UINT length) : b_(SysAllocStringLen(text, length)) {}
  Bstr(const Bstr& other)
      : b_(other.b_ ? SysAllocStringLen(other.b_, SysStringLen(other.b_)) : nullptr) {}
  Bstr(Bstr&& other) noexcept : b_(other.b_) { other.b_ = nullptr; }
  ~Bstr() { SysFreeString(b_); }
  Bstr& operator=(Bstr other) noexcept {
    std::swap(b_, other.b_);
    return *this;
  }

  static Bstr Adopt(BSTR b) {
    Bstr result;
    result.b_ = b;
    return result;
  }

  BSTR Get() const { return b_; }
  // Never null: a null BSTR reads as the empty string.
  const wchar_t* Text() const { return b_ ? b_ : L""; }
  UINT Length() const { return SysStringLen(b_); }
  bool Empty() const { return Length() == 0; }
  BSTR* Put() {
    SysFreeString(b_);
    b_ = nullptr;
    return &b_;
  }
  BSTR Detach() {
    BSTR b = b_;
    b_ = nullptr;
    return b;
  }

 private:
  BSTR b_ = nullptr;
};

// Owning VARIANT.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&v_); }

  VARIANT* Put() {
    VariantClear(&v_);
    return &v_;
  }
  VARIANT& Ref() { return v_; }
  const VARIANT& Ref() const { return v_; }
  VARTYPE Type() const { return V_VT(&v_); }

 private:
  VARIANT v_;
};

class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSection(&cs_); }
  ~CriticalSection() { DeleteCriticalSection(&cs_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  void Enter() { EnterCriticalSection(&cs_); }
  void Leave() { LeaveCriticalSection(&cs_); }

 private:
  CRITICAL_SECTION cs_;
};

class Lock {
 public:
  explicit Lock(CriticalSection& cs) : cs_(cs) { cs_.Enter(); }
  ~Lock() { cs_.Leave(); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  CriticalSection& cs_;
};

}  // namespace twutil
