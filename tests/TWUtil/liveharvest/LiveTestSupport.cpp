#include "LiveTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "model/Component.h"
#include "support/TestSupport.h"

using twutil::Bstr;
using twutil::ComPtr;
using twutil::Variant;

namespace twtest {
namespace {

std::wstring Lowered(std::wstring text) {
  if (!text.empty()) CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

std::wstring Text(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : L""; }

std::wstring Trimmed(std::wstring path) {
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

bool SameName(const std::wstring& a, const std::wstring& b) { return Lowered(a) == Lowered(b); }

}  // namespace

MemoryRegistry::Key& MemoryRegistry::Make(const std::wstring& key) {
  std::wstring path = Trimmed(key);
  if (!path.empty()) {
    size_t slash = path.rfind(L'\\');
    std::wstring name = path.substr(slash == std::wstring::npos ? 0 : slash + 1);
    Key& above = Make(slash == std::wstring::npos ? L"" : path.substr(0, slash));
    if (std::none_of(above.subkeys.begin(), above.subkeys.end(),
                     [&](const std::wstring& subkey) { return SameName(subkey, name); }))
      above.subkeys.push_back(name);
  }
  return keys_[Lowered(path)];
}

void MemoryRegistry::Set(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  Key& target = Make(key);
  std::wstring valueName = name ? name : L"";
  for (auto& entry : target.values)
    if (SameName(entry.first, valueName)) {
      entry.second = value;
      return;
    }
  target.values.emplace_back(valueName, value);
}

MemoryRegistry::Key* MemoryRegistry::Find(BSTR key) {
  auto found = keys_.find(Lowered(Trimmed(Text(key))));
  return found == keys_.end() ? nullptr : &found->second;
}

std::vector<std::wstring> MemoryRegistry::Lines(const std::wstring& prefix) const {
  std::vector<std::wstring> lines;
  for (const std::wstring& line : log)
    if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line);
  return lines;
}

// As the library's Registry: a missing value still leaves an empty text.
STDMETHODIMP MemoryRegistry::RegReadValue(ERegistryHives root, BSTR key, BSTR name,
                                          ERegistryDataTypes, VARIANT* value, LONG* result) {
  if (logReads) log.push_back(L"read " + Text(key) + L"|" + Text(name));
  const std::wstring* found = nullptr;
  if (Key* target = root == HKCR ? Find(key) : nullptr)
    for (const auto& entry : target->values)
      if (SameName(entry.first, Text(name))) found = &entry.second;
  VariantClear(value);
  V_VT(value) = VT_BSTR;
  V_BSTR(value) = SysAllocString(found ? found->c_str() : L"");
  *result = found ? 0 : -1;
  return S_OK;
}

STDMETHODIMP MemoryRegistry::RegQueryKey(ERegistryHives root, BSTR key, ERegistryQueryTypes type,
                                         VARIANT* value, LONG* result) {
  if (logReads) log.push_back(L"list " + Text(key));
  *result = -1;
  Key* target = root == HKCR ? Find(key) : nullptr;
  if (!target) return S_OK;
  std::vector<std::wstring> names;
  if (type == regKEYS) names = target->subkeys;
  if (type == regNAMES)
    for (const auto& entry : target->values) names.push_back(entry.first);
  if (names.empty()) return S_OK;
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(names.size()));
  for (LONG i = 0; i < static_cast<LONG>(names.size()); ++i) {
    Variant element;
    V_VT(element.Put()) = VT_BSTR;
    V_BSTR(&element.Ref()) = SysAllocString(names[i].c_str());
    SafeArrayPutElement(array, &i, &element.Ref());
  }
  VariantClear(value);
  V_VT(value) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(value) = array;
  *result = 0;
  return S_OK;
}

HRESULT MemoryRegistry::Note(const wchar_t* verb, BSTR key, BSTR name, VARIANT_BOOL allValues) {
  log.push_back(verb + Text(key) + L"|" + Text(name) + (allValues ? L"|1" : L"|0"));
  return S_OK;
}

namespace {

// Property get by name; false when the object has no such member.
bool GetProperty(IDispatch* object, const wchar_t* name, Variant* value) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
  DISPPARAMS none = {};
  return SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                  value->Put(), nullptr, nullptr));
}

bool GetItem(IDispatch* collection, const VARIANT& key, Variant* value) {
  Variant argument;
  VariantCopy(argument.Put(), const_cast<VARIANT*>(&key));
  DISPPARAMS params = {&argument.Ref(), nullptr, 1, 0};
  return SUCCEEDED(collection->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT,
                                      DISPATCH_PROPERTYGET | DISPATCH_METHOD, &params, value->Put(),
                                      nullptr, nullptr));
}

