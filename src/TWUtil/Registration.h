// Self-registration of the classes and the type library.
#pragma once

#include <windows.h>

#include "ClassTable.h"

namespace twutil {

HRESULT RegisterClassEntry(const ClassEntry& entry);
void UnregisterClassEntry(const ClassEntry& entry);

HRESULT RegisterTypeLibrary();
void UnregisterTypeLibrary();

// Deletes a key with all its subkeys; returns the Win32 error of the first
// failure.
LONG DeleteKeyTree(HKEY parent, const wchar_t* name);

}  // namespace twutil
