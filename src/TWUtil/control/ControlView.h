// What the generic control machinery asks of the concrete control.
#pragma once

#include <oleidl.h>
#include <windows.h>

namespace twutil {

class ControlView {
 public:
  // Paints the control into bounds; the caller keeps the DC's state.
  virtual void PaintView(HDC dc, const RECT& bounds) = 0;
  // The control's own IOleInPlaceActiveObject, handed to the frame on UI
  // activation (no reference is added).
  virtual IOleInPlaceActiveObject* ActiveObject() = 0;

 protected:
  ~ControlView() = default;
};

}  // namespace twutil
