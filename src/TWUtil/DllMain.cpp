// The four exported entry points of the in-process server and DllMain.
#include <windows.h>
#include <objbase.h>

#include "ClassTable.h"
#include "Registration.h"
#include "com/Module.h"
#include "com/Owners.h"
#include "com/TypeInfoCache.h"

using namespace twutil;

namespace {

// The cached factory of an entry, created once; the second check inside the
// lock makes concurrent first requests share one factory.
ClassFactory* FactoryFor(ClassEntry& entry) {
  if (!entry.cachedFactory) {
    Lock guard(Module::FactoryLock());
    if (!entry.cachedFactory) {
      ClassFactory* factory = new (std::nothrow) ClassFactory(entry.createInstance);
      if (!factory) return nullptr;
      factory->AddRef();  // the cache's own reference
      entry.cachedFactory = factory;
    }
  }
  return entry.cachedFactory;
}

void ReleaseFactories() {
  ClassEntry* table = ClassTable();
  for (size_t i = 0; i < ClassTableSize(); ++i) {
    if (table[i].cachedFactory) {
      ClassFactory* factory = table[i].cachedFactory;
      table[i].cachedFactory = nullptr;
      factory->Release();
    }
  }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    Module::Attach(instance);
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    // At process exit other DLLs may already be gone: only drop our own memory.
    if (!reserved) {
      ReleaseFactories();
      ReleaseTypeInfoCache();
    }
    Module::Detach();
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  ClassEntry* table = ClassTable();
  for (size_t i = 0; i < ClassTableSize(); ++i) {
    ClassEntry& entry = table[i];
    if (!entry.createInstance || !IsEqualCLSID(*entry.clsid, clsid)) continue;
    ClassFactory* factory = FactoryFor(entry);
    if (!factory) return E_OUTOFMEMORY;
    HRESULT hr = factory->QueryInterface(iid, out);
    if (*out == nullptr && SUCCEEDED(hr)) hr = CLASS_E_CLASSNOTAVAILABLE;
    return hr;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return Module::LockCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
  ClassEntry* table = ClassTable();
  for (size_t i = 0; i < ClassTableSize(); ++i) {
    HRESULT hr = RegisterClassEntry(table[i]);
    if (FAILED(hr)) return hr;
  }
  return RegisterTypeLibrary();
}

STDAPI DllUnregisterServer() {
  ClassEntry* table = ClassTable();
  for (size_t i = 0; i < ClassTableSize(); ++i) UnregisterClassEntry(table[i]);
  UnregisterTypeLibrary();
  return S_OK;
}
