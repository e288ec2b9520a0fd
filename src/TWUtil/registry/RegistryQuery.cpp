// RegQueryKey: the names of a key's subkeys or values, as a script array.
#include "registry/HiveKey.h"
#include "registry/Registry.h"

namespace twutil {
namespace {

// One name, terminator included; a longer name fails the whole query.
constexpr DWORD kNameChars = 261;

bool NameAt(HKEY key, long queryType, DWORD index, wchar_t (&name)[kNameChars]) {
  DWORD length = kNameChars;
  LONG status = queryType == regKEYS
                    ? RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr)
                    : RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
  return status == ERROR_SUCCESS;
}

bool PutName(SAFEARRAY* array, LONG index, const wchar_t* name) {
  VARIANT element;
  V_VT(&element) = VT_BSTR;
  V_BSTR(&element) = SysAllocString(name);
  if (!V_BSTR(&element)) return false;
  HRESULT hr = SafeArrayPutElement(array, &index, &element);  // stores a copy
  VariantClear(&element);
  return SUCCEEDED(hr);
}

bool QueryNames(long hive, BSTR path, long queryType, VARIANT* names) {
  if (!names || (queryType != regKEYS && queryType != regNAMES)) return false;
  RegKey key;
  if (!OpenHiveKey(hive, path, KEY_READ, &key)) return false;
  DWORD subkeys = 0;
  DWORD values = 0;
  if (RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                       nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  DWORD count = queryType == regKEYS ? subkeys : values;
  if (count == 0 || count > 0x7FFFFFFF) return false;
  SafeArray array(SafeArrayCreateVector(VT_VARIANT, 0, count));
  if (!array.Get()) return false;
  for (DWORD index = 0; index < count; ++index) {
    wchar_t name[kNameChars];
    if (!NameAt(key.Get(), queryType, index, name)) return false;
    if (!PutName(array.Get(), static_cast<LONG>(index), name)) return false;
  }
  VariantClear(names);
  V_VT(names) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(names) = array.Release();
  return true;
}

}  // namespace

STDMETHODIMP Registry::RegQueryKey(ERegistryHives hive, BSTR key, ERegistryQueryTypes queryType,
                                   VARIANT* names, LONG* result) {
  ReportOutcome(result, QueryNames(hive, key, queryType, names));
  return S_OK;
}

}  // namespace twutil
