// The two resource handles of the icon transfer: a module loaded as a data
// file, and a pending resource update that is abandoned unless committed.
#pragma once

#include <windows.h>

#include "com/UniqueAny.h"

namespace twutil {

// Loads the file as data (no code runs); Valid() tells whether it worked.
inline ModuleHandle LoadAsData(const wchar_t* path) {
  return ModuleHandle(LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
}

inline void AbandonResourceUpdate(HANDLE update) { EndUpdateResourceW(update, TRUE); }
using ResourceUpdate = UniqueAny<NullIsNone<HANDLE, AbandonResourceUpdate>>;

// Keeps the file's existing resources.
inline ResourceUpdate BeginResourceUpdate(const wchar_t* path) {
  return ResourceUpdate(BeginUpdateResourceW(path, FALSE));
}
// Writes the file; true when that worked. Nothing is left to abandon.
inline bool CommitResourceUpdate(ResourceUpdate& update) {
  return EndUpdateResourceW(update.Release(), FALSE) != FALSE;
}

}  // namespace twutil
