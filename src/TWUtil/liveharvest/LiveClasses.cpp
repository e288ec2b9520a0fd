// Classes served by the component files, found among every class of the
// machine, with their contexts, icons and AppIDs.
#include <shlwapi.h>

#include "Errors.h"
#include "liveharvest/LiveCapturedEntries.h"
#include "liveharvest/LiveHarvest.h"
#include "liveharvest/LiveText.h"
#include "liveharvest/StepErrors.h"
#include "servers/HarvestText.h"
#include "servers/PathForms.h"

namespace twutil {
namespace {

const wchar_t* const kServerKeys[] = {L"InprocServer32", L"InprocServer", L"LocalServer32",
                                      L"LocalServer"};

bool IsServerKeyName(const std::wstring& name) {
  for (const wchar_t* server : kServerKeys)
    if (EqualsNoCase(name, server)) return true;
  return false;
}

std::wstring ClassKey(const std::wstring& className) { return SubKey(L"CLSID", className); }

template <class Item>
void PutIcon(IUnknown* target, const Bstr& file, LONG index) {
  ComPtr<Item> item;
  if (FAILED(target->QueryInterface(__uuidof(Item), item.PutVoid())) || !item) return;
  CheckCall(item->put_DefaultIcon(file.Get()));
  CheckCall(item->put_IconIndex(index));
}

}  // namespace

void LiveHarvest::FindCOMInfo() {
  if (!registry_) return;
  InStep(L" in FindCOMInfo Function", [&] {
    std::optional<NameList> classNames = Registry().Keys(L"CLSID");
    if (!classNames) return;
    for (const std::wstring& className : *classNames)
      for (const wchar_t* server : kServerKeys)
        CheckServerEntry(SubKey(ClassKey(className), server), className);
  });
}

void LiveHarvest::CheckServerEntry(const std::wstring& serverKey, const std::wstring& className) {
  if (!registry_) return;
  std::optional<std::wstring> server = Registry().Text(serverKey, nullptr);
  if (!server) return;
  IExtractComponent* component = ServerComponent(ServerEntryPath(*server));
  if (!component) return;
  ExtractCOMClassInfo(component, className);
  classes_[LowerPath(className)] = ComponentRef(component);
  Registry().SoftDeleteUnchecked(serverKey, nullptr);
}

void LiveHarvest::ExtractCOMClassInfo(IExtractComponent* component, const std::wstring& className) {
  ComPtr<IExtractComClassCol> classes;
  CheckCall(component->get_ComClassCollection(classes.Put()));
  if (!classes) return;
  ComPtr<IExtractComClass> item;
  classes->Add(AsBstr(className).Get(), item.Put());
  if (!item) return;
  item->put_Guid(AsBstr(className).Get());

  const LiveRegistry& registry = Registry();
  std::wstring classKey = ClassKey(className);
  if (std::optional<std::wstring> description = registry.Text(classKey, nullptr)) {
    registry.SoftDelete(classKey, nullptr);
    item->put_Description(AsBstr(*description).Get());
  }
  if (std::optional<std::wstring> appId = registry.Text(classKey, L"AppID")) {
    item->put_AppID(AsBstr(*appId).Get());
    appIds_[LowerPath(*appId)] = ComponentRef(component);
    AddAppInfo(component, *appId);
    registry.SoftDelete(classKey, L"AppID");
  }
  std::optional<NameList> subkeys = registry.Keys(classKey);
  if (!subkeys) return;

  // Handler keys listed before a local server apply to it.
  bool handler = false, handler32 = false;
  for (const std::wstring& name : *subkeys) {
    std::wstring key = SubKey(classKey, name);
    bool isHandler = EqualsNoCase(name, L"InProcHandler");
    bool isHandler32 = EqualsNoCase(name, L"InProcHandler32");
    if (EqualsNoCase(name, L"ProgID")) {
      if (std::optional<std::wstring> progId = registry.Text(key, nullptr)) {
        item->put_ProgID(AsBstr(*progId).Get());
        registry.SoftDelete(key, nullptr);
      }
    } else if (EqualsNoCase(name, L"VersionIndependentProgID")) {
      // Found through the ProgIDs' CurVer keys.
    } else if (isHandler || isHandler32) {
      handler = handler || isHandler;
      handler32 = handler32 || isHandler32;
      registry.HandOver(component, key, nullptr, true);
      if (registry.Repackaging()) registry.SoftDelete(key, nullptr);
    } else if (EqualsNoCase(name, L"DefaultIcon")) {
      ExtractDefIconInfo(item.Get(), key, kClassIcon);
    } else if (IsServerKeyName(name)) {
      AddContextType(component, item.Get(), name, className, handler, handler32);
      std::optional<NameList> values = registry.Names(key);
      if (!values) continue;
      for (size_t i = 1; i < values->size(); ++i)
        if (!IsServerKeyName((*values)[i]))
          registry.HandOver(component, key, (*values)[i].c_str(), false,
                            LiveRegistry::Check::kNever);
    } else {
      registry.HandOver(component, key, nullptr, true, LiveRegistry::Check::kMiscOnly);
    }
  }
}

void LiveHarvest::AddContextType(IExtractComponent*, IExtractComClass* item,
                                 const std::wstring& contextName, const std::wstring& className,
                                 bool handler, bool handler32) {
  InStep(L" In AddContextType Function", [&] {
    ComPtr<IExtractContextCol> contexts;
    CheckCall(item->get_ContextCol(contexts.Put()));
    if (!contexts) return;
    ComPtr<IExtractContextType> context;
    contexts->Add(AsBstr(contextName).Get(), context.Put());
    if (!context) return;
    context->put_Name(AsBstr(contextName).Get());
    if (!EqualsNoCase(contextName, L"LocalServer") && !EqualsNoCase(contextName, L"LocalServer32"))
      return;
    std::wstring key = SubKey(ClassKey(className), contextName);
    if (std::optional<std::wstring> server = Registry().Text(key, nullptr)) {
      Registry().SoftDelete(key, nullptr);
      if (std::optional<std::wstring> argument = LocalServerArgument(LowerAscii(*server)))
        context->put_Argument(AsBstr(*argument).Get());
    }
    if (handler || handler32)
      context->put_DefInprocHandler(handler && handler32 ? 3 : handler ? 1 : 2);
  });
}

std::wstring LiveHarvest::InstalledSurrogate(IExtractComponent* component,
                                             const std::wstring& text) const {
  Bstr keyFile;
  component->get_KeyFile(VARIANT_FALSE, keyFile.Put());
  if (!keyFile.Get() || lstrcmpiW(keyFile.Get(), text.c_str()) != 0) return text;
  Bstr destination;
  component->get_Destination(destination.Put());
  std::wstring installed(destination.Text(), destination.Length());
  if (installed.empty() || installed.back() != L']') installed += L'\\';
  return installed + PathFindFileNameW(text.c_str());
}

void LiveHarvest::AddAppInfo(IExtractComponent* component, const std::wstring& appId) {
  InStep(L" in AddAppInfo function", [&] {
    ComPtr<IExtractAppIDCol> appIds;
    CheckCall(component->get_AppInfoCollection(appIds.Put()));
    if (!appIds) return;
    ComPtr<IExtractAppIDInfo> item;
    appIds->Add(AsBstr(appId).Get(), item.Put());
    if (!item) return;
    item->put_Guid(AsBstr(appId).Get());

    const LiveRegistry& registry = Registry();
    std::wstring key = SubKey(L"AppID", appId);
    if (std::optional<std::wstring> description = registry.Text(key, nullptr)) {
      item->put_Description(AsBstr(*description).Get());
      registry.SoftDelete(key, nullptr);
    }
    std::optional<NameList> names = registry.Names(key);
    if (!names) return;
    for (const std::wstring& name : *names) {
      const wchar_t* known[] = {L"LocalService", L"ServiceParameters", L"RemoteServerName",
                                L"DllSurrogate", L"ActivateAtStorage", L"RunAs"};
      size_t which = 0;
      while (which < 6 && !EqualsNoCase(name, known[which])) ++which;
      if (which == 6) {
        registry.HandOver(component, key, name.c_str(), false);
        continue;
      }
      std::optional<std::wstring> value = registry.Text(key, known[which]);
      if (!value) continue;
      switch (which) {
        case 0:
          item->put_LocalService(AsBstr(*value).Get());
          break;
        case 1:
          item->put_ServiceParameters(AsBstr(*value).Get());
          break;
        case 2:
          item->put_RemoteServerName(AsBstr(*value).Get());
          break;
        case 3:
          item->put_DllSurrogate(AsBstr(InstalledSurrogate(component, *value)).Get());
          break;
        case 4:
          item->put_ActivateAtStorage(!value->empty() &&
                                      (value->front() == L'Y' || value->front() == L'y'));
          break;
        default:
          item->put_RunAsInteractiveUser(EqualsNoCase(*value, L"Interactive User"));
          break;
      }
      registry.SoftDelete(key, known[which]);
    }
  });
}

void LiveHarvest::AddAdditionalAppInfo() {
  InStep(L" in AddAdditionalAppInfo function", [&] {
    std::optional<NameList> names = Registry().Keys(L"AppID");
    if (!names) return;
    for (const std::wstring& name : *names) {
      std::wstring key = SubKey(L"AppID", name);
      std::optional<std::wstring> appId = Registry().Text(key, L"AppID");
      if (!appId) continue;
      auto owner = appIds_.find(LowerPath(*appId));
      if (owner == appIds_.end()) continue;
      LONG result = 0;
      CheckCall(owner->second->AddMiscRegistryInfo(HKCR, AsBstr(key).Get(), Bstr(L"AppID").Get(),
                                                   VARIANT_TRUE, &result));
      HandOverLiveEntry(owner->second.Get(), key, L"AppID");
    }
  });
}

void LiveHarvest::ExtractDefIconInfo(IUnknown* target, const std::wstring& key, LONG kind) {
  InStep(L"in ExtractDefIconInfo Function", [&] {
    std::optional<std::wstring> text = Registry().Text(key, nullptr);
    if (!text) return;
    Registry().SoftDelete(key, nullptr);
    std::optional<LiveIcon> icon = SplitLiveIconText(*text);
    if (!icon || !target) return;
    Bstr file = AsBstr(serverFiles_.ExpandSystemPrefix(icon->file));
    if (kind == kProgIDIcon) PutIcon<IExtractProgIDInfo>(target, file, icon->index);
    if (kind == kClassIcon) PutIcon<IExtractComClass>(target, file, icon->index);
  });
}

}  // namespace twutil
