// The state and behaviour that the OLE interfaces of a control share: the
// container's sites, in-place activation with a window or without one, the
// advise holders, the extent and the repaint request.
#pragma once

#include <ocidl.h>
#include <oleidl.h>
#include <windows.h>

#include "com/Owners.h"
#include "control/ControlView.h"
#include "control/ControlWindow.h"
#include "control/ViewAdvise.h"

namespace twutil {

class ControlCore {
 public:
  // extent: the natural and initial size, in HIMETRIC.
  ControlCore(ControlView& view, const CLSID& clsid, SIZEL extent);
  ControlCore(const ControlCore&) = delete;
  ControlCore& operator=(const ControlCore&) = delete;
  ~ControlCore() = default;

  const CLSID& Clsid() const { return clsid_; }

  void SetClientSite(IOleClientSite* site) { clientSite_ = ComPtr<IOleClientSite>(site); }
  IOleClientSite* ClientSite() const { return clientSite_.Get(); }

  // Created on first use; null when that fails.
  IOleAdviseHolder* AdviseHolder();
  // Tells the OLE advise sinks, if any were ever registered.
  void SendOnClose();
  void SendOnSave();
  ViewAdvise& ViewSink() { return viewAdvise_; }

  SIZEL Extent() const { return extent_; }
  void SetExtent(SIZEL extent) { extent_ = extent; }
  bool Dirty() const { return dirty_; }
  void SetDirty(bool dirty) { dirty_ = dirty; }

  // In-place activation for the verbs that lead to it (PRIMARY, SHOW,
  // INPLACEACTIVATE, UIACTIVATE): windowless when the site allows it,
  // otherwise in a child window of the site's window.
  HRESULT Activate(LONG verb);
  HRESULT UIDeactivate();
  HRESULT InPlaceDeactivate();
  // Rectangles in the container window's client coordinates.
  HRESULT SetObjectRects(const RECT& position, const RECT& clip);
  void Hide();

  bool InPlaceActive() const { return inPlaceActive_; }
  bool Windowless() const { return inPlaceActive_ && windowless_; }
  HWND Window() const { return window_.Get(); }
  const RECT& PositionRect() const { return position_; }
  IOleInPlaceSiteWindowless* WindowlessSite() const { return windowlessSite_.Get(); }

  // Asks for the control to be painted again: its window, the windowless
  // site, or the view advise sink, depending on how the control is active.
  void RequestRepaint();

  // Paints through the view; keepState restores the DC afterwards.
  void Draw(HDC dc, const RECT& bounds, bool keepState);

 private:
  HRESULT EnterInPlace();
  void UIActivate();
  void ReleaseInPlaceSites();

  ControlView& view_;
  CLSID clsid_;
  SIZEL extent_;
  bool dirty_ = false;

  ComPtr<IOleClientSite> clientSite_;
  ComPtr<IOleAdviseHolder> adviseHolder_;
  ViewAdvise viewAdvise_;

  bool inPlaceActive_ = false;
  bool windowless_ = false;
  bool uiActive_ = false;
  RECT position_ = {};
  ComPtr<IOleInPlaceSite> inPlaceSite_;
  ComPtr<IOleInPlaceSiteEx> siteEx_;
  ComPtr<IOleInPlaceSiteWindowless> windowlessSite_;
  ComPtr<IOleInPlaceFrame> frame_;
  ComPtr<IOleInPlaceUIWindow> document_;
  ControlWindow window_;
};

}  // namespace twutil
