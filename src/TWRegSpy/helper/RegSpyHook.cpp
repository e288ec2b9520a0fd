// Loaded into an executable server's process before its entry point runs:
// redirects the hives there as the helper does in its own process, then
// confirms through the event that the helper waits for. Child processes the
// server tries to start are refused, and the helper (its debugger) hears of
// each through a debug string.
#include <windows.h>

#include <string>

#include "ChildProcessBlock.h"
#include "HelperReport.h"
#include "HiveRedirection.h"
#include "ImportRewrite.h"

namespace {

void TellHelper(const std::wstring& note) {
  std::string text = twregspy::kChildNotePrefix;
  int n = WideCharToMultiByte(CP_UTF8, 0, note.data(), static_cast<int>(note.size()), nullptr, 0,
                              nullptr, nullptr);
  if (n > 0) {
    size_t at = text.size();
    text.resize(at + static_cast<size_t>(n));
    WideCharToMultiByte(CP_UTF8, 0, note.data(), static_cast<int>(note.size()), &text[at], n,
                        nullptr, nullptr);
  }
  OutputDebugStringA(text.c_str());
}

bool RedirectThisProcess() {
  wchar_t root[512];
  DWORD length = GetEnvironmentVariableW(twregspy::kCaptureRootVariable, root, 512);
  if (length == 0 || length >= 512) return false;
  if (!twregspy::RedirectHives(root)) return false;
  twregspy::SetChildProcessSink(&TellHelper);
  twregspy::RewriteImportsInLoadedModules();
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
