#include "MemoryRegistry.h"

#include "com/Owners.h"

namespace twtest {
namespace {

std::wstring Lowered(std::wstring text) {
  if (!text.empty()) CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

std::wstring Text(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : L""; }

bool SameName(const std::wstring& a, const std::wstring& b) { return Lowered(a) == Lowered(b); }

}  // namespace

MemoryRegistry::Key& MemoryRegistry::Make(const std::wstring& key) {
  std::wstring path = key;
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  keys_[Lowered(path)];
  if (!path.empty()) {
    size_t slash = path.rfind(L'\\');
    std::wstring parent = slash == std::wstring::npos ? L"" : path.substr(0, slash);
    std::wstring name = path.substr(slash == std::wstring::npos ? 0 : slash + 1);
    Key& above = Make(parent);
    bool listed = false;
    for (const std::wstring& subkey : above.subkeys) listed = listed || SameName(subkey, name);
    if (!listed) above.subkeys.push_back(name);
  }
  return keys_[Lowered(path)];
}

void MemoryRegistry::AddKey(const std::wstring& key) { Make(key); }

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
  std::wstring path = Text(key);
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  auto found = keys_.find(Lowered(path));
  return found == keys_.end() ? nullptr : &found->second;
}

std::vector<std::wstring> MemoryRegistry::Lines(const std::wstring& prefix) const {
  std::vector<std::wstring> lines;
  for (const std::wstring& line : log)
    if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line);
  return lines;
}

STDMETHODIMP MemoryRegistry::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_IRegistry) return E_NOINTERFACE;
  *out = static_cast<IRegistry*>(this);
  AddRef();
  return S_OK;
}

// As the library's Registry: a missing value still leaves an empty text.
STDMETHODIMP MemoryRegistry::RegReadValue(ERegistryHives root, BSTR key, BSTR name,
                                          ERegistryDataTypes, VARIANT* value, LONG* result) {
  ++calls;
  if (logReads) log.push_back(L"read " + Text(key) + L"|" + Text(name));
  *result = -1;
  const std::wstring* found = nullptr;
  if (Key* target = root == HKCR ? Find(key) : nullptr)
    for (const auto& entry : target->values)
      if (SameName(entry.first, Text(name))) found = &entry.second;
  VariantClear(value);
  V_VT(value) = VT_BSTR;
  V_BSTR(value) = SysAllocString(found ? found->c_str() : L"");
  if (found) *result = 0;
  return S_OK;
}

STDMETHODIMP MemoryRegistry::RegQueryKey(ERegistryHives root, BSTR key, ERegistryQueryTypes type,
                                         VARIANT* value, LONG* result) {
  ++calls;
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
    twutil::Variant element;
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

STDMETHODIMP MemoryRegistry::RegSoftDeleteRegValue(ERegistryHives, BSTR key, BSTR name,
                                                   VARIANT_BOOL allValues, LONG*) {
  ++calls;
  log.push_back(L"soft " + Text(key) + L"|" + Text(name) + (allValues ? L"|1" : L"|0"));
  return S_OK;
}

STDMETHODIMP MemoryRegistry::RegSetExtractComponent(IExtractComponent*, ERegistryHives, BSTR key,
                                                    BSTR name, VARIANT_BOOL allValues, LONG*) {
  ++calls;
  log.push_back(L"give " + Text(key) + L"|" + Text(name) + (allValues ? L"|1" : L"|0"));
  return S_OK;
}

}  // namespace twtest
