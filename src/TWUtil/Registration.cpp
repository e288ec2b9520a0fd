#include "Registration.h"

#include <oleauto.h>

#include <string>

#include "com/Module.h"
#include "com/Owners.h"
#include "com/TypeLibAttributes.h"

namespace twutil {
namespace {

constexpr UINT kDescriptionId = 101;

std::wstring ClsidString(const CLSID& clsid) {
  wchar_t text[40];
  int n = StringFromGUID2(clsid, text, 40);
  return n > 0 ? std::wstring(text) : std::wstring();
}

void SetDefaultValue(HKEY key, const std::wstring& text) {
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void SetStringValue(HKEY key, const wchar_t* name, const std::wstring& text) {
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// Creates parent\name with a default value; unchecked like every write below
// the class key.
void CreateKeyWithDefault(HKEY parent, const wchar_t* name, const std::wstring& value) {
  RegKey key;
  if (RegCreateKeyExW(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      key.Put(), nullptr) == ERROR_SUCCESS)
    SetDefaultValue(key.Get(), value);
}

HRESULT RegisterProgId(const wchar_t* progId, const std::wstring& description,
                       const std::wstring& clsid) {
  RegKey key;
  LONG error = RegCreateKeyExW(HKEY_CLASSES_ROOT, progId, 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_ALL_ACCESS, nullptr, key.Put(), nullptr);
  if (error != ERROR_SUCCESS) return HRESULT_FROM_WIN32(error);
  SetDefaultValue(key.Get(), description);
  CreateKeyWithDefault(key.Get(), L"CLSID", clsid);
  return S_OK;
}

// The type library of the module: the embedded resource, else a .tlb file
// with the module's name beside it. Reports the path that loaded.
HRESULT LoadOwnTypeLibrary(ITypeLib** library, std::wstring* loadedFrom) {
  std::wstring path = Module::Path();
  HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library);
  if (FAILED(hr)) {
    size_t dot = path.rfind(L'.');
    path = (dot == std::wstring::npos ? path : path.substr(0, dot)) + L".tlb";
    hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library);
  }
  if (SUCCEEDED(hr)) *loadedFrom = path;
  return hr;
}

}  // namespace

HRESULT RegisterClassEntry(const ClassEntry& entry) {
  std::wstring description = LoadModuleString(kDescriptionId, 256);
  std::wstring modulePath = Module::Path();
  std::wstring clsid = ClsidString(*entry.clsid);

  HRESULT hr = RegisterProgId(entry.progId, description, clsid);
  if (FAILED(hr)) return hr;
  hr = RegisterProgId(entry.versionIndependentProgId, description, clsid);
  if (FAILED(hr)) return hr;

  RegKey clsidRoot;
  LONG error = RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_READ | KEY_WRITE, clsidRoot.Put());
  if (error != ERROR_SUCCESS) return HRESULT_FROM_WIN32(error);
  RegKey classKey;
  error = RegCreateKeyExW(clsidRoot.Get(), clsid.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, classKey.Put(), nullptr);
  if (error != ERROR_SUCCESS) return HRESULT_FROM_WIN32(error);
  SetDefaultValue(classKey.Get(), description);
  CreateKeyWithDefault(classKey.Get(), L"ProgID", entry.progId);
  CreateKeyWithDefault(classKey.Get(), L"VersionIndependentProgID", entry.versionIndependentProgId);

  RegKey server;
  if (RegCreateKeyExW(classKey.Get(), L"InprocServer32", 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, server.Put(), nullptr) == ERROR_SUCCESS) {
    SetDefaultValue(server.Get(), modulePath);
    SetStringValue(server.Get(), L"ThreadingModel", L"Apartment");
  }
  return S_OK;
}

void UnregisterClassEntry(const ClassEntry& entry) {
  if (entry.progId && *entry.progId) DeleteKeyTree(HKEY_CLASSES_ROOT, entry.progId);
  if (entry.versionIndependentProgId && *entry.versionIndependentProgId)
    DeleteKeyTree(HKEY_CLASSES_ROOT, entry.versionIndependentProgId);
  RegKey clsidRoot;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_READ | KEY_WRITE, clsidRoot.Put()) ==
      ERROR_SUCCESS)
    DeleteKeyTree(clsidRoot.Get(), ClsidString(*entry.clsid).c_str());
}

LONG DeleteKeyTree(HKEY parent, const wchar_t* name) {
  {
    RegKey key;
    LONG error = RegOpenKeyExW(parent, name, 0, KEY_READ | KEY_WRITE, key.Put());
    if (error != ERROR_SUCCESS) return error;
    for (;;) {
      wchar_t child[256];
      DWORD length = 256;
      if (RegEnumKeyExW(key.Get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      error = DeleteKeyTree(key.Get(), child);
      if (error != ERROR_SUCCESS) return error;
    }
  }
  return RegDeleteKeyW(parent, name);
}

HRESULT RegisterTypeLibrary() {
  ComPtr<ITypeLib> library;
  std::wstring path;
  HRESULT hr = LoadOwnTypeLibrary(library.Put(), &path);
  if (FAILED(hr)) return hr;
  size_t slash = path.rfind(L'\\');
  std::wstring helpDir = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
  return RegisterTypeLib(library.Get(), &path[0], &helpDir[0]);
}

void UnregisterTypeLibrary() {
  ComPtr<ITypeLib> library;
  std::wstring path;
  if (FAILED(LoadOwnTypeLibrary(library.Put(), &path))) return;
  TypeLibAttributes attributes(library.Get());
  if (!attributes) return;
  // Looked up at the time of the call, as older systems lacked it.
  using UnregisterFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
  HMODULE oleaut = GetModuleHandleW(L"oleaut32.dll");
  auto unregister = oleaut ? reinterpret_cast<UnregisterFn>(reinterpret_cast<void*>(
                                 GetProcAddress(oleaut, "UnRegisterTypeLib")))
                           : nullptr;
  if (unregister)
    unregister(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
               attributes->lcid, attributes->syskind);
}

}  // namespace twutil
