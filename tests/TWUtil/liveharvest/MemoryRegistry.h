// A caller's registry object of the tests' own: an in-memory classes root
// that answers reads and listings as the library's Registry does, and writes
// down every soft deletion and hand-over (and, on request, every read).
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "TWUtil.h"
#include "support/TestDoubles.h"

namespace twtest {

class MemoryRegistry : public twtest::EarlyBoundOnly<IRegistry> {
 public:
  // Sets a value (name null or empty: the default value), making the key and
  // its parents; keys and values list in the order they were first set.
  void Set(const std::wstring& key, const wchar_t* name, const std::wstring& value);
  void AddKey(const std::wstring& key);

  // "soft KEY|NAME|all" and "give KEY|NAME|all" lines (all is 0 or 1), with
  // "read KEY|NAME" and "list KEY" lines too when logReads is set.
  std::vector<std::wstring> log;
  bool logReads = false;
  long calls = 0;
  // Lines of the log that start with prefix, in order.
  std::vector<std::wstring> Lines(const std::wstring& prefix) const;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }
  STDMETHODIMP RegAddValue(ERegistryHives, BSTR, BSTR, ERegistryDataTypes, VARIANT*,
                           LONG*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP RegReadValue(ERegistryHives root, BSTR key, BSTR name, ERegistryDataTypes type,
                            VARIANT* value, LONG* result) override;
  STDMETHODIMP RegQueryKey(ERegistryHives root, BSTR key, ERegistryQueryTypes type, VARIANT* value,
                           LONG* result) override;
  STDMETHODIMP RegDeleteValue(ERegistryHives, BSTR, BSTR, LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP RegSoftDeleteRegValue(ERegistryHives root, BSTR key, BSTR name,
                                     VARIANT_BOOL allValues, LONG* result) override;
  STDMETHODIMP RegSetExtractComponent(IExtractComponent* component, ERegistryHives root, BSTR key,
                                      BSTR name, VARIANT_BOOL allValues, LONG* result) override;
  STDMETHODIMP RegReadType(ERegistryHives, BSTR, BSTR, LONG*, LONG*) override { return E_NOTIMPL; }

 private:
  struct Key {
    std::vector<std::pair<std::wstring, std::wstring>> values;
    std::vector<std::wstring> subkeys;
  };
  Key* Find(BSTR key);
  Key& Make(const std::wstring& key);

  std::map<std::wstring, Key> keys_;  // by lowered path; "" is the root
  ULONG refs_ = 1;
};

}  // namespace twtest
