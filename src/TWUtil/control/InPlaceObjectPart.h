// IOleInPlaceObjectWindowless and IOleInPlaceActiveObject of a control:
// deactivation, placement and the window of an in-place active control. The
// control takes no input, so messages and accelerators all pass it by.
#pragma once

#include <ocidl.h>
#include <oleidl.h>
#include <windows.h>

#include "control/ControlPart.h"

namespace twutil {

class InPlaceObjectPart : public IOleInPlaceObjectWindowless, protected ControlPart {
 public:
  // IOleWindow
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceObject
  STDMETHODIMP InPlaceDeactivate() override { return Core().InPlaceDeactivate(); }
  STDMETHODIMP UIDeactivate() override { return Core().UIDeactivate(); }
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
  // IOleInPlaceObjectWindowless
  STDMETHODIMP OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) override;
  STDMETHODIMP GetDropTarget(IDropTarget** target) override;
};

class InPlaceActiveObjectPart : public IOleInPlaceActiveObject, protected ControlPart {
 public:
  // IOleWindow
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceActiveObject
  STDMETHODIMP TranslateAccelerator(LPMSG) override { return S_FALSE; }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
};

}  // namespace twutil
