#include "control/ControlCore.h"

#include "control/GdiObject.h"

namespace twutil {

ControlCore::ControlCore(ControlView& view, const CLSID& clsid, SIZEL extent)
    : view_(view), clsid_(clsid), extent_(extent), window_(view) {}

IOleAdviseHolder* ControlCore::AdviseHolder() {
  if (!adviseHolder_) CreateOleAdviseHolder(adviseHolder_.Put());
  return adviseHolder_.Get();
}

void ControlCore::SendOnClose() {
  if (adviseHolder_) adviseHolder_->SendOnClose();
}

void ControlCore::SendOnSave() {
  if (adviseHolder_) adviseHolder_->SendOnSave();
}

HRESULT ControlCore::Activate(LONG verb) {
  if (!clientSite_) return E_UNEXPECTED;
  if (!inPlaceActive_) {
    HRESULT hr = EnterInPlace();
    if (FAILED(hr)) return hr;
  }
  if (verb == OLEIVERB_UIACTIVATE) UIActivate();
  window_.Show(true);
  clientSite_->ShowObject();
  return S_OK;
}

HRESULT ControlCore::EnterInPlace() {
  ComPtr<IOleInPlaceSite> site;
  if (FAILED(clientSite_.As(&site))) return E_NOINTERFACE;
  if (site->CanInPlaceActivate() != S_OK) return E_FAIL;
  site.As(&siteEx_);
  site.As(&windowlessSite_);
  windowless_ = windowlessSite_ && windowlessSite_->CanWindowlessActivate() == S_OK;
  BOOL noRedraw = FALSE;
  HRESULT hr = siteEx_
                   ? siteEx_->OnInPlaceActivateEx(&noRedraw, windowless_ ? ACTIVATE_WINDOWLESS : 0)
                   : site->OnInPlaceActivate();
  if (FAILED(hr)) {
    ReleaseInPlaceSites();
    return hr;
  }
  inPlaceActive_ = true;
  inPlaceSite_ = site;

  RECT clip = {};
  OLEINPLACEFRAMEINFO frameInfo = {};
  frameInfo.cb = sizeof(frameInfo);
  hr = site->GetWindowContext(frame_.Put(), document_.Put(), &position_, &clip, &frameInfo);
  if (SUCCEEDED(hr) && !windowless_) {
    HWND parent = nullptr;
    hr = site->GetWindow(&parent);
    if (SUCCEEDED(hr) && !window_.Create(parent, position_, clip)) hr = E_FAIL;
  }
  if (FAILED(hr)) InPlaceDeactivate();
  return hr;
}

void ControlCore::UIActivate() {
  if (uiActive_) return;
  uiActive_ = true;
  inPlaceSite_->OnUIActivate();
  if (windowless_)
    windowlessSite_->SetFocus(TRUE);
  else
    SetFocus(window_.Get());
  IOleInPlaceActiveObject* active = view_.ActiveObject();
  // The control has no tools or menus: it asks for no border space.
  if (frame_) {
    frame_->SetActiveObject(active, nullptr);
    frame_->SetBorderSpace(nullptr);
  }
  if (document_) {
    document_->SetActiveObject(active, nullptr);
    document_->SetBorderSpace(nullptr);
  }
}

HRESULT ControlCore::UIDeactivate() {
  if (!uiActive_) return S_OK;
  uiActive_ = false;
  if (frame_) frame_->SetActiveObject(nullptr, nullptr);
  if (document_) document_->SetActiveObject(nullptr, nullptr);
  if (windowless_ && windowlessSite_) windowlessSite_->SetFocus(FALSE);
  if (inPlaceSite_) inPlaceSite_->OnUIDeactivate(FALSE);
  return S_OK;
}

HRESULT ControlCore::InPlaceDeactivate() {
  if (!inPlaceActive_) return S_OK;
  UIDeactivate();
  window_.Destroy();
  inPlaceActive_ = false;
  // The site may call back into the control: the state is settled first.
  ComPtr<IOleInPlaceSite> site = inPlaceSite_;
  ComPtr<IOleInPlaceSiteEx> siteEx = siteEx_;
  ReleaseInPlaceSites();
  if (siteEx)
    siteEx->OnInPlaceDeactivateEx(TRUE);
  else if (site)
    site->OnInPlaceDeactivate();
  return S_OK;
}

void ControlCore::ReleaseInPlaceSites() {
  inPlaceSite_.Reset();
  siteEx_.Reset();
  windowlessSite_.Reset();
  frame_.Reset();
  document_.Reset();
  windowless_ = false;
}

HRESULT ControlCore::SetObjectRects(const RECT& position, const RECT& clip) {
  position_ = position;
  window_.Place(position, clip);
  return S_OK;
}

void ControlCore::Hide() {
  UIDeactivate();
  window_.Show(false);
  if (clientSite_) clientSite_->OnShowWindow(FALSE);
}

void ControlCore::RequestRepaint() {
  if (inPlaceActive_ && !windowless_ && window_.Get()) {
    InvalidateRect(window_.Get(), nullptr, TRUE);
  } else if (inPlaceActive_ && windowless_ && windowlessSite_) {
    windowlessSite_->InvalidateRect(&position_, TRUE);
  } else {
    viewAdvise_.SendViewChange(DVASPECT_CONTENT);
  }
}

void ControlCore::Draw(HDC dc, const RECT& bounds, bool keepState) {
  if (!keepState) {
    view_.PaintView(dc, bounds);
    return;
  }
  SavedDcState keep(dc);
  view_.PaintView(dc, bounds);
}

}  // namespace twutil
