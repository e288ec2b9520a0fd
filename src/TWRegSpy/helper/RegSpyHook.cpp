// Loaded into an executable server's process before its entry point runs:
// redirects the hives there as the helper does in its own process, then
// confirms through the event that the helper waits for.
#include <windows.h>

#include <string>

#include "HelperReport.h"
#include "HiveRedirection.h"
#include "ViewFlagPatch.h"

namespace {

bool RedirectThisProcess() {
  wchar_t root[512];
  DWORD length = GetEnvironmentVariableW(twregspy::kCaptureRootVariable, root, 512);
  if (length == 0 || length >= 512) return false;
  if (!twregspy::RedirectHives(root)) return false;
  twregspy::StripRegistryViewsInLoadedModules();
  std::wstring name = twregspy::kRedirectedEventPrefix + std::to_wstring(GetCurrentProcessId());
  HANDLE redirected = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str());
  if (!redirected) return false;
  BOOL signalled = SetEvent(redirected);
  CloseHandle(redirected);
  return signalled != FALSE;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  DisableThreadLibraryCalls(instance);
  return RedirectThisProcess() ? TRUE : FALSE;
}
