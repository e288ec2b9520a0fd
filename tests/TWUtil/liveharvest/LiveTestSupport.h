// Running the live-registry capture from the tests over a registry object of
// their own, and reading the model it filled by property path.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/Owners.h"
#include "model/Component.h"
#include "registry/Registry.h"
#include "support/TestSupport.h"

namespace twtest {

inline std::wstring Text(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : L""; }

inline bool Contains(const std::vector<std::wstring>& lines, const std::wstring& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The library's own Registry over a classes root of the test's (a scratch
// key of HKEY_CURRENT_USER, removed at the end), writing down every read,
// soft deletion and hand-over. Wine lists names sorted; the key named in
// `reversed` lists its subkeys the other way round, as a caller's object may.
class ScratchRegistry : public twutil::Registry {
 public:
  ScratchRegistry()
      : Registry(nullptr), path_(L"Software\\TWTest\\LiveClasses" + std::to_wstring(++made_)) {}
  ~ScratchRegistry() { RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); }

  // A text value (name null: the default value), making the key and its parents.
  void Set(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, Path(key).c_str(), name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  void AddKey(const std::wstring& key) {
    HKEY made = nullptr;
    if (RegCreateKeyW(HKEY_CURRENT_USER, Path(key).c_str(), &made) == ERROR_SUCCESS)
      RegCloseKey(made);
  }

  // "read KEY|NAME", "soft KEY|NAME|all" and "give KEY|NAME|all" (all: 0 or 1).
  std::vector<std::wstring> log;
  std::wstring reversed;
  // The log lines that start with prefix, without it.
  std::vector<std::wstring> Lines(const std::wstring& prefix) const {
    std::vector<std::wstring> lines;
    for (const std::wstring& line : log)
      if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line.substr(prefix.size()));
    return lines;
  }

  // A member of the test, not counted.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP RegReadValue(ERegistryHives, BSTR key, BSTR name, ERegistryDataTypes type,
                            VARIANT* value, LONG* result) override {
    log.push_back(L"read " + Text(key) + L"|" + Text(name));
    return Registry::RegReadValue(HKCU, twutil::Bstr(Path(Text(key)).c_str()).Get(), name, type,
                                  value, result);
  }
  STDMETHODIMP RegQueryKey(ERegistryHives, BSTR key, ERegistryQueryTypes type, VARIANT* value,
                           LONG* result) override {
    HRESULT hr = Registry::RegQueryKey(HKCU, twutil::Bstr(Path(Text(key)).c_str()).Get(), type,
                                       value, result);
    if (type == regKEYS && *result == 0 && Text(key) == reversed) {
      auto* names = static_cast<VARIANT*>(V_ARRAY(value)->pvData);
      std::reverse(names, names + V_ARRAY(value)->rgsabound[0].cElements);
    }
    return hr;
  }
  STDMETHODIMP RegSoftDeleteRegValue(ERegistryHives, BSTR key, BSTR name, VARIANT_BOOL allValues,
                                     LONG*) override {
    return Note(L"soft ", key, name, allValues);
  }
  STDMETHODIMP RegSetExtractComponent(IExtractComponent*, ERegistryHives, BSTR key, BSTR name,
                                      VARIANT_BOOL allValues, LONG*) override {
    return Note(L"give ", key, name, allValues);
  }

 private:
  std::wstring Path(const std::wstring& key) const {
    return key.empty() ? path_ : path_ + L"\\" + key;
  }
  HRESULT Note(const wchar_t* verb, BSTR key, BSTR name, VARIANT_BOOL allValues) {
    log.push_back(verb + Text(key) + L"|" + Text(name) + (allValues ? L"|1" : L"|0"));
    return S_OK;
  }

  static inline int made_ = 0;
  const std::wstring path_;
};

// A property get (name), or a collection's Item (argument); false when the
// object answers neither.
inline bool Get(IDispatch* object, const wchar_t* name, VARIANT* argument, twutil::Variant* value) {
  DISPID id = DISPID_VALUE;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (name && FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
    return false;
  DISPPARAMS params = {argument, nullptr, argument ? 1u : 0u, 0};
  return SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT,
                                  DISPATCH_PROPERTYGET | DISPATCH_METHOD, &params, value->Put(),
                                  nullptr, nullptr));
}

// The value at a path below root: property names, and collection keys where
// the object has no such property ("ComClassCollection", "{...}",
// "Description"); false when a step is missing.
inline bool Walk(IUnknown* root, std::initializer_list<const wchar_t*> path,
                 twutil::Variant* value) {
  twutil::ComPtr<IUnknown> object(root);
  for (const wchar_t* step : path) {
    twutil::ComPtr<IDispatch> dispatch;
    twutil::Variant key;
    V_VT(key.Put()) = VT_BSTR;
    V_BSTR(&key.Ref()) = SysAllocString(step);
    if (!object || FAILED(object.As(&dispatch)) ||
        (!Get(dispatch.Get(), step, nullptr, value) &&
         !Get(dispatch.Get(), nullptr, &key.Ref(), value)))
      return false;
    VARTYPE type = value->Type();
    object = twutil::ComPtr<IUnknown>(
        type == VT_DISPATCH || type == VT_UNKNOWN ? V_UNKNOWN(&value->Ref()) : nullptr);
  }
  return true;
}

