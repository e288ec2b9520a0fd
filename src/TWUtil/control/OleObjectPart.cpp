#include "control/OleObjectPart.h"

namespace twutil {

STDMETHODIMP OleObjectPart::SetClientSite(IOleClientSite* site) {
  Core().SetClientSite(site);
  return S_OK;
}

STDMETHODIMP OleObjectPart::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = Core().ClientSite();
  if (*site) (*site)->AddRef();
  return S_OK;
}

STDMETHODIMP OleObjectPart::Close(DWORD saveOption) {
  ControlCore& core = Core();
  core.InPlaceDeactivate();
  bool save = saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE;
  if (save && core.Dirty() && core.ClientSite()) {
    if (SUCCEEDED(core.ClientSite()->SaveObject())) core.SendOnSave();
  }
  core.SendOnClose();
  return S_OK;
}

STDMETHODIMP OleObjectPart::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (!moniker) return E_POINTER;
  *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP OleObjectPart::GetClipboardData(DWORD, IDataObject** data) {
  if (!data) return E_POINTER;
  *data = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP OleObjectPart::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND,
                                   LPCRECT) {
  ControlCore& core = Core();
  if (!core.ClientSite() && activeSite) core.SetClientSite(activeSite);
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      return core.Activate(verb);
    case OLEIVERB_HIDE:
      core.Hide();
      return S_OK;
    default:
      break;
  }
  // No open editing and no property pages. An unknown application verb runs
  // the primary one instead.
  if (verb <= 0) return E_NOTIMPL;
  HRESULT hr = core.Activate(OLEIVERB_PRIMARY);
  return FAILED(hr) ? hr : OLEOBJ_S_INVALIDVERB;
}

STDMETHODIMP OleObjectPart::EnumVerbs(IEnumOLEVERB** verbs) {
  if (!verbs) return E_POINTER;
  return OleRegEnumVerbs(Core().Clsid(), verbs);
}

STDMETHODIMP OleObjectPart::GetUserClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = Core().Clsid();
  return S_OK;
}

STDMETHODIMP OleObjectPart::GetUserType(DWORD form, LPOLESTR* userType) {
  if (!userType) return E_POINTER;
  return OleRegGetUserType(Core().Clsid(), form, userType);
}

STDMETHODIMP OleObjectPart::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  ControlCore& core = Core();
  core.SetExtent(*size);
  core.SetDirty(true);
  core.RequestRepaint();
  return S_OK;
}

STDMETHODIMP OleObjectPart::GetExtent(DWORD aspect, SIZEL* size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *size = Core().Extent();
  return S_OK;
}

STDMETHODIMP OleObjectPart::Advise(IAdviseSink* sink, DWORD* connection) {
  if (!connection) return E_POINTER;
  *connection = 0;
  IOleAdviseHolder* holder = Core().AdviseHolder();
  return holder ? holder->Advise(sink, connection) : E_OUTOFMEMORY;
}

STDMETHODIMP OleObjectPart::Unadvise(DWORD connection) {
  IOleAdviseHolder* holder = Core().AdviseHolder();
  return holder ? holder->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP OleObjectPart::EnumAdvise(IEnumSTATDATA** advises) {
  if (!advises) return E_POINTER;
  *advises = nullptr;
  IOleAdviseHolder* holder = Core().AdviseHolder();
  return holder ? holder->EnumAdvise(advises) : E_OUTOFMEMORY;
}

STDMETHODIMP OleObjectPart::GetMiscStatus(DWORD aspect, DWORD* status) {
  if (!status) return E_POINTER;
  *status = 0;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  // Drawn by the container even when inactive, activated as soon as visible.
  *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
            OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;
  return S_OK;
}

}  // namespace twutil
