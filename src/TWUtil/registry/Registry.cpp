#include "registry/Registry.h"

#include <cwchar>
#include <new>

#include "CodePage.h"
#include "com/BstrText.h"
#include "registry/HiveKey.h"
#include "registry/RegistryText.h"
#include "registry/ScriptValue.h"

namespace twutil {
namespace {

bool WriteNumber(HKEY key, const wchar_t* name, LONG number) {
  DWORD data = static_cast<DWORD>(number);
  return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                        sizeof(data)) == ERROR_SUCCESS;
}

bool WriteText(HKEY key, const wchar_t* name, const wchar_t* text) {
  // The characters up to the first NUL, plus one terminator.
  size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
  if (bytes > MAXDWORD) return false;
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
}

bool AddValue(long hive, BSTR path, BSTR name, long type, const VARIANT* value) {
  RegKey key;
  if (!CreateHiveKey(hive, path, &key)) return false;
  // The key stays created even when nothing below gets written.
  ValueToWrite given = ClassifyValueToWrite(value);
  if (given.kind == ValueToWrite::Kind::kUnsupported) return false;
  bool hasText = given.kind == ValueToWrite::Kind::kText && given.text;
  switch (type) {
    case regNUMERIC: {
      LONG number = given.number;
      if (hasText) number = ParseDecimalLong(ToNarrow(given.text, SysStringLen(given.text)));
      return WriteNumber(key.Get(), TextOf(name), number);
    }
    case regSTRING:
      // A number is never turned into text.
      return WriteText(key.Get(), TextOf(name), hasText ? given.text : L"");
    default:
      return false;
  }
}

bool DeleteValue(long hive, BSTR path, BSTR name) {
  RegKey key;
  if (!OpenHiveKey(hive, path, KEY_ALL_ACCESS, &key)) return false;
  return RegDeleteValueW(key.Get(), TextOf(name)) == ERROR_SUCCESS;
}

bool ReadType(long hive, BSTR path, BSTR name, LONG* typeCode) {
  if (!typeCode) return false;
  RegKey key;
  if (!OpenHiveKey(hive, path, KEY_READ, &key)) return false;
  DWORD type = REG_NONE;
  if (RegQueryValueExW(key.Get(), TextOf(name), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  *typeCode = ScriptTypeCode(type);
  return true;
}

}  // namespace

void* Registry::InterfaceFor(REFIID iid) {
  if (iid == IID_IRegistry || iid == IID_IDispatch) return static_cast<IRegistry*>(this);
  if (iid == IID_IObjectSafety) return static_cast<IObjectSafety*>(this);
  return nullptr;
}

STDMETHODIMP Registry::RegAddValue(ERegistryHives hive, BSTR key, BSTR valueName,
                                   ERegistryDataTypes type, VARIANT* value, LONG* result) {
  bool added = false;
  try {
    added = AddValue(hive, key, valueName, type, value);
  } catch (const std::bad_alloc&) {
    // A text too large to convert is a failed write, never a failed call.
  }
  ReportOutcome(result, added);
  return S_OK;
}

STDMETHODIMP Registry::RegDeleteValue(ERegistryHives hive, BSTR key, BSTR valueName, LONG* result) {
  ReportOutcome(result, DeleteValue(hive, key, valueName));
  return S_OK;
}

STDMETHODIMP Registry::RegReadType(ERegistryHives hive, BSTR key, BSTR valueName, LONG* type,
                                   LONG* result) {
  ReportOutcome(result, ReadType(hive, key, valueName, type));
  return S_OK;
}

// The two reports of the live capture mean nothing to this class: a caller
// that wants them passes its own registry object. lResult stays as it was.
STDMETHODIMP Registry::RegSoftDeleteRegValue(ERegistryHives, BSTR, BSTR, VARIANT_BOOL, LONG*) {
  return S_OK;
}

STDMETHODIMP Registry::RegSetExtractComponent(IExtractComponent*, ERegistryHives, BSTR, BSTR,
                                              VARIANT_BOOL, LONG*) {
  return S_OK;
}

}  // namespace twutil
