// Registry writes of the spy's test servers: unchecked, as a server's own
// registration code tends to be; the spy's tests look at what arrived.
#pragma once

#include <windows.h>
// oleauto.h builds on windows.h.
#include <oleauto.h>

#include <cstdio>
#include <string>

namespace spytest {

// What the bulk servers write, for the tests that look for it.
constexpr int kManyKeys = 3000;
constexpr int kDeepLevels = 100;
constexpr size_t kBigValueBytes = 1024 * 1024;
// Where the link server's link points: HKEY_LOCAL_MACHINE\Software\TWSpyLinkVictim.
constexpr wchar_t kLinkTarget[] = L"\\Registry\\Machine\\Software\\TWSpyLinkVictim";

inline void WriteValue(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type,
                       const void* data, DWORD size, DWORD options = 0, REGSAM view = 0) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, path, 0, nullptr, options, KEY_ALL_ACCESS | view, nullptr, &key,
                      nullptr))
    return;
  RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

inline void WriteValue(HKEY root, const wchar_t* path, const wchar_t* name,
                       const std::wstring& text, REGSAM view = 0) {
  WriteValue(root, path, name, REG_SZ, text.c_str(),
             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), 0, view);
}

inline void Crash() {
  volatile int* nowhere = nullptr;
  *nowhere = 1;
}

inline void RunAndWait(const wchar_t* command) {
  std::wstring line = command;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &started))
    return;
  WaitForSingleObject(started.hProcess, 30000);
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
}

inline std::wstring ModulePath(HMODULE module) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(path, n) : std::wstring();
}

// For the runner's tests: a file beside the module, "<module><suffix>",
// holding the bytes given.
inline HRESULT WriteBeside(HMODULE module, const wchar_t* suffix, const void* data, DWORD size) {
  FILE* file = _wfopen((ModulePath(module) + suffix).c_str(), L"wb");
  if (!file) return E_FAIL;
  fwrite(data, 1, size, file);
  return fclose(file) == 0 ? S_OK : E_FAIL;
}

// Registers the type library in the module's resources and leaves the
// server's mark in every hive, the last through an explicit view of
// HKEY_LOCAL_MACHINE.
inline HRESULT RegisterTypeLibraryAndMark(HMODULE module, const wchar_t* marker) {
  WriteValue(HKEY_LOCAL_MACHINE, L"Software\\TWSpyTest", L"Marker", marker);
  WriteValue(HKEY_CURRENT_USER, L"Software\\TWSpyTest", L"Marker", marker);
  WriteValue(HKEY_USERS, L".DEFAULT\\Software\\TWSpyTest", L"Marker", marker);
  WriteValue(HKEY_LOCAL_MACHINE, L"Software\\TWSpyTestView", L"Marker", marker, KEY_WOW64_64KEY);
  std::wstring path = ModulePath(module);
  ITypeLib* library = nullptr;
  HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
  if (FAILED(hr)) return hr;
  hr = RegisterTypeLib(library, &path[0], nullptr);
  library->Release();
  return hr;
}

}  // namespace spytest
