// A whole file mapped read-only, for the probes that look into executables.
// Handles and the view are released when the object goes.
#pragma once

#include <windows.h>

#include "capture/ByteSpan.h"
#include "com/Owners.h"

namespace twutil {

class MappedFile {
 public:
  // Opens an existing file for reading (others may read too) and maps it.
  // Opened() tells whether that worked; GetLastError() then tells why not.
  explicit MappedFile(const wchar_t* path);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  bool Opened() const { return view_ != nullptr; }
  ByteSpan Bytes() const { return ByteSpan(view_, size_); }

 private:
  Handle file_;
  Handle mapping_;
  const void* view_ = nullptr;
  size_t size_ = 0;
};

}  // namespace twutil
