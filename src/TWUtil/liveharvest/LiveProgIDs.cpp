// ProgIDs of the found classes, their current-version links, and the default
// icons of ProgIDs that only the verb and extension steps recorded.
#include "Errors.h"
#include "liveharvest/LiveCapturedEntries.h"
#include "liveharvest/LiveHarvest.h"
#include "liveharvest/ModelLookup.h"
#include "liveharvest/StepErrors.h"
#include "servers/HarvestText.h"
#include "servers/PathForms.h"

namespace twutil {
namespace {

// Top-level keys that are never ProgIDs.
bool IsSkippedTopLevelName(const std::wstring& name) {
  if (!name.empty() && name[0] == L'.') return true;
  for (const wchar_t* skipped : {L"CLSID", L"TypeLib", L"Interface", L"Licences", L"AppId"})
    if (EqualsNoCase(name, skipped)) return true;
  return false;
}
}  // namespace

void LiveHarvest::FindProgIDInfo() {
  InStep(L" In FindProgIDInfo Function", [&] {
    const LiveRegistry& registry = Registry();
    std::optional<NameList> names = registry.Keys(std::wstring());
    if (!names) return;
    for (const std::wstring& name : *names) {
      if (IsSkippedTopLevelName(name)) continue;
      std::optional<NameList> subkeys = registry.Keys(name);
      if (!subkeys) continue;

      bool versionIndependent = false;
      for (const std::wstring& subkey : *subkeys) {
        if (!EqualsNoCase(subkey, L"CURVER")) continue;
        std::wstring key = SubKey(name, subkey);
        std::optional<std::wstring> current = registry.Text(key, nullptr);
        if (!current) continue;
        versions_.emplace_back(*current, name);
        registry.SoftDelete(key, nullptr);
        versionIndependent = true;
        break;
      }
      if (versionIndependent) continue;

      bool foundClass = false;
      for (const std::wstring& subkey : *subkeys) {
        if (!EqualsNoCase(subkey, L"CLSID")) continue;
        std::wstring key = SubKey(name, subkey);
        std::optional<std::wstring> clsid = registry.Text(key, nullptr);
        if (!clsid) continue;
        auto owner = classes_.find(LowerPath(*clsid));
        if (owner == classes_.end()) continue;
        ComponentRef component = owner->second;
        CreateProgIdInfoObject(component.Get(), name);
        progIds_[LowerPath(name)] = component;
        foundClass = true;
        registry.SoftDelete(key, nullptr);
        if (std::optional<NameList> values = registry.Names(name)) {
          for (const std::wstring& value : *values) {
            if (value.empty()) continue;
            LONG result = 0;
            CheckCall(component->AddMiscRegistryInfo(HKCR, AsBstr(name).Get(), AsBstr(value).Get(),
                                                     VARIANT_FALSE, &result));
            HandOverLiveEntry(component.Get(), name, value.c_str());
          }
        }
      }
      if (!foundClass) CheckForVerbs(name);
    }
  });
}

void LiveHarvest::CreateProgIdInfoObject(IExtractComponent* component, const std::wstring& name) {
  InStep(L" in CreateProgIdInfoObject Function", [&] {
    ComPtr<IExtractProgIDCol> progIds;
    CheckCall(component->get_ProgIDCollection(progIds.Put()));
    if (!progIds) return;
    ComPtr<IExtractProgIDInfo> item;
    progIds->Add(AsBstr(name).Get(), item.Put());
    if (!item) return;
    item->put_ProgID(AsBstr(name).Get());

    const LiveRegistry& registry = Registry();
    if (std::optional<std::wstring> description = registry.Text(name, nullptr)) {
      item->put_Description(AsBstr(*description).Get());
      registry.SoftDelete(name, nullptr);
    }
    std::optional<NameList> subkeys = registry.Keys(name);
    if (!subkeys) return;
    for (const std::wstring& subkey : *subkeys) {
      std::wstring key = SubKey(name, subkey);
      if (EqualsNoCase(subkey, L"CLSID")) {
        if (std::optional<std::wstring> clsid = registry.Text(key, nullptr)) {
          item->put_ClassID(AsBstr(*clsid).Get());
          registry.SoftDelete(key, nullptr);
        }
      } else if (EqualsNoCase(subkey, L"DefaultIcon")) {
        ExtractDefIconInfo(item.Get(), key, kProgIDIcon);
      } else if (EqualsNoCase(subkey, L"Shell")) {
        FindVerbInfo(item.Get(), component, name);
      } else {
        registry.HandOver(component, key, nullptr, true);
      }
    }
  });
}

void LiveHarvest::FindVerIndProgIDInfo() {
  InStep(L" in FindVerIndProgIDInfo Function", [&] {
    const LiveRegistry& registry = Registry();
    for (const auto& [current, independent] : versions_) {
      auto owner = progIds_.find(LowerPath(current));
      if (owner == progIds_.end()) continue;
      ComPtr<IExtractProgIDCol> progIds;
      CheckCall(owner->second->get_ProgIDCollection(progIds.Put()));
      if (!progIds) return;
      ComPtr<IExtractProgIDInfo> recorded;
      if (FAILED(ItemByName(progIds.Get(), current, &recorded)) || !recorded) continue;
      ComPtr<IExtractProgIDInfo> item;
      progIds->Add(AsBstr(independent).Get(), item.Put());
      if (!item) return;
      if (std::optional<std::wstring> description = registry.Text(independent, nullptr)) {
        item->put_Description(AsBstr(*description).Get());
        registry.SoftDelete(independent, nullptr);
      }
      registry.SoftDelete(SubKey(independent, L"CURVER"), nullptr);
      item->put_Parent(AsBstr(current).Get());
      item->put_ProgID(AsBstr(independent).Get());
    }
  });
}

void LiveHarvest::CheckForDefaultIcons() {
  InGuardedStep(L" in CheckForDefaultIcons Function", L"Error in CheckForDefaultIcons Function",
                [&] {
                  std::optional<NameList> names = Registry().Keys(std::wstring());
                  if (!names) return;
                  for (const std::wstring& name : *names) {
                    if (IsSkippedTopLevelName(name)) continue;
                    if (!Registry().TextUnchecked(SubKey(name, L"CLSID"), nullptr))
                      CheckForDefaultIcon(name);
                  }
                });
}

void LiveHarvest::CheckForDefaultIcon(const std::wstring& name) {
  InGuardedStep(L" in CheckForDefaultIcon Function", L"Error in CheckForDefaultIcon Function", [&] {
    std::wstring key = SubKey(name, L"DefaultIcon");
    if (!Registry().TextUnchecked(key, nullptr)) return;
    for (const auto& entry : extensions_) {
      if (!entry.second) return;
      ComPtr<IExtractProgIDCol> progIds;
      CheckCall(entry.second->get_ProgIDCollection(progIds.Put()));
      if (!progIds) continue;
      ComPtr<IExtractProgIDInfo> item;
      ItemByName(progIds.Get(), name, &item);
      if (!item) continue;
      ExtractDefIconInfo(item.Get(), key, kProgIDIcon);
      break;
    }
  });
}

}  // namespace twutil
