// RegReadValue: one value read in one of three shapes.
#include <cstring>
#include <new>

#include "com/BstrText.h"
#include "registry/HiveKey.h"
#include "registry/Registry.h"
#include "registry/RegistryText.h"
#include "registry/ScriptValue.h"

namespace twutil {
namespace {

// Larger value data fail the query and count as absent.
constexpr DWORD kTextBufferBytes = 4096;

// Whatever the value's type, its bytes form the number when they fit in four.
// The caller's VARIANT receives the number, 0 after a failed query.
bool ReadAsNumber(HKEY key, const wchar_t* name, VARIANT* value) {
  DWORD number = 0;
  DWORD size = sizeof(number);
  bool found = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&number),
                                &size) == ERROR_SUCCESS;
  if (!found) number = 0;
  StoreNumber(value, static_cast<LONG>(number));
  return found;
}

// Whatever the value's type, its data read as text up to the first NUL. The
// caller's VARIANT receives the text, the empty string after a failed query.
bool ReadAsText(HKEY key, const wchar_t* name, VARIANT* value) {
  BYTE data[kTextBufferBytes] = {};
  DWORD size = sizeof(data);
  bool found = RegQueryValueExW(key, name, nullptr, nullptr, data, &size) == ERROR_SUCCESS;
  std::wstring text = found ? TextUpToNul(data, size) : std::wstring();
  bool stored = StoreText(value, text);
  return found && stored;
}

// The value in the shape its registry type suggests; types without a script
// shape, and failed queries, leave the caller's VARIANT alone.
bool ReadAsVariant(HKEY key, const wchar_t* name, VARIANT* value) {
  BYTE data[kTextBufferBytes] = {};
  DWORD size = sizeof(data);
  DWORD type = REG_NONE;
  if (RegQueryValueExW(key, name, nullptr, &type, data, &size) != ERROR_SUCCESS) return false;
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
      // Unexpanded; of a multi-string only the first string.
      return ReplaceWithText(value, TextUpToNul(data, size));
    case REG_DWORD: {
      DWORD number = 0;
      std::memcpy(&number, data, size < sizeof(number) ? size : sizeof(number));
      ReplaceWithNumber(value, static_cast<LONG>(number));
      return true;
    }
    case REG_BINARY:
      // All of the data, however long: no byte is cut from the text.
      return ReplaceWithText(value, HexText(data, size));
    default:
      return false;
  }
}

bool ReadValue(long hive, BSTR path, BSTR name, long shape, VARIANT* value) {
  if (!value) return false;
  RegKey key;
  if (!OpenHiveKey(hive, path, KEY_READ, &key)) return false;
  switch (shape) {
    case regNUMERIC:
      return ReadAsNumber(key.Get(), TextOf(name), value);
    case regSTRING:
      return ReadAsText(key.Get(), TextOf(name), value);
    case regVARIANT:
      return ReadAsVariant(key.Get(), TextOf(name), value);
    default:
      return false;
  }
}

}  // namespace

STDMETHODIMP Registry::RegReadValue(ERegistryHives hive, BSTR key, BSTR valueName,
                                    ERegistryDataTypes type, VARIANT* value, LONG* result) {
  bool read = false;
  try {
    read = ReadValue(hive, key, valueName, type, value);
  } catch (const std::bad_alloc&) {
  }
  ReportOutcome(result, read);
  return S_OK;
}

}  // namespace twutil
