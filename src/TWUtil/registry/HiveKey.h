// Reaching a key below one of the four hives a script may name. A hive
// number outside the table is refused before the registry is touched.
#pragma once

#include <windows.h>

#include "com/Owners.h"

namespace twutil {

// The predefined root key of hive 0..3 (classes root, current user, local
// machine, users), or null for any other number.
HKEY RootKeyOfHive(long hive);

// Opens an existing key; a null or empty path opens the hive itself.
bool OpenHiveKey(long hive, const wchar_t* path, REGSAM access, RegKey* key);

// Creates the key (and any missing parents) or opens it when present.
bool CreateHiveKey(long hive, const wchar_t* path, RegKey* key);

}  // namespace twutil
