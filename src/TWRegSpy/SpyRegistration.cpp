#include "SpyRegistration.h"

#include <oleauto.h>

#include <string>

#include "TWRegSpy.h"
#include "com/Module.h"
#include "com/Owners.h"

namespace twregspy {
namespace {

using twutil::RegKey;

const wchar_t kDescription[] = L"Tarnwick Registry Spy";
const wchar_t kProgId[] = L"TWHbrTarnwick.TWRegSpy.1";
const wchar_t kVersionIndependentProgId[] = L"TWHbrTarnwick.TWRegSpy";

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40];
  return StringFromGUID2(guid, text, 40) > 0 ? std::wstring(text) : std::wstring();
}

LONG SetString(HKEY key, const wchar_t* name, const std::wstring& text) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// Creates parent\path and sets its default value; the Win32 error of the
// first failing step.
LONG CreateWithDefault(HKEY parent, const std::wstring& path, const std::wstring& value,
                       RegKey* created = nullptr) {
  RegKey local;
  RegKey* key = created ? created : &local;
  LONG error = RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_ALL_ACCESS, nullptr, key->Put(), nullptr);
  return error != ERROR_SUCCESS ? error : SetString(key->Get(), nullptr, value);
}

LONG RegisterClass() {
  const std::wstring clsid = GuidText(CLSID_TWRegSpy);
  const std::wstring classKey = L"CLSID\\" + clsid;
  RegKey server;
  LONG error = CreateWithDefault(HKEY_CLASSES_ROOT, classKey, kDescription);
  if (error == ERROR_SUCCESS)
    error = CreateWithDefault(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32",
                              twutil::Module::Path(), &server);
  if (error == ERROR_SUCCESS) error = SetString(server.Get(), L"ThreadingModel", L"Apartment");
  if (error == ERROR_SUCCESS)
    error = CreateWithDefault(HKEY_CLASSES_ROOT, classKey + L"\\ProgID", kProgId);
  if (error == ERROR_SUCCESS)
    error = CreateWithDefault(HKEY_CLASSES_ROOT, classKey + L"\\VersionIndependentProgID",
                              kVersionIndependentProgId);
  if (error == ERROR_SUCCESS)
    error =
        CreateWithDefault(HKEY_CLASSES_ROOT, classKey + L"\\TypeLib", GuidText(LIBID_TWRegSpyLib));
  if (error == ERROR_SUCCESS)
    error = CreateWithDefault(HKEY_CLASSES_ROOT, std::wstring(kProgId), kDescription);
  if (error == ERROR_SUCCESS)
    error = CreateWithDefault(HKEY_CLASSES_ROOT, std::wstring(kProgId) + L"\\CLSID", clsid);
  if (error == ERROR_SUCCESS)
    error = CreateWithDefault(HKEY_CLASSES_ROOT, kVersionIndependentProgId, kDescription);
  if (error == ERROR_SUCCESS)
    error = CreateWithDefault(HKEY_CLASSES_ROOT,
                              std::wstring(kVersionIndependentProgId) + L"\\CLSID", clsid);
  if (error == ERROR_SUCCESS)
    error = CreateWithDefault(HKEY_CLASSES_ROOT,
                              std::wstring(kVersionIndependentProgId) + L"\\CurVer", kProgId);
  return error;
}

}  // namespace

HRESULT RegisterSpy() {
  LONG error = RegisterClass();
  if (error != ERROR_SUCCESS) return HRESULT_FROM_WIN32(error);
  twutil::ComPtr<ITypeLib> library;
  std::wstring path = twutil::Module::Path();
  HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Put());
  if (SUCCEEDED(hr)) hr = RegisterTypeLib(library.Get(), &path[0], nullptr);
  return hr;
}

HRESULT UnregisterSpy() {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(CLSID_TWRegSpy)).c_str());
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kVersionIndependentProgId);
  UnRegisterTypeLib(LIBID_TWRegSpyLib, 1, 0, 0, SYS_WIN32);
  return S_OK;
}

}  // namespace twregspy
