#include "HiveRedirection.h"

#include <string>

#include "com/Owners.h"

namespace twregspy {
namespace {

struct Hive {
  HKEY predefined;
  const wchar_t* name;
};

const Hive kHives[] = {
    {HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, L"HKEY_USERS"},
};
constexpr size_t kHiveCount = sizeof(kHives) / sizeof(kHives[0]);

}  // namespace

bool RedirectHives(const wchar_t* captureRoot) {
  if (!captureRoot || !*captureRoot) return false;
  // Every mirror is opened before any hive moves: once HKEY_CURRENT_USER is
  // overridden, the mirrors' own paths would resolve inside the capture area.
  twutil::RegKey mirrors[kHiveCount];
  for (size_t i = 0; i < kHiveCount; ++i) {
    std::wstring path = std::wstring(captureRoot) + L"\\" + kHives[i].name;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, mirrors[i].Put(), nullptr) != ERROR_SUCCESS)
      return false;
  }
  for (size_t i = 0; i < kHiveCount; ++i) {
    // The override keeps a handle of its own.
    if (RegOverridePredefKey(kHives[i].predefined, mirrors[i].Get()) != ERROR_SUCCESS) return false;
  }
  return true;
}

}  // namespace twregspy
