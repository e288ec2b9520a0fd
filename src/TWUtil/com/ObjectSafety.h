// Safe-for-scripting support shared by the scriptable classes: both options
// (untrusted caller, untrusted data) are supported for every interface.
#pragma once

#include <windows.h>
#include <objsafe.h>

// MinGW's objsafe.h does not declare the IID for __uuidof.
__CRT_UUID_DECL(IObjectSafety, 0xcb5bdc81, 0x93c1, 0x11cf, 0x8f, 0x20, 0x00, 0x80, 0x5f, 0x2c, 0xd0,
                0x64)

namespace twutil {

class ObjectSafety : public IObjectSafety {
 public:
  static constexpr DWORD kSupported =
      INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

  STDMETHODIMP GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) override {
    if (!supported || !enabled) return E_POINTER;
    IUnknown* asked = nullptr;
    HRESULT hr = QueryInterface(iid, reinterpret_cast<void**>(&asked));
    if (FAILED(hr)) {
      *supported = 0;
      *enabled = 0;
      return hr;
    }
    asked->Release();
    *supported = kSupported;
    *enabled = enabled_;
    return hr;
  }

  STDMETHODIMP SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD options) override {
    IUnknown* asked = nullptr;
    if (FAILED(QueryInterface(iid, reinterpret_cast<void**>(&asked)))) return E_NOINTERFACE;
    asked->Release();
    if (mask & ~kSupported) return E_FAIL;
    enabled_ = (enabled_ & ~mask) | (options & mask);
    return S_OK;
  }

 private:
  DWORD enabled_ = 0;
};

}  // namespace twutil
