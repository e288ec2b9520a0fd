// A sample in-process COM server that registers one of everything a server
// can register: classes with icons and AppIDs, versioned and
// version-independent ProgIDs with shell verbs, an extension with its MIME
// type, a type library in two versions and locales, an interface with a
// proxy/stub class of its own, and machine settings under HKLM. It creates no
// objects: it exists to have its registration captured.
#include <windows.h>

#include "SampleRegistry.h"
#include "ServerRegistration.h"

namespace {
HMODULE g_module = nullptr;
}

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID, REFIID, void** out) {
  if (out) *out = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() { return S_OK; }

HRESULT STDAPICALLTYPE DllRegisterServer() {
  return samples::RegisterGreeterServer(samples::ModulePath(g_module));
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return samples::UnregisterGreeterServer(samples::ModulePath(g_module));
}

// The print verb's rundll32 entry.
void CALLBACK PrintGreeting(HWND, HINSTANCE, LPSTR, int) {}

}  // extern "C"
