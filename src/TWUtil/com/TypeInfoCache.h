// Type information of a module's interfaces, loaded once from the module's
// type library and kept for the life of the process.
#pragma once

#include <oaidl.h>
#include <windows.h>

namespace twutil {

// Returns a new reference to the type information of iid.
HRESULT GetLibraryTypeInfo(REFIID iid, ITypeInfo** out);

// Drops every cached reference; called at process detach.
void ReleaseTypeInfoCache();

// Where the cache takes its library from: each module that serves dispatch
// defines this once (TWUtil: its registered library; the spy: its resource).
HRESULT LoadServedTypeLibrary(ITypeLib** out);

}  // namespace twutil
