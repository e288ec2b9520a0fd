// The live harvest's only way into the registry: the caller's IRegistry, on
// the classes root. Every call's HRESULT goes through CheckCall unless the
// method says otherwise; what comes back is treated as untrusted.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "TWUtil.h"
#include "com/Owners.h"

namespace twutil {

using NameList = std::vector<std::wstring>;

class LiveRegistry {
 public:
  LiveRegistry(IRegistry* registry, bool repackaging)
      : registry_(registry), repackaging_(repackaging) {}

  // A value as text (name null: the default value). Present when the object
  // answers other than -1 and hands back something.
  std::optional<std::wstring> Text(const std::wstring& key, const wchar_t* name) const;
  // The same, without checking the HRESULT: a failed read counts as absent.
  std::optional<std::wstring> TextUnchecked(const std::wstring& key, const wchar_t* name) const;
  // Present whenever the object answers other than -1 (an empty answer is "").
  std::optional<std::wstring> TextLoose(const std::wstring& key, const wchar_t* name) const;

  // Subkey or value names in the object's order; an empty key lists the root.
  std::optional<NameList> Keys(const std::wstring& key) const;
  std::optional<NameList> Names(const std::wstring& key) const;
  // Value names whenever the object answers other than -1.
  std::optional<NameList> NamesLoose(const std::wstring& key) const;

  // Reports a consumed value (name null: the default value).
  void SoftDelete(const std::wstring& key, const wchar_t* name, bool allValues = false) const;
  void SoftDeleteUnchecked(const std::wstring& key, const wchar_t* name) const;

  // An entry the model has no property for: to the registry object when
  // repackaging, otherwise to the component's miscellaneous entries.
  enum class Check { kAlways, kNever, kMiscOnly };
  void HandOver(IExtractComponent* component, const std::wstring& key, const wchar_t* name,
                bool allValues, Check check = Check::kAlways) const;

  bool Repackaging() const { return repackaging_; }
  IRegistry* Object() const { return registry_; }

 private:
  struct Answer {
    HRESULT hr;
    LONG result;
  };
  Answer Read(const std::wstring& key, const wchar_t* name, Variant* value) const;
  Answer List(const std::wstring& key, ERegistryQueryTypes type, Variant* value) const;

  IRegistry* registry_;
  bool repackaging_;
};

// A BSTR copy of a text, for the model and the registry object.
inline Bstr AsBstr(const std::wstring& text) {
  return Bstr(text.data(), static_cast<UINT>(text.size()));
}

// key \ name, the live harvest's key paths.
inline std::wstring SubKey(const std::wstring& key, const std::wstring& name) {
  return key + L"\\" + name;
}

}  // namespace twutil
