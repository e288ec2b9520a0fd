#include "registry/HiveKey.h"

namespace twutil {

HKEY RootKeyOfHive(long hive) {
  static const HKEY kRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
                                HKEY_USERS};
  if (hive < 0 || hive > 3) return nullptr;
  return kRoots[hive];
}

bool OpenHiveKey(long hive, const wchar_t* path, REGSAM access, RegKey* key) {
  HKEY root = RootKeyOfHive(hive);
  if (!root) return false;
  return RegOpenKeyExW(root, path ? path : L"", 0, access, key->Put()) == ERROR_SUCCESS;
}

bool CreateHiveKey(long hive, const wchar_t* path, RegKey* key) {
  HKEY root = RootKeyOfHive(hive);
  if (!root) return false;
  return RegCreateKeyExW(root, path ? path : L"", 0, nullptr, REG_OPTION_NON_VOLATILE,
                         KEY_ALL_ACCESS, nullptr, key->Put(), nullptr) == ERROR_SUCCESS;
}

}  // namespace twutil
