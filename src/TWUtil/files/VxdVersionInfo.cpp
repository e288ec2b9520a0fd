#include "files/VxdVersionInfo.h"

#include "com/Owners.h"
#include "files/VersionData16.h"
#include "files/VxdVersionReader.h"

namespace twutil {

long GetVxdVersionDataSize(const wchar_t* path) {
  DWORD size = 0;
  if (ExtractVxdVersionData(path, &size, nullptr) || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return 0;
  SetLastError(ERROR_SUCCESS);
  return static_cast<long>(size);
}

VxdVersionInfo ReadVxdVersionInfo(const wchar_t* path, long bufferSize) {
  VxdVersionInfo info;
  if (bufferSize <= 0) return info;
  // Committed read-write pages of its own, released on every way out.
  VirtualPages buffer(VirtualAlloc(nullptr, static_cast<size_t>(bufferSize),
                                   MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!buffer.Get()) return info;
  DWORD size = static_cast<DWORD>(bufferSize);
  if (!ExtractVxdVersionData(path, &size, buffer.Get())) return info;

  ByteSpan data(buffer.Get(), size);
  VS_FIXEDFILEINFO fixed;
  if (!QueryFixedFileInfo(data, &fixed)) return info;
  info.hasFixedInfo = true;
  info.fileVersionMS = fixed.dwFileVersionMS;
  info.fileVersionLS = fixed.dwFileVersionLS;
  info.hasTranslations = QueryTranslations(data, &info.translations);
  return info;
}

}  // namespace twutil