// Texts as they are, numbers in decimal (a collection's size is its "Count"),
// "<none>" for a key or property that is not there.
inline std::wstring ModelValue(IUnknown* root, std::initializer_list<const wchar_t*> path) {
  twutil::Variant value, text;
  if (!Walk(root, path, &value)) return L"<none>";
  if (FAILED(VariantChangeType(text.Put(), &value.Ref(), 0, VT_BSTR))) return L"<object>";
  return Text(V_BSTR(&text.Ref()));
}

// The items of one of root's collections, by position.
inline std::vector<twutil::ComPtr<IUnknown>> Items(IUnknown* root, const wchar_t* collection) {
  std::vector<twutil::ComPtr<IUnknown>> items;
  twutil::Variant list, position, item;
  if (!Walk(root, {collection}, &list) || list.Type() != VT_DISPATCH) return items;
  long count = std::stol(ModelValue(root, {collection, L"Count"}));
  for (long i = 1; i <= count; ++i) {
    V_VT(position.Put()) = VT_I4;
    V_I4(&position.Ref()) = i;
    if (Get(V_DISPATCH(&list.Ref()), nullptr, &position.Ref(), &item) && item.Type() == VT_DISPATCH)
      items.emplace_back(V_UNKNOWN(&item.Ref()));
  }
  return items;
}

// The component's AddMiscRegistryInfo calls as "KEY|NAME|all" lines.
inline std::vector<std::wstring> MiscLines(IExtractComponent* component) {
  std::vector<std::wstring> lines;
  if (const auto* entries = twutil::model::MiscRegistryOf(component))
    for (const auto& entry : *entries)
      lines.push_back(entry.key.value_or(L"") + L"|" + entry.valueName.value_or(L"") +
                      (entry.deleteAllValues ? L"|1" : L"|0"));
  return lines;
}

// ServerInfo keeps its sink until the next capture: a counted object.
class ProgressLog final : public twutil::ComObject<IServerInfoProgressEvent> {
 public:
  ProgressLog() : ComObject(nullptr) {}
  STDMETHODIMP SetProgressBarStatus(LONG value) override {
    values.push_back(value);
    return S_OK;
  }
  std::vector<LONG> values;

 protected:
  void* InterfaceFor(REFIID iid) override {
    return iid == __uuidof(IServerInfoProgressEvent) ? static_cast<IServerInfoProgressEvent*>(this)
                                                     : nullptr;
  }
};

struct LiveRun {
  HRESULT hr = E_UNEXPECTED;
  LONG result = 12345;  // as the caller set it before the call
  std::vector<LONG> progress;
  std::wstring error;  // the thread's error object afterwards, "source|description"
};

enum LiveOptions { kRepackaging = 1, kRegister = 2, kUnregister = 4 };

// One SetServer call on the live path ("UseOldComExtraction" set for the
// call's duration when not repackaging), on a new ServerInfo unless one is
// given.
inline LiveRun CaptureLive(IRegistry* registry,
                           const std::vector<twutil::ComPtr<IExtractComponent>>& components,
                           int options = 0, IServerInfo* serverInfo = nullptr) {
  const wchar_t kFoundryKey[] = L"Software\\Tarnwick\\Foundry\\7.0";
  twutil::ComPtr<IServerInfo> created;
  if (!serverInfo && Create(CLSID_ServerInfo, &created) != S_OK) return LiveRun();
  std::vector<IDispatch*> array;
  for (const auto& component : components) array.push_back(component.Get());
  if (!(options & kRepackaging))
    RegSetKeyValueW(HKEY_CURRENT_USER, kFoundryKey, L"UseOldComExtraction", REG_SZ, L"y",
                    2 * sizeof(wchar_t));
  twutil::ComPtr<ProgressLog> progress(new ProgressLog);
  LiveRun run;
  SetErrorInfo(0, nullptr);
  run.hr = (serverInfo ? serverInfo : created.Get())
               ->SetServer(static_cast<LONG>(array.size()), array.data(), registry,
                           options & kRepackaging ? VARIANT_TRUE : VARIANT_FALSE,
                           options & kRegister ? VARIANT_TRUE : VARIANT_FALSE,
                           options & kUnregister ? VARIANT_TRUE : VARIANT_FALSE, progress.Get(),
                           &run.result);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kFoundryKey, L"UseOldComExtraction");
  run.progress = progress->values;
  run.error = ThreadError();
  return run;
}

}  // namespace twtest
