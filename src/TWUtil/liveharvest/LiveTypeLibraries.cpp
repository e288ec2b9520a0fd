// Type libraries registered for component files (only those the file really
// holds, the highest version per library and locale), and the interfaces
// marshalled by the found classes.
#include <set>

#include "Errors.h"
#include "com/TypeLibAttributes.h"
#include "com/TypeLibPlatform.h"
#include "liveharvest/LiveCapturedEntries.h"
#include "liveharvest/LiveHarvest.h"
#include "liveharvest/LiveText.h"
#include "liveharvest/StepErrors.h"
#include "servers/HarvestText.h"
#include "servers/PathForms.h"

namespace twutil {
namespace {

const wchar_t kInterfaceKeys[] = L"Interface\\";

// The LIBIDs (braced, upper case) of the libraries a file holds: the first
// as the file itself, the others as "file\<index>", up to the first gap.
std::set<std::wstring> ContainedLibraries(const std::wstring& file) {
  std::set<std::wstring> libIds;
  for (int index = 0;; ++index) {
    std::wstring path = index == 0 ? file : file + L"\\" + std::to_wstring(index);
    ComPtr<ITypeLib> library;
    if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Put())) || !library) break;
    TypeLibAttributes attributes(library.Get());
    if (!attributes) throw com_exception(E_UNEXPECTED);
    CoTaskString text;
    ThrowIfFailed(StringFromCLSID(attributes->guid, text.Put()));
    libIds.insert(text.Get());
  }
  return libIds;
}

}  // namespace

void LiveHarvest::ExtractTypeLibInfo() {
  if (!registry_) return;
  InStep(L" In ExtractTypeLibInfo Function", [&] {
    const LiveRegistry& registry = Registry();
    std::optional<NameList> libIds = registry.Keys(L"TypeLib");
    if (!libIds) return;
    for (const std::wstring& libId : *libIds) {
      std::wstring libKey = SubKey(L"TypeLib", libId);
      std::optional<NameList> versions = registry.Keys(libKey);
      if (!versions) continue;
      for (const std::wstring& version : *versions) {
        std::wstring versionKey = SubKey(libKey, version);
        std::optional<NameList> lcids = registry.Keys(versionKey);
        if (!lcids) continue;
        for (const std::wstring& lcid : *lcids) {
          std::optional<std::wstring> path =
              registry.TextLoose(SubKey(SubKey(versionKey, lcid), kTypeLibPlatform), nullptr);
          if (!path) continue;
          std::wstring expanded = serverFiles_.ExpandSystemPrefix(*path);
          IExtractComponent* component = FindServerFile(expanded);
          if (!component) {
            std::wstring stripped = StripTypeLibResourceIndex(expanded);
            if (!stripped.empty()) component = FindServerFile(stripped);
          }
          if (!component) continue;
          auto list = typeLibs_.begin();
          while (list != typeLibs_.end() && list->first.Get() != component) ++list;
          if (list == typeLibs_.end())
            list = typeLibs_.insert(typeLibs_.end(), {ComponentRef(component), {}});
          list->second.push_back(
              {LeadingDecimal(lcid), FormatTypeLibVersion(version), libId, version, lcid});
        }
      }
    }
  });
  TypeLibraryHelper();
}

void LiveHarvest::TypeLibraryHelper() {
  InStep(L" in TypeLibraryHelper Function", [&] {
    for (auto& [component, candidates] : typeLibs_) {
      Bstr keyFile;
      component->get_KeyFile(repackaging_ ? VARIANT_TRUE : VARIANT_FALSE, keyFile.Put());
      std::set<std::wstring> contained =
          ContainedLibraries(std::wstring(keyFile.Text(), keyFile.Length()));
      while (!candidates.empty()) {
        TypeLibCandidate best = candidates.front();
        candidates.erase(candidates.begin());
        // A stale registration of a library this build no longer holds.
        if (!contained.count(best.libId)) continue;
        for (auto later = candidates.begin(); later != candidates.end();) {
          if (later->lcid != best.lcid) {
            ++later;
            continue;
          }
          LONG order = CompareVersionText(later->version.c_str(), best.version.c_str());
          bool sameLibrary = LowerPath(later->libId) == LowerPath(best.libId);
          if (order > 0 && sameLibrary) {
            best = *later;
            later = candidates.erase(later);
          } else if (order == 0) {
            AddTypeLibrary(component.Get(), *later);
            later = candidates.erase(later);
          } else if (order < 0 && sameLibrary) {
            later = candidates.erase(later);
          } else {
            ++later;
          }
        }
        AddTypeLibrary(component.Get(), best);
      }
    }
  });
}

