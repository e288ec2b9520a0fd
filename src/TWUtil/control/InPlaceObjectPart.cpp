#include "control/InPlaceObjectPart.h"

namespace twutil {
namespace {

// Only a control active with a window of its own has one to give.
HRESULT WindowOf(const ControlCore& core, HWND* window) {
  if (!window) return E_POINTER;
  *window = core.Window();
  return *window ? S_OK : E_FAIL;
}

}  // namespace

STDMETHODIMP InPlaceObjectPart::GetWindow(HWND* window) { return WindowOf(Core(), window); }

STDMETHODIMP InPlaceObjectPart::SetObjectRects(LPCRECT position, LPCRECT clip) {
  if (!position || !clip) return E_POINTER;
  return Core().SetObjectRects(*position, *clip);
}

STDMETHODIMP InPlaceObjectPart::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) {
  if (!result) return E_POINTER;
  *result = 0;
  return S_FALSE;
}

STDMETHODIMP InPlaceObjectPart::GetDropTarget(IDropTarget** target) {
  if (!target) return E_POINTER;
  *target = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP InPlaceActiveObjectPart::GetWindow(HWND* window) { return WindowOf(Core(), window); }

}  // namespace twutil
