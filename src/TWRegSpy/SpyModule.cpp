// The four exported entry points of the spy's DLL and DllMain. One class,
// one cached class factory.
#include <objbase.h>
#include <windows.h>

#include "RegSpy.h"
#include "SpyRegistration.h"
#include "com/ClassFactory.h"
#include "com/Module.h"

using namespace twutil;

namespace {
FactoryCache factory;
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  return ServerDllMain(instance, reason, reserved, [] { factory.Release(); });
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_TWRegSpy)) return CLASS_E_CLASSNOTAVAILABLE;
  return factory.Get(&CreateComObject<twregspy::RegSpy>, iid, out);
}

STDAPI DllCanUnloadNow() { return Module::LockCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() { return twregspy::RegisterSpy(); }

STDAPI DllUnregisterServer() { return twregspy::UnregisterSpy(); }
