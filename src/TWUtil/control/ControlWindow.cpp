#include "control/ControlWindow.h"

#include "control/GdiObject.h"

namespace twutil {
namespace {

const wchar_t kClassName[] = L"TWUtilControlWindow";

// The module whose code runs the window procedure: the library itself, or a
// test program that links the control's code directly.
HINSTANCE CodeModule(const void* address) {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      static_cast<const wchar_t*>(address), &module);
  return module;
}

// A library loaded anew may find the class of its previous load still
// registered under the same instance, with a procedure that is gone.
bool EnsureClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW existing = {};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(instance, kClassName, &existing)) {
    if (existing.lpfnWndProc == procedure) return true;
    UnregisterClassW(kClassName, instance);
  }
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<const wchar_t*>(IDC_ARROW));
  windowClass.lpszClassName = kClassName;
  return RegisterClassExW(&windowClass) != 0;
}

}  // namespace

bool ControlWindow::Create(HWND parent, const RECT& position, const RECT& clip) {
  Destroy();
  HINSTANCE instance = CodeModule(reinterpret_cast<const void*>(&Procedure));
  if (!parent || !EnsureClass(instance, &Procedure)) return false;
  window_ = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                            position.left, position.top, position.right - position.left,
                            position.bottom - position.top, parent, nullptr, instance, this);
  if (!window_) return false;
  Place(position, clip);
  ShowWindow(window_, SW_SHOWNA);
  return true;
}

void ControlWindow::Place(const RECT& position, const RECT& clip) {
  if (!window_) return;
  MoveWindow(window_, position.left, position.top, position.right - position.left,
             position.bottom - position.top, TRUE);
  // Only the part inside the clip rectangle may show.
  RECT visible;
  if (!IntersectRect(&visible, &position, &clip)) SetRectEmpty(&visible);
  if (EqualRect(&visible, &position)) {
    SetWindowRgn(window_, nullptr, TRUE);
    return;
  }
  OffsetRect(&visible, -position.left, -position.top);
  GdiObject region(CreateRectRgnIndirect(&visible));
  // On success the window owns the region.
  if (region && SetWindowRgn(window_, static_cast<HRGN>(region.Get()), TRUE)) region.Release();
}

void ControlWindow::Show(bool visible) {
  if (window_) ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
}

void ControlWindow::Destroy() {
  if (!window_) return;
  HWND window = window_;
  window_ = nullptr;
  // Messages sent while the window goes no longer reach this owner.
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
}

void ControlWindow::PaintInto(HDC dc) {
  RECT client;
  GetClientRect(window_, &client);
  SavedDcState keep(dc);
  view_.PaintView(dc, client);
}

LRESULT CALLBACK ControlWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* owner = static_cast<ControlWindow*>(create->lpCreateParams);
    owner->window_ = window;  // paints may come before CreateWindowEx returns
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
  }
  auto* self = reinterpret_cast<ControlWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (dc && self) self->PaintInto(dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      if (self && wParam) self->PaintInto(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers the whole client area
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace twutil
