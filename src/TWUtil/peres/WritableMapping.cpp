#include "peres/WritableMapping.h"

namespace twutil {

WritableMapping::WritableMapping(const wchar_t* path) {
  file_ = Handle(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_.Valid()) return;
  LARGE_INTEGER length = {};
  if (!GetFileSizeEx(file_.Get(), &length)) return;
  // A 32-bit process cannot map more than its address space anyway.
  if (length.QuadPart > 0x7FFFFFFF) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return;
  }
  mapping_ = Handle(CreateFileMappingW(file_.Get(), nullptr, PAGE_READWRITE, 0, 0, nullptr));
  if (!mapping_.Valid()) return;
  view_ = MapViewOfFile(mapping_.Get(), FILE_MAP_WRITE, 0, 0, 0);
  if (view_) size_ = static_cast<size_t>(length.QuadPart);
}

WritableMapping::~WritableMapping() {
  DWORD error = GetLastError();
  if (view_) UnmapViewOfFile(view_);
  mapping_.Reset();
  file_.Reset();
  SetLastError(error);
}

}  // namespace twutil
