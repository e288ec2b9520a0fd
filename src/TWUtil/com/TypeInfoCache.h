// Type information of the library's interfaces, taken from the registered
// type library and kept for the life of the process.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace twutil {

// Returns a new reference to the type information of iid, loaded from the
// registered TWUtilityLib (1.0, 0x409).
HRESULT GetLibraryTypeInfo(REFIID iid, ITypeInfo** out);

// Drops every cached reference; called at process detach.
void ReleaseTypeInfoCache();

}  // namespace twutil
