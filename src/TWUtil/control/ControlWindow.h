// The child window of a control that is active in place with a window of its
// own: it sits at the position the container gives and paints the control.
#pragma once

#include <windows.h>

#include "control/ControlView.h"

namespace twutil {

class ControlWindow {
 public:
  explicit ControlWindow(ControlView& view) : view_(view) {}
  ControlWindow(const ControlWindow&) = delete;
  ControlWindow& operator=(const ControlWindow&) = delete;
  ~ControlWindow() { Destroy(); }

  // Position and clip rectangles in the parent's client coordinates.
  bool Create(HWND parent, const RECT& position, const RECT& clip);
  void Place(const RECT& position, const RECT& clip);
  void Show(bool visible);
  void Destroy();
  HWND Get() const { return window_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void PaintInto(HDC dc);

  ControlView& view_;
  HWND window_ = nullptr;
};

}  // namespace twutil
