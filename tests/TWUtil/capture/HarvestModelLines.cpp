#include "HarvestModelLines.h"

#include "com/Owners.h"

namespace harvesttest {
namespace {

using twutil::Bstr;
using twutil::ComPtr;

template <class Item, class Getter>
std::wstring Text(Item* item, Getter get) {
  Bstr value;
  if (FAILED((item->*get)(value.Put()))) return L"<failed>";
  return std::wstring(value.Text(), value.Length());
}

template <class Item, class Getter>
std::wstring Number(Item* item, Getter get) {
  LONG value = 0;
  if (FAILED((item->*get)(&value))) return L"<failed>";
  return std::to_wstring(value);
}

// Items at positions 1 to Count, each turned into a line.
template <class Collection, class Item, class Line>
std::vector<std::wstring> Lines(Collection* collection, Line line) {
  std::vector<std::wstring> lines;
  LONG count = 0;
  if (!collection || FAILED(collection->get_Count(&count))) return lines;
  for (LONG position = 1; position <= count; ++position) {
    VARIANT at;
    VariantInit(&at);
    V_VT(&at) = VT_I4;
    V_I4(&at) = position;
    ComPtr<Item> item;
    if (SUCCEEDED(collection->get_Item(at, item.Put())) && item) lines.push_back(line(item.Get()));
  }
  return lines;
}

template <class Collection, class Item, class Line>
std::vector<std::wstring> ComponentLines(
    IExtractComponent* component, HRESULT (STDMETHODCALLTYPE IExtractComponent::*get)(Collection**),
    Line line) {
  ComPtr<Collection> collection;
  if (FAILED((component->*get)(collection.Put()))) return {};
  return Lines<Collection, Item>(collection.Get(), line);
}

std::wstring Contexts(IExtractComClass* item) {
  ComPtr<IExtractContextCol> contexts;
  if (FAILED(item->get_ContextCol(contexts.Put()))) return L"<failed>";
  std::wstring joined;
  for (const std::wstring& context :
       Lines<IExtractContextCol, IExtractContextType>(contexts.Get(), [](IExtractContextType* c) {
         return Text(c, &IExtractContextType::get_Name) + L":" +
                Number(c, &IExtractContextType::get_DefInprocHandler) + L":" +
                Text(c, &IExtractContextType::get_Argument);
       }))
    joined += (joined.empty() ? L"" : L",") + context;
  return joined;
}

}  // namespace

std::vector<std::wstring> TypeLibraryLines(IExtractComponent* component) {
  return ComponentLines<IExtractTypeLibCol, IExtractTypeLibrary>(
      component, &IExtractComponent::get_TypeLibCollection, [](IExtractTypeLibrary* t) {
        return Text(t, &IExtractTypeLibrary::get_LibID) + L"|" +
               Number(t, &IExtractTypeLibrary::get_LibLCID) + L"|" +
               Text(t, &IExtractTypeLibrary::get_LibDescription) + L"|" +
               Text(t, &IExtractTypeLibrary::get_LibVersion) + L"|" +
               Text(t, &IExtractTypeLibrary::get_HelpDir);
      });
}

std::vector<std::wstring> ClassLines(IExtractComponent* component) {
  return ComponentLines<IExtractComClassCol, IExtractComClass>(
      component, &IExtractComponent::get_ComClassCollection, [](IExtractComClass* c) {
        return Text(c, &IExtractComClass::get_Guid) + L"|" +
               Text(c, &IExtractComClass::get_Description) + L"|" +
               Text(c, &IExtractComClass::get_ProgID) + L"|" +
               Text(c, &IExtractComClass::get_AppID) + L"|" +
               Text(c, &IExtractComClass::get_DefaultIcon) + L"|" +
               Number(c, &IExtractComClass::get_IconIndex) + L"|" + Contexts(c);
      });
}

std::vector<std::wstring> AppIDLines(IExtractComponent* component) {
  return ComponentLines<IExtractAppIDCol, IExtractAppIDInfo>(
      component, &IExtractComponent::get_AppInfoCollection, [](IExtractAppIDInfo* a) {
        return Text(a, &IExtractAppIDInfo::get_Guid) + L"|" +
               Text(a, &IExtractAppIDInfo::get_RemoteServerName) + L"|" +
               Text(a, &IExtractAppIDInfo::get_LocalService) + L"|" +
               Text(a, &IExtractAppIDInfo::get_ServiceParameters) + L"|" +
               Text(a, &IExtractAppIDInfo::get_DllSurrogate) + L"|" +
               Text(a, &IExtractAppIDInfo::get_Description) + L"|" +
               Number(a, &IExtractAppIDInfo::get_ActivateAtStorage) + L"|" +
               Number(a, &IExtractAppIDInfo::get_RunAsInteractiveUser);
      });
}

std::vector<std::wstring> ProgIDLines(IExtractComponent* component) {
  return ComponentLines<IExtractProgIDCol, IExtractProgIDInfo>(
      component, &IExtractComponent::get_ProgIDCollection, [](IExtractProgIDInfo* p) {
        return Text(p, &IExtractProgIDInfo::get_ProgID) + L"|" +
               Text(p, &IExtractProgIDInfo::get_ClassID) + L"|" +
               Text(p, &IExtractProgIDInfo::get_Description) + L"|" +
               Text(p, &IExtractProgIDInfo::get_Parent) + L"|" +
               Text(p, &IExtractProgIDInfo::get_DefaultIcon) + L"|" +
               Number(p, &IExtractProgIDInfo::get_IconIndex);
      });
}

std::vector<std::wstring> VerbLines(IExtractComponent* component, const wchar_t* progId) {
  ComPtr<IExtractProgIDCol> progIds;
  if (FAILED(component->get_ProgIDCollection(progIds.Put()))) return {};
  Bstr key(progId);
  VARIANT lookup;
  VariantInit(&lookup);
  V_VT(&lookup) = VT_BSTR;
  V_BSTR(&lookup) = key.Get();
  ComPtr<IExtractProgIDInfo> item;
  if (FAILED(progIds->get_Item(lookup, item.Put())) || !item) return {L"<no such ProgID>"};
  ComPtr<IExtractVerbCol> verbs;
  if (FAILED(item->get_VerbCollection(verbs.Put()))) return {};
  return Lines<IExtractVerbCol, IExtractVerbInfo>(verbs.Get(), [](IExtractVerbInfo* v) {
    ComPtr<IExtractProgIDInfo> linked;
    std::wstring link = L"<none>";
    if (SUCCEEDED(v->get_ProgID(linked.Put())) && linked)
      link = Text(linked.Get(), &IExtractProgIDInfo::get_ProgID);
    return Text(v, &IExtractVerbInfo::get_Verb) + L"|" + Text(v, &IExtractVerbInfo::get_Command) +
           L"|" + link + L"|" + Text(v, &IExtractVerbInfo::get_Argument) + L"|" +
           Number(v, &IExtractVerbInfo::get_Sequence) + L"|" +
           Text(v, &IExtractVerbInfo::get_PEFile) + L"|" +
           Text(v, &IExtractVerbInfo::get_Extension);
  });
}

std::vector<std::wstring> ExtensionLines(IExtractComponent* component) {
  return ComponentLines<IExtractExtensionCol, IExtractExtensionInfo>(
      component, &IExtractComponent::get_ExtensionCol, [](IExtractExtensionInfo* e) {
        return Text(e, &IExtractExtensionInfo::get_Extension) + L"|" +
               Text(e, &IExtractExtensionInfo::get_ProgID) + L"|" +
               Text(e, &IExtractExtensionInfo::get_MIME);
      });
}

std::vector<std::wstring> MIMELines(IExtractComponent* component) {
  return ComponentLines<IExtractMIMECol, IExtractMIMEInfo>(
      component, &IExtractComponent::get_MIMECol, [](IExtractMIMEInfo* m) {
        return Text(m, &IExtractMIMEInfo::get_Extension) + L"|" +
               Text(m, &IExtractMIMEInfo::get_Content) + L"|" +
               Text(m, &IExtractMIMEInfo::get_CLSID);
      });
}

}  // namespace harvesttest
