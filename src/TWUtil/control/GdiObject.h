// GDI objects (brush, font, region) are owned by GdiObject (com/UniqueAny.h),
// deleted when the owner goes; and a device context's saved state.
#pragma once

#include <windows.h>

#include "com/UniqueAny.h"

namespace twutil {

// Keeps a device context's drawing state for the length of a scope, so that
// what a paint selects and sets does not outlive it.
class SavedDcState {
 public:
  explicit SavedDcState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  SavedDcState(const SavedDcState&) = delete;
  SavedDcState& operator=(const SavedDcState&) = delete;
  ~SavedDcState() {
    if (saved_) RestoreDC(dc_, saved_);
  }

 private:
  HDC dc_;
  int saved_;
};

}  // namespace twutil
