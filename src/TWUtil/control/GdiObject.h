// Owning GDI object handle (brush, font, region): deleted when the owner goes.
#pragma once

#include <windows.h>

#include <utility>

namespace twutil {

class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(HGDIOBJ object) : object_(object) {}
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
  GdiObject& operator=(GdiObject&& other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~GdiObject() { Reset(); }

  void Reset(HGDIOBJ object = nullptr) {
    if (object_) DeleteObject(object_);
    object_ = object;
  }
  HGDIOBJ Get() const { return object_; }
  // Gives up ownership, for a handle that something else now owns.
  HGDIOBJ Release() { return std::exchange(object_, nullptr); }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  HGDIOBJ object_ = nullptr;
};

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
