// Running the live-registry capture from the tests over a registry object of
// their own, and reading the model it filled by property path.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "TWUtil.h"
#include "com/Owners.h"
#include "support/TestDoubles.h"

namespace twtest {

// An in-memory classes root that answers reads and listings as the library's
// Registry does, and writes down every soft deletion and hand-over (and, on
// request, every read).
class MemoryRegistry : public EarlyBoundOnly<IRegistry> {
 public:
  // Sets a value (name null or empty: the default value), making the key and
  // its parents; keys and values list in the order they were first set.
  void Set(const std::wstring& key, const wchar_t* name, const std::wstring& value);
  void AddKey(const std::wstring& key) { Make(key); }

  // "soft KEY|NAME|all" and "give KEY|NAME|all" lines (all is 0 or 1), with
  // "read KEY|NAME" and "list KEY" lines too when logReads is set.
  std::vector<std::wstring> log;
  bool logReads = false;
  std::vector<std::wstring> Lines(const std::wstring& prefix) const;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    return Answer<MemoryRegistry, IDispatch, IRegistry>(this, iid, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP RegAddValue(ERegistryHives, BSTR, BSTR, ERegistryDataTypes, VARIANT*,
                           LONG*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP RegReadValue(ERegistryHives root, BSTR key, BSTR name, ERegistryDataTypes type,
                            VARIANT* value, LONG* result) override;
  STDMETHODIMP RegQueryKey(ERegistryHives root, BSTR key, ERegistryQueryTypes type, VARIANT* value,
                           LONG* result) override;
  STDMETHODIMP RegDeleteValue(ERegistryHives, BSTR, BSTR, LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP RegSoftDeleteRegValue(ERegistryHives, BSTR key, BSTR name, VARIANT_BOOL allValues,
                                     LONG*) override {
    return Note(L"soft ", key, name, allValues);
  }
  STDMETHODIMP RegSetExtractComponent(IExtractComponent*, ERegistryHives, BSTR key, BSTR name,
                                      VARIANT_BOOL allValues, LONG*) override {
    return Note(L"give ", key, name, allValues);
  }
  STDMETHODIMP RegReadType(ERegistryHives, BSTR, BSTR, LONG*, LONG*) override { return E_NOTIMPL; }

 private:
  struct Key {
    std::vector<std::pair<std::wstring, std::wstring>> values;
    std::vector<std::wstring> subkeys;
  };
  Key* Find(BSTR key);
  Key& Make(const std::wstring& key);
  HRESULT Note(const wchar_t* verb, BSTR key, BSTR name, VARIANT_BOOL allValues);

  std::map<std::wstring, Key> keys_;  // by lowered path; "" is the root
};

using ComponentList = std::vector<twutil::ComPtr<IExtractComponent>>;

// A value of the model by path: property names, and collection keys where
// the object has no such property ("ComClassCollection", "{...}",
// "Description"). Texts as they are, numbers in decimal, "<none>" for a key
// or property that is not there.
std::wstring ModelValue(IUnknown* root, std::initializer_list<const wchar_t*> path);
long ItemCount(IUnknown* root, std::initializer_list<const wchar_t*> path);
// The items of one of root's collections, by position.
std::vector<twutil::ComPtr<IUnknown>> Items(IUnknown* root, const wchar_t* collection);

// The component's AddMiscRegistryInfo calls as "KEY|NAME|all" lines.
std::vector<std::wstring> MiscLines(IExtractComponent* component);

struct LiveRun {
  HRESULT hr = E_UNEXPECTED;
  LONG result = 12345;  // as the caller set it before the call
  std::vector<LONG> progress;
  std::wstring error, source;
};

struct LiveOptions {
  bool repackaging = false;
  bool registerServer = false;
  bool unregisterServer = false;
};

// One SetServer call on the live path ("UseOldComExtraction" set for the
// call's duration when not repackaging), on a new ServerInfo unless one is
// given.
LiveRun CaptureLive(IRegistry* registry, const ComponentList& components, LiveOptions options = {},
                    IServerInfo* serverInfo = nullptr);

bool Contains(const std::vector<std::wstring>& lines, const std::wstring& line);

}  // namespace twtest
