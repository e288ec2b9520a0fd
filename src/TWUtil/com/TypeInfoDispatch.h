// The IDispatch half of a dual interface, served from the registered type
// library: names and invocations go through the interface's ITypeInfo.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "com/Owners.h"
#include "com/TypeInfoCache.h"

namespace twutil {

template <class Dual>
class TypeInfoDispatch : public Dual {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }

  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return GetLibraryTypeInfo(__uuidof(Dual), info);
  }

  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    ComPtr<ITypeInfo> info;
    HRESULT hr = GetLibraryTypeInfo(__uuidof(Dual), info.Put());
    if (FAILED(hr)) return hr;
    return info->GetIDsOfNames(names, count, ids);
  }

  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* excep, UINT* argErr) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    ComPtr<ITypeInfo> info;
    HRESULT hr = GetLibraryTypeInfo(__uuidof(Dual), info.Put());
    if (FAILED(hr)) return hr;
    return info->Invoke(static_cast<Dual*>(this), id, flags, params, result, excep, argErr);
  }
};

}  // namespace twutil