// The value at a non-empty path below root; false when a step is missing.
bool Walk(IUnknown* root, std::initializer_list<const wchar_t*> path, Variant* value) {
  ComPtr<IUnknown> object(root);
  for (const wchar_t* step : path) {
    ComPtr<IDispatch> dispatch;
    if (!object || FAILED(object->QueryInterface(IID_IDispatch, dispatch.PutVoid()))) return false;
    Variant key;
    V_VT(key.Put()) = VT_BSTR;
    V_BSTR(&key.Ref()) = SysAllocString(step);
    if (!GetProperty(dispatch.Get(), step, value) && !GetItem(dispatch.Get(), key.Ref(), value))
      return false;
    VARTYPE type = V_VT(&value->Ref());
    object = ComPtr<IUnknown>(type == VT_DISPATCH || type == VT_UNKNOWN ? V_UNKNOWN(&value->Ref())
                                                                        : nullptr);
  }
  return true;
}

}  // namespace

std::wstring ModelValue(IUnknown* root, std::initializer_list<const wchar_t*> path) {
  Variant value;
  if (!Walk(root, path, &value)) return L"<none>";
  Variant text;
  if (FAILED(VariantChangeType(text.Put(), &value.Ref(), 0, VT_BSTR))) return L"<object>";
  return V_BSTR(&text.Ref()) ? V_BSTR(&text.Ref()) : L"";
}

long ItemCount(IUnknown* root, std::initializer_list<const wchar_t*> path) {
  Variant value, count;
  if (!Walk(root, path, &value) || V_VT(&value.Ref()) != VT_DISPATCH || !V_DISPATCH(&value.Ref()))
    return -1;
  return GetProperty(V_DISPATCH(&value.Ref()), L"Count", &count) ? V_I4(&count.Ref()) : -1;
}

std::vector<ComPtr<IUnknown>> Items(IUnknown* root, const wchar_t* collection) {
  std::vector<ComPtr<IUnknown>> items;
  Variant list;
  if (!Walk(root, {collection}, &list) || V_VT(&list.Ref()) != VT_DISPATCH) return items;
  for (long i = 1; i <= ItemCount(root, {collection}); ++i) {
    Variant position, item;
    V_VT(position.Put()) = VT_I4;
    V_I4(&position.Ref()) = i;
    if (GetItem(V_DISPATCH(&list.Ref()), position.Ref(), &item) && V_VT(&item.Ref()) == VT_DISPATCH)
      items.push_back(ComPtr<IUnknown>(V_UNKNOWN(&item.Ref())));
  }
  return items;
}

std::vector<std::wstring> MiscLines(IExtractComponent* component) {
  std::vector<std::wstring> lines;
  if (const auto* entries = twutil::model::MiscRegistryOf(component))
    for (const auto& entry : *entries)
      lines.push_back(entry.key.value_or(L"") + L"|" + entry.valueName.value_or(L"") +
                      (entry.deleteAllValues ? L"|1" : L"|0"));
  return lines;
}

namespace {

const wchar_t kFoundryKey[] = L"Software\\Tarnwick\\Foundry\\7.0";

class ProgressLog final : public IServerInfoProgressEvent {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    return Answer<ProgressLog, IServerInfoProgressEvent>(this, iid, out);
  }
  // ServerInfo keeps its sink until the next capture.
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP SetProgressBarStatus(LONG value) override {
    values.push_back(value);
    return S_OK;
  }
  std::vector<LONG> values;

 private:
  ULONG refs_ = 1;
};

}  // namespace

LiveRun CaptureLive(IRegistry* registry, const ComponentList& components, LiveOptions options,
                    IServerInfo* serverInfo) {
  ComPtr<IServerInfo> created;
  if (!serverInfo) {
    EXPECT_EQ(S_OK, Create(CLSID_ServerInfo, &created));
    serverInfo = created.Get();
    if (!serverInfo) return LiveRun();
  }
  std::vector<IDispatch*> array;
  for (const auto& component : components) array.push_back(component.Get());
  if (!options.repackaging)
    RegSetKeyValueW(HKEY_CURRENT_USER, kFoundryKey, L"UseOldComExtraction", REG_SZ, L"y",
                    2 * sizeof(wchar_t));
  ComPtr<ProgressLog> progress = ComPtr<ProgressLog>::Adopt(new ProgressLog);
  LiveRun run;
  SetErrorInfo(0, nullptr);
  run.hr = serverInfo->SetServer(static_cast<LONG>(array.size()), array.data(), registry,
                                 options.repackaging ? VARIANT_TRUE : VARIANT_FALSE,
                                 options.registerServer ? VARIANT_TRUE : VARIANT_FALSE,
                                 options.unregisterServer ? VARIANT_TRUE : VARIANT_FALSE,
                                 progress.Get(), &run.result);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kFoundryKey, L"UseOldComExtraction");
  run.progress = progress->values;
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Put()) == S_OK && info) {
    Bstr description, source;
    info->GetDescription(description.Put());
    info->GetSource(source.Put());
    run.error = description.Text();
    run.source = source.Text();
  }
  return run;
}

bool Contains(const std::vector<std::wstring>& lines, const std::wstring& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace twtest
