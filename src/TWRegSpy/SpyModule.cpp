// The four exported entry points of the spy's DLL and DllMain. One class,
// one cached class factory.
#include <objbase.h>
#include <windows.h>

#include "RegSpy.h"
#include "SpyRegistration.h"
#include "com/ClassFactory.h"
#include "com/Module.h"
#include "com/TypeInfoCache.h"

using namespace twutil;

namespace {

ClassFactory* cachedFactory = nullptr;

ClassFactory* Factory() {
  if (!cachedFactory) {
    Lock guard(Module::FactoryLock());
    if (!cachedFactory) {
      ClassFactory* factory = new (std::nothrow) ClassFactory(&CreateComObject<twregspy::RegSpy>);
      if (!factory) return nullptr;
      factory->AddRef();  // the cache's own reference
      cachedFactory = factory;
    }
  }
  return cachedFactory;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    Module::Attach(instance);
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    // At process exit other DLLs may already be gone: only drop our own memory.
    if (!reserved) {
      if (cachedFactory) cachedFactory->Release();
      cachedFactory = nullptr;
      ReleaseTypeInfoCache();
    }
    Module::Detach();
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_TWRegSpy)) return CLASS_E_CLASSNOTAVAILABLE;
  ClassFactory* factory = Factory();
  if (!factory) return E_OUTOFMEMORY;
  return factory->QueryInterface(iid, out);
}

STDAPI DllCanUnloadNow() { return Module::LockCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() { return twregspy::RegisterSpy(); }

STDAPI DllUnregisterServer() { return twregspy::UnregisterSpy(); }
