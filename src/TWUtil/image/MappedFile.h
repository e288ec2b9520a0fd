// A whole existing file mapped for reading (the probes that look into
// executables) or for writing (the version stamper). Nothing is flushed
// explicitly: changes reach the disk when the view is unmapped and the
// handles close, which happens when the object goes, on every path.
#pragma once

#include <windows.h>

#include <cstdint>

#include "com/Owners.h"
#include "image/ByteSpan.h"

namespace twutil {

enum class MapMode {
  kRead,   // others may read too
  kWrite,  // others may read and write too
};

class MappedFile {
 public:
  // Opened() tells whether opening and mapping worked; GetLastError() then
  // tells why not.
  explicit MappedFile(const wchar_t* path, MapMode mode = MapMode::kRead);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  bool Opened() const { return view_.Valid(); }
  ByteSpan Bytes() const { return ByteSpan(view_.Get(), size_); }
  // Writable in kWrite mode only.
  uint8_t* Data() const { return static_cast<uint8_t*>(view_.Get()); }
  size_t Size() const { return size_; }

 private:
  Handle file_;
  Handle mapping_;
  MappedView view_;
  size_t size_ = 0;
};

}  // namespace twutil
