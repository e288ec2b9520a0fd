// A server whose registration succeeds and leaves a marker file beside it:
// "<module>.registered" or "<module>.unregistered". Built with RUNNER_FALSE,
// its registration answers S_FALSE: a success code that the runner must
// still count as failure.
#include <windows.h>

#include <string>

static HMODULE self = nullptr;

static HRESULT LeaveMarker(const wchar_t* suffix) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return E_FAIL;
  HANDLE file = CreateFileW((std::wstring(path, n) + suffix).c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return E_FAIL;
  CloseHandle(file);
  return S_OK;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
#ifdef RUNNER_FALSE
  return S_FALSE;
#endif
  return LeaveMarker(L".registered");
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return LeaveMarker(L".unregistered");
}
