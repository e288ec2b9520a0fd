#include "control/ViewObjectPart.h"

namespace twutil {
namespace {

// The container lets the object leave its drawing state in the DC.
bool MayLeaveDcState(const void* aspectInfo) {
  auto* info = static_cast<const DVASPECTINFO*>(aspectInfo);
  return info && info->cb >= sizeof(DVASPECTINFO) && (info->dwFlags & DVASPECTINFOFLAG_CANOPTIMIZE);
}

}  // namespace

STDMETHODIMP ViewObjectPart::Draw(DWORD aspect, LONG, void* aspectInfo, DVTARGETDEVICE*, HDC,
                                  HDC dc, LPCRECTL bounds, LPCRECTL,
                                  BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!dc) return E_INVALIDARG;
  ControlCore& core = Core();
  RECT area;
  if (bounds) {
    SetRect(&area, bounds->left, bounds->top, bounds->right, bounds->bottom);
  } else if (core.Windowless()) {
    area = core.PositionRect();  // a windowless control draws where it sits
  } else {
    return E_INVALIDARG;
  }
  core.Draw(dc, area, !MayLeaveDcState(aspectInfo));
  return S_OK;
}

STDMETHODIMP ViewObjectPart::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                         LOGPALETTE** colors) {
  if (!colors) return E_POINTER;
  *colors = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP ViewObjectPart::Freeze(DWORD, LONG, void*, DWORD* freeze) {
  if (!freeze) return E_POINTER;
  *freeze = 0;
  return E_NOTIMPL;
}

STDMETHODIMP ViewObjectPart::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  Core().ViewSink().Set(aspects, flags, sink);
  return S_OK;
}

STDMETHODIMP ViewObjectPart::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  Core().ViewSink().Get(aspects, flags, sink);
  return S_OK;
}

STDMETHODIMP ViewObjectPart::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *size = Core().Extent();
  return S_OK;
}

STDMETHODIMP ViewObjectPart::GetRect(DWORD, LPRECTL rect) {
  if (!rect) return E_POINTER;
  return E_NOTIMPL;
}

STDMETHODIMP ViewObjectPart::GetViewStatus(DWORD* status) {
  if (!status) return E_POINTER;
  // The band covers the whole area in one colour.
  *status = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;
  return S_OK;
}

STDMETHODIMP ViewObjectPart::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT point, LONG,
                                           DWORD* result) {
  if (!bounds || !result) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return E_FAIL;
  *result = PtInRect(bounds, point) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

STDMETHODIMP ViewObjectPart::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT rect, LONG,
                                          DWORD* result) {
  if (!bounds || !rect || !result) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return E_FAIL;
  RECT overlap;
  *result = IntersectRect(&overlap, bounds, rect) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

STDMETHODIMP ViewObjectPart::GetNaturalExtent(DWORD aspect, LONG, DVTARGETDEVICE*, HDC,
                                              DVEXTENTINFO* info, LPSIZEL size) {
  if (!info || !size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT || info->cb < sizeof(DVEXTENTINFO) ||
      info->dwExtentMode != DVEXTENT_CONTENT)
    return E_FAIL;
  *size = Core().Extent();  // the persisted size is also the natural one
  return S_OK;
}

}  // namespace twutil
