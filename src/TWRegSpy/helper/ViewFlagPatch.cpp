#include "ViewFlagPatch.h"

#include <windows.h>
// psapi.h needs the types of windows.h.
#include <psapi.h>

#include <cwchar>

namespace twregspy {
namespace {

constexpr REGSAM kViewFlags = KEY_WOW64_32KEY | KEY_WOW64_64KEY;

REGSAM WithoutView(REGSAM access) { return access & ~kViewFlags; }

// The functions that the replacements forward to, resolved once.
struct Originals {
  decltype(&RegCreateKeyExW) createKeyExW;
  decltype(&RegCreateKeyExA) createKeyExA;
  decltype(&RegOpenKeyExW) openKeyExW;
  decltype(&RegOpenKeyExA) openKeyExA;
  decltype(&RegDeleteKeyExW) deleteKeyExW;
  decltype(&RegDeleteKeyExA) deleteKeyExA;
  decltype(&LoadLibraryW) loadLibraryW;
  decltype(&LoadLibraryA) loadLibraryA;
  decltype(&LoadLibraryExW) loadLibraryExW;
  decltype(&LoadLibraryExA) loadLibraryExA;
};
Originals originals = {};

LONG WINAPI CreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                         REGSAM access, const LPSECURITY_ATTRIBUTES security, PHKEY result,
                         LPDWORD disposition) {
  return originals.createKeyExW(key, subKey, reserved, keyClass, options, WithoutView(access),
                                security, result, disposition);
}

LONG WINAPI CreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                         REGSAM access, const LPSECURITY_ATTRIBUTES security, PHKEY result,
                         LPDWORD disposition) {
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

HMODULE WINAPI LoadW(LPCWSTR name) {
  HMODULE module = originals.loadLibraryW(name);
  if (module) StripRegistryViewsInLoadedModules();
  return module;
}

HMODULE WINAPI LoadA(LPCSTR name) {
  HMODULE module = originals.loadLibraryA(name);
  if (module) StripRegistryViewsInLoadedModules();
  return module;
}

HMODULE WINAPI LoadExW(LPCWSTR name, HANDLE file, DWORD flags) {
  HMODULE module = originals.loadLibraryExW(name, file, flags);
  if (module) StripRegistryViewsInLoadedModules();
  return module;
}

HMODULE WINAPI LoadExA(LPCSTR name, HANDLE file, DWORD flags) {
  HMODULE module = originals.loadLibraryExA(name, file, flags);
  if (module) StripRegistryViewsInLoadedModules();
  return module;
}

struct Replacement {
  const char* name;
  void* replacement;
  void** original;
};

// Registry functions live in kernelbase (advapi32 forwards there), loading
// functions in kernel32 and kernelbase; an import may name any of them.
const wchar_t* const kExporters[] = {L"kernelbase.dll", L"advapi32.dll", L"kernel32.dll"};
constexpr size_t kExporterCount = sizeof(kExporters) / sizeof(kExporters[0]);

template <class F>
void* Untyped(F f) {
  return reinterpret_cast<void*>(f);
}

Replacement kReplacements[] = {
    {"RegCreateKeyExW", Untyped(&CreateKeyExW), reinterpret_cast<void**>(&originals.createKeyExW)},
    {"RegCreateKeyExA", Untyped(&CreateKeyExA), reinterpret_cast<void**>(&originals.createKeyExA)},
    {"RegOpenKeyExW", Untyped(&OpenKeyExW), reinterpret_cast<void**>(&originals.openKeyExW)},
    {"RegOpenKeyExA", Untyped(&OpenKeyExA), reinterpret_cast<void**>(&originals.openKeyExA)},
    {"RegDeleteKeyExW", Untyped(&DeleteKeyExW), reinterpret_cast<void**>(&originals.deleteKeyExW)},
    {"RegDeleteKeyExA", Untyped(&DeleteKeyExA), reinterpret_cast<void**>(&originals.deleteKeyExA)},
    {"LoadLibraryW", Untyped(&LoadW), reinterpret_cast<void**>(&originals.loadLibraryW)},
    {"LoadLibraryA", Untyped(&LoadA), reinterpret_cast<void**>(&originals.loadLibraryA)},
    {"LoadLibraryExW", Untyped(&LoadExW), reinterpret_cast<void**>(&originals.loadLibraryExW)},
    {"LoadLibraryExA", Untyped(&LoadExA), reinterpret_cast<void**>(&originals.loadLibraryExA)},
};
constexpr size_t kReplacementCount = sizeof(kReplacements) / sizeof(kReplacements[0]);

// Every address under which an import table may hold each function.
void* exported[kReplacementCount][kExporterCount] = {};
bool resolved = false;

bool Resolve() {
  if (resolved) return true;
  for (size_t i = 0; i < kReplacementCount; ++i) {
    for (size_t e = 0; e < kExporterCount; ++e) {
      HMODULE exporter = GetModuleHandleW(kExporters[e]);
      if (exporter)
        exported[i][e] = reinterpret_cast<void*>(GetProcAddress(exporter, kReplacements[i].name));
      if (!*kReplacements[i].original && exported[i][e])
        *kReplacements[i].original = exported[i][e];
    }
    if (!*kReplacements[i].original) return false;
  }
  resolved = true;
  return true;
}

const Replacement* ReplacementFor(void* address) {
  if (!address) return nullptr;
  for (size_t i = 0; i < kReplacementCount; ++i) {
    for (size_t e = 0; e < kExporterCount; ++e) {
      if (exported[i][e] == address) return &kReplacements[i];
    }
  }
  return nullptr;
}

// The modules that implement the registry and the loader keep their own
// imports: the replacements forward into them.
bool IsSystemCore(HMODULE module) {
  const wchar_t* const core[] = {L"ntdll.dll", L"kernelbase.dll", L"kernel32.dll", L"advapi32.dll"};
  for (const wchar_t* name : core) {
    if (GetModuleHandleW(name) == module) return true;
  }
  HMODULE self = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&StripRegistryViewsInLoadedModules), &self);
  return module == self;
}

void PatchSlot(void** slot, void* replacement) {
  DWORD oldProtection = 0;
  if (!VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &oldProtection)) return;
  *slot = replacement;
  DWORD unused = 0;
  VirtualProtect(slot, sizeof(*slot), oldProtection, &unused);
}

void PatchModule(HMODULE module) {
  auto* base = reinterpret_cast<BYTE*>(module);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return;
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE ||
      nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC ||
      nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_IMPORT)
    return;
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!imports.VirtualAddress || !imports.Size) return;
  auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
  for (; descriptor->Name; ++descriptor) {
    if (!descriptor->FirstThunk) continue;
    auto** slot = reinterpret_cast<void**>(base + descriptor->FirstThunk);
    for (; *slot; ++slot) {
      const Replacement* replacement = ReplacementFor(*slot);
      if (replacement) PatchSlot(slot, replacement->replacement);
    }
  }
}

}  // namespace

void StripRegistryViewsInLoadedModules() {
  if (!Resolve()) return;
  HMODULE modules[1024];
  DWORD needed = 0;
  if (!EnumProcessModules(GetCurrentProcess(), modules, sizeof(modules), &needed)) return;
  size_t count = needed / sizeof(HMODULE);
  if (count > sizeof(modules) / sizeof(modules[0])) count = sizeof(modules) / sizeof(modules[0]);
  for (size_t i = 0; i < count; ++i) {
    if (!IsSystemCore(modules[i])) PatchModule(modules[i]);
  }
}

}  // namespace twregspy