void LiveHarvest::AddTypeLibrary(IExtractComponent* component, const TypeLibCandidate& entry) {
  InStep(L" in TypeLibrary Collection", [&] {
    ComPtr<IExtractTypeLibCol> libraries;
    CheckCall(component->get_TypeLibCollection(libraries.Put()));
    if (!libraries) return;
    ComPtr<IExtractTypeLibrary> item;
    libraries->Add(AsBstr(entry.libId).Get(), item.Put());
    if (!item) return;
    CheckCall(item->put_LibID(AsBstr(entry.libId).Get()));
    CheckCall(item->put_LibLCID(entry.lcid));
    CheckCall(item->put_LibVersion(AsBstr(entry.version).Get()));

    const LiveRegistry& registry = Registry();
    std::wstring versionKey = SubKey(SubKey(L"TypeLib", entry.libId), entry.versionKey);
    if (std::optional<std::wstring> description = registry.Text(versionKey, nullptr)) {
      registry.SoftDelete(versionKey, nullptr);
      item->put_LibDescription(AsBstr(*description).Get());
    }
    std::wstring helpKey = SubKey(versionKey, L"HELPDIR");
    if (std::optional<std::wstring> helpDir = registry.Text(helpKey, nullptr)) {
      registry.SoftDelete(helpKey, nullptr);
      item->put_HelpDir(AsBstr(*helpDir).Get());
    }
    registry.SoftDelete(SubKey(SubKey(versionKey, entry.lcidKey), kTypeLibPlatform), nullptr);
    registry.SoftDelete(SubKey(versionKey, L"FLAGS"), nullptr);
    SoftDeleteInterfaceEntries(entry.libId);
  });
}

void LiveHarvest::SoftDeleteInterfaceEntries(const std::wstring& libId) {
  if (!repackaging_) return;
  InStep(L" in SoftDel of Interface Entries", [&] {
    const LiveRegistry& registry = Registry();
    std::optional<NameList> interfaces = registry.Keys(L"Interface");
    if (!interfaces) return;
    for (const std::wstring& iid : *interfaces) {
      std::wstring key = SubKey(L"Interface", iid);
      std::optional<NameList> subkeys = registry.Keys(key);
      if (!subkeys) continue;
      for (const std::wstring& subkey : *subkeys) {
        if (!EqualsNoCase(subkey, L"TypeLib")) continue;
        std::optional<std::wstring> owner = registry.Text(SubKey(key, subkey), nullptr);
        if (owner && EqualsNoCase(*owner, libId.c_str())) registry.SoftDelete(key, nullptr, true);
      }
    }
  });
}

void LiveHarvest::FindInterfaceInfo() {
  InStep(L" in SoftDel of Interface Entries", [&] {
    const LiveRegistry& registry = Registry();
    std::optional<NameList> interfaces = registry.Keys(kInterfaceKeys);
    if (!interfaces) return;
    for (const std::wstring& iid : *interfaces) {
      std::wstring key = kInterfaceKeys + iid;
      std::wstring proxyKey = SubKey(key, L"ProxyStubClsid32");
      std::optional<std::wstring> proxy = registry.Text(proxyKey, nullptr);
      if (!proxy) continue;
      auto owner = classes_.find(LowerPath(*proxy));
      if (owner == classes_.end()) {
        registry.SoftDelete(proxyKey, nullptr, true);
        continue;
      }
      LONG result = 0;
      CheckCall(owner->second->AddMiscRegistryInfo(HKCR, AsBstr(key).Get(), nullptr, VARIANT_TRUE,
                                                   &result));
      HandOverLiveEntry(owner->second.Get(), key, nullptr);
      registry.SoftDelete(key, nullptr, true);
    }
  });
}

}  // namespace twutil
