#include "model/ModelJson.h"

#include <cwchar>

#include "com/Owners.h"
#include "model/CaptureJson.h"
#include "model/Component.h"
#include "model/JsonWriter.h"

namespace twutil::model {
namespace {

template <class Item, class Getter>
void TextMember(JsonWriter& w, const char* name, Item* item, Getter get) {
  w.Key(name);
  Bstr value;
  if (FAILED((item->*get)(value.Put()))) return w.Null();
  w.String(value.Text(), value.Length());
}

template <class Item, class Getter>
void NumberMember(JsonWriter& w, const char* name, Item* item, Getter get) {
  w.Key(name);
  LONG value = 0;
  if (FAILED((item->*get)(&value))) return w.Null();
  w.Number(value);
}

// The items at positions 1 to Count; a position that yields none shows as null.
template <class Collection, class Item>
void Items(JsonWriter& w, Collection* collection, void (*writeItem)(JsonWriter&, Item*)) {
  LONG count = 0;
  if (!collection || FAILED(collection->get_Count(&count))) return w.Null();
  w.BeginArray();
  for (LONG index = 0; index < count; ++index) {
    VARIANT position;
    VariantInit(&position);
    V_VT(&position) = VT_I4;
    V_I4(&position) = index + 1;
    ComPtr<Item> item;
    if (SUCCEEDED(collection->get_Item(position, item.Put())) && item) {
      writeItem(w, item.Get());
    } else {
      w.Null();
    }
  }
  w.EndArray();
}

template <class Owner, class Collection, class Item>
void CollectionMember(JsonWriter& w, const char* name, Owner* owner,
                      HRESULT (STDMETHODCALLTYPE Owner::*get)(Collection**),
                      void (*writeItem)(JsonWriter&, Item*)) {
  w.Key(name);
  ComPtr<Collection> collection;
  if (FAILED((owner->*get)(collection.Put()))) return w.Null();
  Items(w, collection.Get(), writeItem);
}

void WriteTypeLibrary(JsonWriter& w, IExtractTypeLibrary* item) {
  w.BeginObject();
  TextMember(w, "LibID", item, &IExtractTypeLibrary::get_LibID);
  NumberMember(w, "LibLCID", item, &IExtractTypeLibrary::get_LibLCID);
  TextMember(w, "LibDescription", item, &IExtractTypeLibrary::get_LibDescription);
  TextMember(w, "LibVersion", item, &IExtractTypeLibrary::get_LibVersion);
  TextMember(w, "HelpDir", item, &IExtractTypeLibrary::get_HelpDir);
  w.EndObject();
}

void WriteContext(JsonWriter& w, IExtractContextType* item) {
  w.BeginObject();
  TextMember(w, "Name", item, &IExtractContextType::get_Name);
  NumberMember(w, "DefInprocHandler", item, &IExtractContextType::get_DefInprocHandler);
  TextMember(w, "Argument", item, &IExtractContextType::get_Argument);
  w.EndObject();
}

void WriteComClass(JsonWriter& w, IExtractComClass* item) {
  w.BeginObject();
  TextMember(w, "Guid", item, &IExtractComClass::get_Guid);
  TextMember(w, "Description", item, &IExtractComClass::get_Description);
  TextMember(w, "ProgID", item, &IExtractComClass::get_ProgID);
  TextMember(w, "AppID", item, &IExtractComClass::get_AppID);
  TextMember(w, "DefaultIcon", item, &IExtractComClass::get_DefaultIcon);
  NumberMember(w, "IconIndex", item, &IExtractComClass::get_IconIndex);
  CollectionMember(w, "ContextCol", item, &IExtractComClass::get_ContextCol, WriteContext);
  w.EndObject();
}

void WriteAppID(JsonWriter& w, IExtractAppIDInfo* item) {
  w.BeginObject();
  TextMember(w, "Guid", item, &IExtractAppIDInfo::get_Guid);
  TextMember(w, "RemoteServerName", item, &IExtractAppIDInfo::get_RemoteServerName);
  TextMember(w, "LocalService", item, &IExtractAppIDInfo::get_LocalService);
  TextMember(w, "ServiceParameters", item, &IExtractAppIDInfo::get_ServiceParameters);
  TextMember(w, "DllSurrogate", item, &IExtractAppIDInfo::get_DllSurrogate);
  TextMember(w, "Description", item, &IExtractAppIDInfo::get_Description);
  NumberMember(w, "ActivateAtStorage", item, &IExtractAppIDInfo::get_ActivateAtStorage);
  NumberMember(w, "RunAsInteractiveUser", item, &IExtractAppIDInfo::get_RunAsInteractiveUser);
  w.EndObject();
}

// The verb's ProgID is an object; it shows as that object's ProgID text.
void LinkedProgIDMember(JsonWriter& w, IExtractVerbInfo* verb) {
  w.Key("ProgID");
  ComPtr<IExtractProgIDInfo> linked;
  if (FAILED(verb->get_ProgID(linked.Put())) || !linked) return w.Null();
  Bstr key;
  if (FAILED(linked->get_ProgID(key.Put()))) return w.Null();
  w.String(key.Text(), key.Length());
}

void WriteVerb(JsonWriter& w, IExtractVerbInfo* item) {
  w.BeginObject();
  TextMember(w, "Verb", item, &IExtractVerbInfo::get_Verb);
  TextMember(w, "Command", item, &IExtractVerbInfo::get_Command);
  LinkedProgIDMember(w, item);
  TextMember(w, "Argument", item, &IExtractVerbInfo::get_Argument);
  NumberMember(w, "Sequence", item, &IExtractVerbInfo::get_Sequence);
  TextMember(w, "PEFile", item, &IExtractVerbInfo::get_PEFile);
  TextMember(w, "Extension", item, &IExtractVerbInfo::get_Extension);
  w.EndObject();
}

void WriteProgID(JsonWriter& w, IExtractProgIDInfo* item) {
  w.BeginObject();
  TextMember(w, "ProgID", item, &IExtractProgIDInfo::get_ProgID);
  TextMember(w, "ClassID", item, &IExtractProgIDInfo::get_ClassID);
  TextMember(w, "Description", item, &IExtractProgIDInfo::get_Description);
  TextMember(w, "Parent", item, &IExtractProgIDInfo::get_Parent);
  TextMember(w, "DefaultIcon", item, &IExtractProgIDInfo::get_DefaultIcon);
  NumberMember(w, "IconIndex", item, &IExtractProgIDInfo::get_IconIndex);
  CollectionMember(w, "VerbCollection", item, &IExtractProgIDInfo::get_VerbCollection, WriteVerb);
  w.EndObject();
}

void WriteExtension(JsonWriter& w, IExtractExtensionInfo* item) {
  w.BeginObject();
  TextMember(w, "Extension", item, &IExtractExtensionInfo::get_Extension);
  TextMember(w, "ProgID", item, &IExtractExtensionInfo::get_ProgID);
  TextMember(w, "MIME", item, &IExtractExtensionInfo::get_MIME);
  w.EndObject();
}

void WriteMIME(JsonWriter& w, IExtractMIMEInfo* item) {
  w.BeginObject();
  TextMember(w, "Extension", item, &IExtractMIMEInfo::get_Extension);
  TextMember(w, "Content", item, &IExtractMIMEInfo::get_Content);
  TextMember(w, "CLSID", item, &IExtractMIMEInfo::get_CLSID);
  w.EndObject();
}

// Hive numbers by their enumeration names, predefined keys by theirs.
std::wstring RootName(ULONG root) {
  static const wchar_t* const kHives[] = {L"HKCR", L"HKCU", L"HKLM", L"HKU"};
  static const wchar_t* const kKeys[] = {L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER",
                                         L"HKEY_LOCAL_MACHINE", L"HKEY_USERS"};
  if (root < 4) return kHives[root];
  if (root >= 0x80000000u && root < 0x80000004u) return kKeys[root - 0x80000000u];
  wchar_t number[16];
  swprintf(number, 16, L"0x%08lX", root);
  return number;
}

void OptionalTextMember(JsonWriter& w, const char* name, const std::optional<std::wstring>& text) {
  w.Key(name);
  if (text) {
    w.String(*text);
  } else {
    w.Null();
  }
}

void WriteMiscRegistry(JsonWriter& w, IExtractComponent* component) {
  w.Key("MiscRegistryInfo");
  const std::vector<MiscRegistryEntry>* entries = MiscRegistryOf(component);
  if (!entries) return w.Null();
  w.BeginArray();
  for (const MiscRegistryEntry& entry : *entries) {
    w.BeginObject();
    w.Key("hROOT");
    w.String(RootName(entry.root));
    OptionalTextMember(w, "bstrKey", entry.key);
    OptionalTextMember(w, "bstrValueName", entry.valueName);
    w.Key("bDeleteAllValues");
    w.Bool(entry.deleteAllValues != VARIANT_FALSE);
    w.EndObject();
  }
  w.EndArray();
}

void KeyFileMember(JsonWriter& w, const char* name, IExtractComponent* component,
                   VARIANT_BOOL repackager) {
  w.Key(name);
  Bstr path;
  if (FAILED(component->get_KeyFile(repackager, path.Put()))) return w.Null();
  w.String(path.Text(), path.Length());
}

void WriteComponent(JsonWriter& w, IExtractComponent* component) {
  if (!component) return w.Null();
  w.BeginObject();
  KeyFileMember(w, "KeyFile", component, VARIANT_FALSE);
  KeyFileMember(w, "RepackagerKeyFile", component, VARIANT_TRUE);
  TextMember(w, "Destination", component, &IExtractComponent::get_Destination);
  CollectionMember(w, "TypeLibCollection", component, &IExtractComponent::get_TypeLibCollection,
                   WriteTypeLibrary);
  CollectionMember(w, "ComClassCollection", component, &IExtractComponent::get_ComClassCollection,
                   WriteComClass);
  CollectionMember(w, "AppInfoCollection", component, &IExtractComponent::get_AppInfoCollection,
                   WriteAppID);
  CollectionMember(w, "ProgIDCollection", component, &IExtractComponent::get_ProgIDCollection,
                   WriteProgID);
  CollectionMember(w, "ExtensionCol", component, &IExtractComponent::get_ExtensionCol,
                   WriteExtension);
  CollectionMember(w, "MIMECol", component, &IExtractComponent::get_MIMECol, WriteMIME);
  WriteMiscRegistry(w, component);
  WriteCaptureMembers(w, component);
  w.EndObject();
}

}  // namespace

std::string DumpComponentJson(IExtractComponent* component) {
  JsonWriter w;
  WriteComponent(w, component);
  return w.Take();
}

std::string DumpComponentsJson(IExtractComponent* const* components, size_t count) {
  JsonWriter w;
  w.BeginArray();
  for (size_t i = 0; components && i < count; ++i) WriteComponent(w, components[i]);
  w.EndArray();
  return w.Take();
}

}  // namespace twutil::model
