#include "ViewFlagPatch.h"

#include <windows.h>

#include "KeysBeyondSave.h"

namespace twregspy {
namespace {

constexpr REGSAM kViewFlags = KEY_WOW64_32KEY | KEY_WOW64_64KEY;

REGSAM WithoutView(REGSAM access) { return access & ~kViewFlags; }

struct Originals {
  decltype(&RegCreateKeyExW) createKeyExW;
  decltype(&RegCreateKeyExA) createKeyExA;
  decltype(&RegOpenKeyExW) openKeyExW;
  decltype(&RegOpenKeyExA) openKeyExA;
  decltype(&RegDeleteKeyExW) deleteKeyExW;
  decltype(&RegDeleteKeyExA) deleteKeyExA;
};
Originals originals = {};

LONG WINAPI CreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                         REGSAM access, const LPSECURITY_ATTRIBUTES security, PHKEY result,
                         LPDWORD disposition) {
  CheckKeyCreation(options, keyClass && *keyClass);
  return originals.createKeyExW(key, subKey, reserved, keyClass, options, WithoutView(access),
                                security, result, disposition);
}

LONG WINAPI CreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                         REGSAM access, const LPSECURITY_ATTRIBUTES security, PHKEY result,
                         LPDWORD disposition) {
  CheckKeyCreation(options, keyClass && *keyClass);
  return originals.createKeyExA(key, subKey, reserved, keyClass, options, WithoutView(access),
                                security, result, disposition);
}

LONG WINAPI OpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  return originals.openKeyExW(key, subKey, options, WithoutView(access), result);
}

LONG WINAPI OpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  return originals.openKeyExA(key, subKey, options, WithoutView(access), result);
}

LONG WINAPI DeleteKeyExW(HKEY key, LPCWSTR subKey, REGSAM access, DWORD reserved) {
  return originals.deleteKeyExW(key, subKey, WithoutView(access), reserved);
}

LONG WINAPI DeleteKeyExA(HKEY key, LPCSTR subKey, REGSAM access, DWORD reserved) {
  return originals.deleteKeyExA(key, subKey, WithoutView(access), reserved);
}

const ImportReplacement kReplacements[] = {
    {"RegCreateKeyExW", Untyped(&CreateKeyExW), reinterpret_cast<void**>(&originals.createKeyExW)},
    {"RegCreateKeyExA", Untyped(&CreateKeyExA), reinterpret_cast<void**>(&originals.createKeyExA)},
    {"RegOpenKeyExW", Untyped(&OpenKeyExW), reinterpret_cast<void**>(&originals.openKeyExW)},
    {"RegOpenKeyExA", Untyped(&OpenKeyExA), reinterpret_cast<void**>(&originals.openKeyExA)},
    {"RegDeleteKeyExW", Untyped(&DeleteKeyExW), reinterpret_cast<void**>(&originals.deleteKeyExW)},
    {"RegDeleteKeyExA", Untyped(&DeleteKeyExA), reinterpret_cast<void**>(&originals.deleteKeyExA)},
};

}  // namespace

const ImportReplacement* ViewFlagReplacements(size_t* count) {
  *count = sizeof(kReplacements) / sizeof(kReplacements[0]);
  return kReplacements;
}

}  // namespace twregspy
