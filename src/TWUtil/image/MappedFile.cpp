#include "image/MappedFile.h"

namespace twutil {

MappedFile::MappedFile(const wchar_t* path, MapMode mode) {
  const bool write = mode == MapMode::kWrite;
  file_ = Handle(CreateFileW(path, write ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                             write ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_.Valid()) return;
  LARGE_INTEGER length = {};
  if (!GetFileSizeEx(file_.Get(), &length)) return;
  // A 32-bit process cannot map more than its address space anyway.
  if (length.QuadPart > 0x7FFFFFFF) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return;
  }
  mapping_ = Handle(CreateFileMappingW(file_.Get(), nullptr, write ? PAGE_READWRITE : PAGE_READONLY,
                                       0, 0, nullptr));
  if (!mapping_.Valid()) return;
  view_.Reset(MapViewOfFile(mapping_.Get(), write ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, 0));
  if (view_) size_ = static_cast<size_t>(length.QuadPart);
}

MappedFile::~MappedFile() {
  // Unmapping and closing must not disturb the last-error value callers set.
  DWORD error = GetLastError();
  view_.Reset();
  mapping_.Reset();
  file_.Reset();
  SetLastError(error);
}

}  // namespace twutil
