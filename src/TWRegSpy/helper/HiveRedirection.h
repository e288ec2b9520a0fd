// Points the process's four predefined hives at the mirrors of the capture
// area, so that everything the process writes there lands under
// HKEY_CURRENT_USER\<root>\<hive name>.
#pragma once

#include <windows.h>

namespace twregspy {

// Opens (creating when missing) all four mirrors first, then overrides the
// hives; false when any step fails (the process must then run nothing).
bool RedirectHives(const wchar_t* captureRoot);

}  // namespace twregspy
