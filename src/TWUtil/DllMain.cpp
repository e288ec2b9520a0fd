// The four exported entry points of the in-process server and DllMain.
#include <objbase.h>
#include <windows.h>

#include "ClassTable.h"
#include "Registration.h"
#include "com/Module.h"

using namespace twutil;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  return ServerDllMain(instance, reason, reserved, [] {
    for (size_t i = 0; i < ClassTableSize(); ++i) ClassTable()[i].factory.Release();
  });
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  ClassEntry* table = ClassTable();
  for (size_t i = 0; i < ClassTableSize(); ++i) {
    ClassEntry& entry = table[i];
    if (entry.createInstance && IsEqualCLSID(*entry.clsid, clsid))
      return entry.factory.Get(entry.createInstance, iid, out);
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
