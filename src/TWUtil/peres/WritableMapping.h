// A whole existing file mapped for writing. Nothing is flushed explicitly:
// the changes reach the disk when the view is unmapped and the handles close,
// which happens when the object goes, on every path.
#pragma once

#include <windows.h>

#include <cstdint>

#include "com/Owners.h"

namespace twutil {

class WritableMapping {
 public:
  // Opens the file for reading and writing (others may read and write too)
  // and maps all of it. Mapped() tells whether that worked; GetLastError()
  // then tells why not.
  explicit WritableMapping(const wchar_t* path);
  ~WritableMapping();
  WritableMapping(const WritableMapping&) = delete;
  WritableMapping& operator=(const WritableMapping&) = delete;

  bool Mapped() const { return view_ != nullptr; }
  uint8_t* Data() const { return static_cast<uint8_t*>(view_); }
  size_t Size() const { return size_; }

 private:
  Handle mapping_;
  Handle file_;
  void* view_ = nullptr;
  size_t size_ = 0;
};

}  // namespace twutil
