#include "ImportRewrite.h"

#include <windows.h>
// psapi.h needs the types of windows.h.
#include <psapi.h>

#include <vector>

#include "ChildProcessBlock.h"
#include "KeysBeyondSave.h"
#include "ViewFlagPatch.h"
#include "com/Owners.h"

namespace twregspy {
namespace {

struct LoadOriginals {
  decltype(&LoadLibraryW) loadLibraryW;
  decltype(&LoadLibraryA) loadLibraryA;
  decltype(&LoadLibraryExW) loadLibraryExW;
  decltype(&LoadLibraryExA) loadLibraryExA;
};
LoadOriginals loads = {};

HMODULE WINAPI LoadW(LPCWSTR name) {
  HMODULE module = loads.loadLibraryW(name);
  if (module) RewriteImportsInLoadedModules();
  return module;
}

HMODULE WINAPI LoadA(LPCSTR name) {
  HMODULE module = loads.loadLibraryA(name);
  if (module) RewriteImportsInLoadedModules();
  return module;
}

HMODULE WINAPI LoadExW(LPCWSTR name, HANDLE file, DWORD flags) {
  HMODULE module = loads.loadLibraryExW(name, file, flags);
  if (module) RewriteImportsInLoadedModules();
  return module;
}

HMODULE WINAPI LoadExA(LPCSTR name, HANDLE file, DWORD flags) {
  HMODULE module = loads.loadLibraryExA(name, file, flags);
  if (module) RewriteImportsInLoadedModules();
  return module;
}

const ImportReplacement kLoadReplacements[] = {
    {"LoadLibraryW", Untyped(&LoadW), reinterpret_cast<void**>(&loads.loadLibraryW)},
    {"LoadLibraryA", Untyped(&LoadA), reinterpret_cast<void**>(&loads.loadLibraryA)},
    {"LoadLibraryExW", Untyped(&LoadExW), reinterpret_cast<void**>(&loads.loadLibraryExW)},
    {"LoadLibraryExA", Untyped(&LoadExA), reinterpret_cast<void**>(&loads.loadLibraryExA)},
};

// Registry functions live in kernelbase (advapi32 forwards there), loading
// and process functions in kernel32 and kernelbase, the shell's in shell32,
// the system calls in ntdll; an import may name any of them.
const wchar_t* const kExporters[] = {L"kernelbase.dll", L"advapi32.dll", L"kernel32.dll",
                                     L"shell32.dll", L"ntdll.dll"};
constexpr size_t kExporterCount = sizeof(kExporters) / sizeof(kExporters[0]);

struct Target {
  const ImportReplacement* replacement;
  void* exported[kExporterCount];
};

// Every address under which an import table may hold each function, looked
// up again on every pass: an exporter may have arrived since.
std::vector<Target> Resolve() {
  std::vector<Target> targets;
  const ImportReplacement* tables[4] = {kLoadReplacements, nullptr, nullptr, nullptr};
  size_t counts[4] = {sizeof(kLoadReplacements) / sizeof(kLoadReplacements[0]), 0, 0, 0};
  tables[1] = ViewFlagReplacements(&counts[1]);
  tables[2] = ChildProcessReplacements(&counts[2]);
  tables[3] = KeyBeyondSaveReplacements(&counts[3]);
  for (size_t t = 0; t < 4; ++t) {
    for (size_t i = 0; i < counts[t]; ++i) {
      Target target = {&tables[t][i], {}};
      for (size_t e = 0; e < kExporterCount; ++e) {
        HMODULE exporter = GetModuleHandleW(kExporters[e]);
        if (exporter)
          target.exported[e] =
              reinterpret_cast<void*>(GetProcAddress(exporter, target.replacement->name));
        void** original = target.replacement->original;
        if (original && !*original && target.exported[e]) *original = target.exported[e];
      }
      // A replacement with nothing to forward to stays out.
      if (!target.replacement->original || *target.replacement->original) targets.push_back(target);
    }
  }
  return targets;
}

void* ReplacementFor(const std::vector<Target>& targets, void* address) {
  if (!address) return nullptr;
  for (const Target& target : targets) {
    for (void* exported : target.exported) {
      if (exported == address) return target.replacement->replacement;
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
      reinterpret_cast<LPCWSTR>(&RewriteImportsInLoadedModules), &self);
  return module == self;
}

void PatchSlot(void** slot, void* replacement) {
  DWORD oldProtection = 0;
  if (!VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &oldProtection)) return;
  *slot = replacement;
  DWORD unused = 0;
  VirtualProtect(slot, sizeof(*slot), oldProtection, &unused);
}

void PatchModule(HMODULE module, const std::vector<Target>& targets) {
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
      void* replacement = ReplacementFor(targets, *slot);
      if (replacement) PatchSlot(slot, replacement);
    }
  }
}

}  // namespace

void RewriteImportsInLoadedModules() {
  // Loading on two threads at once rewrites one after the other.
  static twutil::CriticalSection guard;
  twutil::Lock lock(guard);
  const std::vector<Target> targets = Resolve();
  HMODULE modules[1024];
  DWORD needed = 0;
  if (!EnumProcessModules(GetCurrentProcess(), modules, sizeof(modules), &needed)) return;
  size_t count = needed / sizeof(HMODULE);
  if (count > sizeof(modules) / sizeof(modules[0])) count = sizeof(modules) / sizeof(modules[0]);
  for (size_t i = 0; i < count; ++i) {
    if (!IsSystemCore(modules[i])) PatchModule(modules[i], targets);
  }
}

}  // namespace twregspy
