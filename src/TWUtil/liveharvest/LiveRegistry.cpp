#include "liveharvest/LiveRegistry.h"

#include "Errors.h"
#include "com/BstrText.h"
#include "liveharvest/LiveCapturedEntries.h"

namespace twutil {
namespace {

constexpr ERegistryHives kClassesRoot = HKCR;

// The object may answer any VARIANT: text as it is, anything convertible as
// its text, the rest as an empty text.
std::wstring TextOf(const VARIANT& value) {
  if (V_VT(&value) == VT_BSTR) return std::wstring(V_BSTR(&value), SysStringLen(V_BSTR(&value)));
  Variant converted;
  if (FAILED(VariantChangeType(converted.Put(), const_cast<VARIANT*>(&value), 0, VT_BSTR)))
    return std::wstring();
  BSTR text = V_BSTR(&converted.Ref());
  return std::wstring(text, SysStringLen(text));
}

// The names of a listing, by position; anything but an array gives none.
NameList NamesOf(const VARIANT& value) {
  NameList names;
  if ((V_VT(&value) & VT_ARRAY) == 0 || !V_ARRAY(&value)) return names;
  SAFEARRAY* array = V_ARRAY(&value);
  LONG lower = 0, upper = -1;
  if (SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(array, 1, &upper)))
    return names;
  VARTYPE type = VT_EMPTY;
  if (FAILED(SafeArrayGetVartype(array, &type))) return names;
  for (LONG i = lower; i <= upper; ++i) {
    if (type == VT_VARIANT) {
      Variant element;
      if (FAILED(SafeArrayGetElement(array, &i, element.Put()))) break;
      names.push_back(TextOf(element.Ref()));
    } else if (type == VT_BSTR) {
      Bstr element;
      if (FAILED(SafeArrayGetElement(array, &i, element.Put()))) break;
      names.emplace_back(element.Text(), element.Length());
    } else {
      break;
    }
  }
  return names;
}

Bstr KeyText(const std::wstring& key) {
  // The root is named by no key at all.
  return key.empty() ? Bstr() : Bstr(key.data(), static_cast<UINT>(key.size()));
}

}  // namespace

LiveRegistry::Answer LiveRegistry::Read(const std::wstring& key, const wchar_t* name,
                                        Variant* value) const {
  LONG result = -1;
  Bstr valueName(name);
  HRESULT hr = registry_->RegReadValue(kClassesRoot, KeyText(key).Get(), valueName.Get(), regSTRING,
                                       value->Put(), &result);
  return {hr, result};
}

LiveRegistry::Answer LiveRegistry::List(const std::wstring& key, ERegistryQueryTypes type,
                                        Variant* value) const {
  LONG result = -1;
  HRESULT hr =
      registry_->RegQueryKey(kClassesRoot, KeyText(key).Get(), type, value->Put(), &result);
  return {hr, result};
}

std::optional<std::wstring> LiveRegistry::Text(const std::wstring& key, const wchar_t* name) const {
  Variant value;
  Answer answer = Read(key, name, &value);
  CheckCall(answer.hr);
  if (answer.result == -1 || value.Type() == VT_EMPTY) return std::nullopt;
  return TextOf(value.Ref());
}

std::optional<std::wstring> LiveRegistry::TextUnchecked(const std::wstring& key,
                                                        const wchar_t* name) const {
  Variant value;
  Answer answer = Read(key, name, &value);
  if (FAILED(answer.hr) || answer.result == -1 || value.Type() == VT_EMPTY) return std::nullopt;
  return TextOf(value.Ref());
}

std::optional<std::wstring> LiveRegistry::TextLoose(const std::wstring& key,
                                                    const wchar_t* name) const {
  Variant value;
  Answer answer = Read(key, name, &value);
  CheckCall(answer.hr);
  if (answer.result == -1) return std::nullopt;
  return TextOf(value.Ref());
}

std::optional<NameList> LiveRegistry::Keys(const std::wstring& key) const {
  Variant value;
  Answer answer = List(key, regKEYS, &value);
  CheckCall(answer.hr);
  if (answer.result == -1 || value.Type() == VT_EMPTY) return std::nullopt;
  return NamesOf(value.Ref());
}

std::optional<NameList> LiveRegistry::Names(const std::wstring& key) const {
  Variant value;
  Answer answer = List(key, regNAMES, &value);
  CheckCall(answer.hr);
  if (answer.result == -1 || value.Type() == VT_EMPTY) return std::nullopt;
  return NamesOf(value.Ref());
}

std::optional<NameList> LiveRegistry::NamesLoose(const std::wstring& key) const {
  Variant value;
  Answer answer = List(key, regNAMES, &value);
  CheckCall(answer.hr);
  if (answer.result == -1) return std::nullopt;
  return NamesOf(value.Ref());
}

void LiveRegistry::SoftDelete(const std::wstring& key, const wchar_t* name, bool allValues) const {
  LONG result = 0;
  CheckCall(registry_->RegSoftDeleteRegValue(kClassesRoot, KeyText(key).Get(), Bstr(name).Get(),
                                             allValues ? VARIANT_TRUE : VARIANT_FALSE, &result));
}

void LiveRegistry::SoftDeleteUnchecked(const std::wstring& key, const wchar_t* name) const {
  LONG result = 0;
  registry_->RegSoftDeleteRegValue(kClassesRoot, KeyText(key).Get(), Bstr(name).Get(),
                                   VARIANT_FALSE, &result);
}

void LiveRegistry::HandOver(IExtractComponent* component, const std::wstring& key,
                            const wchar_t* name, bool allValues, Check check) const {
  LONG result = 0;
  VARIANT_BOOL all = allValues ? VARIANT_TRUE : VARIANT_FALSE;
  HRESULT hr = repackaging_
                   ? registry_->RegSetExtractComponent(component, kClassesRoot, KeyText(key).Get(),
                                                       Bstr(name).Get(), all, &result)
                   : component->AddMiscRegistryInfo(kClassesRoot, KeyText(key).Get(),
                                                    Bstr(name).Get(), all, &result);
  if (check == Check::kAlways || (check == Check::kMiscOnly && !repackaging_)) CheckCall(hr);
  if (!repackaging_ && SUCCEEDED(hr)) HandOverLiveEntry(component, key, name);
}

}  // namespace twutil
