// A server whose registration writes as many registry keys as the digits in
// its file name say (TWScale5000.dll: about 5,000): classes with their
// server, ProgID and an interface proxied by the class, plus ProgIDs of
// their own. DllUnregisterServer takes them away again.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

HMODULE g_module;

// The number in the file name; keys are written in units of seven.
long KeyCount() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 0;
  const wchar_t* name = wcsrchr(path, L'\\') ? wcsrchr(path, L'\\') + 1 : path;
  long count = 0;
  for (const wchar_t* c = name; *c; ++c) {
    if (*c >= L'0' && *c <= L'9') count = count * 10 + (*c - L'0');
  }
  return count;
}

std::wstring Guid(unsigned kind, long index) {
  wchar_t text[40];
  swprintf(text, 40, L"{7A1E%04X-5C2B-4D3E-8F90-%012lX}", kind, static_cast<unsigned long>(index));
  return text;
}

bool Set(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY opened;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &opened,
                      nullptr) != ERROR_SUCCESS)
    return false;
  LONG status = RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(opened);
  return status == ERROR_SUCCESS;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = instance;
  return TRUE;
}

extern "C" HRESULT WINAPI DllRegisterServer() {
  wchar_t path[MAX_PATH];
  if (!GetModuleFileNameW(g_module, path, MAX_PATH)) return E_FAIL;
  long units = KeyCount() / 7;
  for (long i = 0; i < units; ++i) {
    std::wstring clsid = L"CLSID\\" + Guid(1, i), progId = L"TWScale.Thing" + std::to_wstring(i);
    std::wstring iid = L"Interface\\" + Guid(2, i);
    // CLSID\{c}, its InprocServer32 and ProgID; the ProgID with its CLSID;
    // the interface with its proxy; that is seven keys.
    if (!Set(clsid, nullptr, L"Scale thing") || !Set(clsid + L"\\InprocServer32", nullptr, path) ||
        !Set(clsid + L"\\InprocServer32", L"ThreadingModel", L"Both") ||
        !Set(clsid + L"\\ProgID", nullptr, progId) || !Set(progId, nullptr, L"Scale thing") ||
        !Set(progId + L"\\CLSID", nullptr, Guid(1, i)) || !Set(iid, nullptr, L"IScaleThing") ||
        !Set(iid + L"\\ProxyStubClsid32", nullptr, Guid(1, i)))
      return E_FAIL;
  }
  return S_OK;
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
  long units = KeyCount() / 7;
  for (long i = 0; i < units; ++i) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + Guid(1, i)).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"TWScale.Thing" + std::to_wstring(i)).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"Interface\\" + Guid(2, i)).c_str());
  }
  return S_OK;
}
