#include "control/PropertyHeader.h"

namespace twutil {
namespace {

const SIZEL kNaturalExtent = {5080, 5080};  // two inches square, in HIMETRIC

HRESULT CopyOut(const Bstr& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocStringLen(text.Text(), text.Length());
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

PropertyHeader::PropertyHeader(IUnknown* outer)
    : ComObject(outer), core_(*this, CLSID_PropertyHeader, kNaturalExtent) {}

void* PropertyHeader::InterfaceFor(REFIID iid) {
  if (iid == IID_IPropertyHeader || iid == IID_IDispatch)
    return static_cast<IPropertyHeader*>(this);
  if (iid == IID_IViewObjectEx || iid == IID_IViewObject2 || iid == IID_IViewObject)
    return static_cast<IViewObjectEx*>(this);
  if (iid == IID_IOleInPlaceObjectWindowless || iid == IID_IOleInPlaceObject ||
      iid == IID_IOleWindow)
    return static_cast<IOleInPlaceObjectWindowless*>(this);
  if (iid == IID_IOleInPlaceActiveObject) return static_cast<IOleInPlaceActiveObject*>(this);
  if (iid == IID_IOleControl) return static_cast<IOleControl*>(this);
  if (iid == IID_IOleObject) return static_cast<IOleObject*>(this);
  if (iid == IID_IPersistStreamInit || iid == IID_IPersist)
    return static_cast<IPersistStreamInit*>(this);
  if (iid == IID_IObjectSafety) return static_cast<IObjectSafety*>(this);
  return nullptr;
}

STDMETHODIMP PropertyHeader::get_PropertyName(BSTR* pVal) { return CopyOut(name_, pVal); }

STDMETHODIMP PropertyHeader::get_PropertyClass(BSTR* pVal) { return CopyOut(class_, pVal); }

STDMETHODIMP PropertyHeader::put_PropertyName(BSTR newVal) { return Store(&name_, newVal); }

STDMETHODIMP PropertyHeader::put_PropertyClass(BSTR newVal) { return Store(&class_, newVal); }

// The texts are not part of the saved state: storing one leaves the control
// clean.
HRESULT PropertyHeader::Store(Bstr* field, BSTR text) {
  *field = text ? Bstr(text, SysStringLen(text)) : Bstr();
  core_.RequestRepaint();
  return S_OK;
}

void PropertyHeader::PaintView(HDC dc, const RECT& bounds) {
  painter_.Paint(dc, bounds, name_.Get(), class_.Get());
}

}  // namespace twutil
