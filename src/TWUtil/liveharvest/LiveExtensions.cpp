// File extensions served by the components' ProgIDs, and the MIME types that
// name those extensions.
#include "Errors.h"
#include "liveharvest/LiveHarvest.h"
#include "liveharvest/ModelLookup.h"
#include "liveharvest/StepErrors.h"
#include "servers/HarvestText.h"
#include "servers/PathForms.h"

namespace twutil {
namespace {

const wchar_t kContentTypes[] = L"MIME\\Database\\Content Type";

std::wstring WithoutDot(const std::wstring& extension) {
  return extension.empty() ? extension : extension.substr(1);
}

}  // namespace

IExtractComponent* LiveHarvest::FindExtensionComponent(const std::wstring& extension) const {
  if (extension.empty()) return nullptr;
  auto owner = extensions_.find(WithoutDot(LowerPath(extension)));
  return owner == extensions_.end() ? nullptr : owner->second.Get();
}

void LiveHarvest::FindExtensionInfo() {
  InStep(L" in FindExtensionInfo Function", [&] {
    const LiveRegistry& registry = Registry();
    std::optional<NameList> names = registry.Keys(std::wstring());
    if (!names) return;
    for (const std::wstring& name : *names) {
      if (name.empty() || name[0] != L'.') continue;
      std::optional<std::wstring> progId = registry.Text(name, nullptr);
      if (!progId) continue;
      registry.SoftDelete(name, nullptr);
      auto owner = progIds_.find(LowerPath(*progId));
      if (owner == progIds_.end()) continue;
      ComponentRef component = owner->second;
      ComPtr<IExtractProgIDCol> progIds;
      CheckCall(component->get_ProgIDCollection(progIds.Put()));
      if (!progIds) return;
      ComPtr<IExtractProgIDInfo> item;
      if (FAILED(ItemByName(progIds.Get(), *progId, &item)) || !item) continue;
      ComPtr<IExtractVerbCol> verbs;
      CheckCall(item->get_VerbCollection(verbs.Put()));
      if (!verbs) return;
      LONG count = 0;
      CheckCall(verbs->get_Count(&count));
      std::wstring extension = WithoutDot(name);
      for (LONG position = 1; position <= count; ++position) {
        ComPtr<IExtractVerbInfo> verb;
        if (FAILED(ItemAt(verbs.Get(), position, &verb)) || !verb) continue;
        CheckCall(verb->put_Extension(AsBstr(extension).Get()));
      }
      extensions_[LowerPath(extension)] = component;
      CreateExtensionInfo(component.Get(), *progId, extension);
    }
  });
}

void LiveHarvest::CreateExtensionInfo(IExtractComponent* component, const std::wstring& progId,
                                      const std::wstring& extension) {
  InStep(L" in CreateExtensionInfo Function", [&] {
    ComPtr<IExtractExtensionCol> extensions;
    CheckCall(component->get_ExtensionCol(extensions.Put()));
    if (!extensions) return;
    ComPtr<IExtractExtensionInfo> item;
    extensions->Add(AsBstr(extension).Get(), item.Put());
    if (!item) return;
    item->put_Extension(AsBstr(extension).Get());
    item->put_ProgID(AsBstr(progId).Get());
  });
}

void LiveHarvest::FindMIMEInfo() {
  InStep(L" in FindMIMEInfo Function", [&] {
    const LiveRegistry& registry = Registry();
    // Content types are reached level by level, as the registry lists them.
    NameList types;
    if (std::optional<NameList> mime = registry.Keys(L"MIME"))
      for (const std::wstring& database : *mime) {
        if (!EqualsNoCase(database, L"Database")) continue;
        std::optional<NameList> kinds = registry.Keys(L"MIME\\Database");
        if (!kinds) continue;
        for (const std::wstring& kind : *kinds) {
          if (!EqualsNoCase(kind, L"Content Type")) continue;
          if (std::optional<NameList> listed = registry.Keys(kContentTypes))
            types.insert(types.end(), listed->begin(), listed->end());
        }
      }

    for (const std::wstring& type : types) {
      std::wstring key = SubKey(kContentTypes, type);
      std::optional<NameList> values = registry.Names(key);
      if (!values) continue;
      ComponentRef owner;
      bool recorded = false;
      NameList others;
      for (const std::wstring& value : *values) {
        if (EqualsNoCase(value, L"Extension")) {
          std::optional<std::wstring> extension = registry.Text(key, L"Extension");
          if (!extension) continue;
          IExtractComponent* component = FindExtensionComponent(*extension);
          if (!component) continue;
          owner = ComponentRef(component);
          ComPtr<IExtractExtensionCol> extensions;
          CheckCall(component->get_ExtensionCol(extensions.Put()));
          if (!extensions) continue;
          ComPtr<IExtractExtensionInfo> item;
          if (FAILED(ItemByName(extensions.Get(), WithoutDot(*extension), &item)) || !item)
            continue;
          CheckCall(item->put_MIME(AsBstr(type).Get()));
          CreateMIMEInfo(component, type, std::wstring(), WithoutDot(*extension));
          registry.SoftDelete(key, L"Extension");
        } else if (EqualsNoCase(value, L"CLSID")) {
          std::optional<std::wstring> extension = registry.Text(key, L"Extension");
          if (!extension) continue;
          IExtractComponent* component = FindExtensionComponent(*extension);
          if (!component) continue;
          std::optional<std::wstring> clsid = registry.Text(key, L"CLSID");
          if (!clsid) continue;
          owner = ComponentRef(component);
          CreateMIMEInfo(component, type, *clsid, WithoutDot(*extension));
          recorded = true;
          registry.SoftDelete(key, L"CLSID");
        } else {
          others.push_back(value);
        }
      }
      if (recorded && owner)
        for (const std::wstring& value : others)
          registry.HandOver(owner.Get(), key, value.c_str(), false);
    }
  });
}

void LiveHarvest::CreateMIMEInfo(IExtractComponent* component, const std::wstring& type,
                                 const std::wstring& clsid, const std::wstring& extension) {
  InStep(L" in CreateMIMEInfo Function", [&] {
    if (!component) return;
    ComPtr<IExtractMIMECol> mimeTypes;
    CheckCall(component->get_MIMECol(mimeTypes.Put()));
    if (!mimeTypes) return;
    ComPtr<IExtractMIMEInfo> item;
    ItemByName(mimeTypes.Get(), type, &item);
    if (!item) mimeTypes->Add(AsBstr(type).Get(), item.Put());
    if (!item) return;
    CheckCall(item->put_Content(AsBstr(type).Get()));
    if (!clsid.empty()) CheckCall(item->put_CLSID(AsBstr(clsid).Get()));
    CheckCall(item->put_Extension(AsBstr(extension).Get()));
  });
}

}  // namespace twutil
