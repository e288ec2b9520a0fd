// An owned C runtime stream, opened shared with other readers and writers so
// that the text-mode rules of the runtime apply to what goes through it.
#pragma once

#include <share.h>

#include <cstdio>
#include <string>

#include "com/UniqueAny.h"

namespace twutil {

inline void CloseStream(FILE* stream) { fclose(stream); }
using StdFile = UniqueAny<NullIsNone<FILE*, CloseStream>>;

inline StdFile OpenShared(const std::wstring& path, const wchar_t* mode) {
  return StdFile(_wfsopen(path.c_str(), mode, _SH_DENYNO));
}
inline StdFile OpenShared(const std::string& path, const char* mode) {
  return StdFile(_fsopen(path.c_str(), mode, _SH_DENYNO));
}

}  // namespace twutil
