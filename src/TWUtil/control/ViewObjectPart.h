// IViewObjectEx of a control: drawing into the container's device context,
// the view advise, the extent and hit testing of an opaque rectangle.
#pragma once

#include <ocidl.h>
#include <windows.h>

#include "control/ControlPart.h"

namespace twutil {

class ViewObjectPart : public IViewObjectEx, protected ControlPart {
 public:
  // IViewObject
  STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE*, HDC, HDC dc,
                    LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                    ULONG_PTR) override;
  STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) override;
  STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD* freeze) override;
  STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  // IViewObject2
  STDMETHODIMP GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override;
  // IViewObjectEx
  STDMETHODIMP GetRect(DWORD, LPRECTL rect) override;
  STDMETHODIMP GetViewStatus(DWORD* status) override;
  STDMETHODIMP QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT point, LONG,
                             DWORD* result) override;
  STDMETHODIMP QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT rect, LONG,
                            DWORD* result) override;
  STDMETHODIMP GetNaturalExtent(DWORD aspect, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO* info,
                                LPSIZEL size) override;
};

}  // namespace twutil
