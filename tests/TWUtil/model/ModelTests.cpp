// The component tree: its keyed collections and its JSON picture.
#include <gtest/gtest.h>

#include <regex>

#include "TWUtil.h"
#include "com/Owners.h"
#include "model/Component.h"
#include "model/ModelJson.h"
#include "support/TestSupport.h"

namespace {

using twtest::NewComponent;

using twutil::Bstr;
using twutil::ComPtr;

// The item that Add of the owner's collection hands back for key.
template <class Item, class Owner, class Collection>
ComPtr<Item> Add(Owner* owner, HRESULT (STDMETHODCALLTYPE Owner::*get)(Collection**),
                 const wchar_t* key) {
  ComPtr<Collection> collection;
  ComPtr<Item> item;
  if (SUCCEEDED((owner->*get)(collection.Put()))) collection->Add(Bstr(key).Get(), item.Put());
  return item;
}

TEST(Collection, AddItemByKeyOrPositionAndCount) {
  ComPtr<IExtractComponent> component = NewComponent();
  ComPtr<IExtractProgIDCol> progIds;
  ASSERT_EQ(component->get_ProgIDCollection(progIds.Put()), S_OK);
  // Registry names ignore case, so "ALPHA.doc" is the ProgID added as "Alpha.Doc".
  for (const wchar_t* key : {L"Zeta.Doc", L"Alpha.Doc", L"Mid.Doc", L"ALPHA.doc"})
    Add<IExtractProgIDInfo>(component.Get(), &IExtractComponent::get_ProgIDCollection, key);
  LONG count = 0;
  ASSERT_EQ(progIds->get_Count(&count), S_OK);
  EXPECT_EQ(count, 3);

  Bstr key(L"mid.DOC");
  VARIANT byKey = {}, byReal = {}, outside = {};
  V_VT(&byKey) = VT_BSTR;
  V_BSTR(&byKey) = key.Get();
  V_VT(&outside) = VT_I4;  // 0, the spy harvest's first request: positions count from 1
  V_VT(&byReal) = VT_R8;
  V_R8(&byReal) = 1.0;
  const std::pair<VARIANT*, const wchar_t*> cases[] = {{&byKey, L"Mid.Doc"},
                                                       {&byReal, L"Zeta.Doc"}};
  for (const auto& [index, expected] : cases) {
    ComPtr<IExtractProgIDInfo> item;
    ASSERT_EQ(progIds->get_Item(*index, item.Put()), S_OK) << expected;
    Bstr text;
    item->get_ProgID(text.Put());
    EXPECT_STREQ(text.Text(), expected);
  }
  ComPtr<IExtractProgIDInfo> item;
  EXPECT_TRUE(FAILED(progIds->get_Item(outside, item.Put())));
  EXPECT_EQ(item.Get(), nullptr);
}

TEST(JsonDump, ShowsEveryPropertyOfASmallTreeInInsertionOrder) {
  ComPtr<IExtractComponent> tree = NewComponent();
  using C = IExtractComponent;
  auto comClass = Add<IExtractComClass>(tree.Get(), &C::get_ComClassCollection, L"{C1}");
  comClass->put_Description(Bstr(L"Thing \"one\" \x00E9").Get());
  comClass->put_IconIndex(-2);
  Add<IExtractContextType>(comClass.Get(), &IExtractComClass::get_ContextCol, L"InprocServer32")
      ->put_DefInprocHandler(1);
  auto progId = Add<IExtractProgIDInfo>(tree.Get(), &C::get_ProgIDCollection, L"A.Thing.1");
  auto open = Add<IExtractVerbInfo>(progId.Get(), &IExtractProgIDInfo::get_VerbCollection, L"open");
  open->putref_ProgID(progId.Get());
  open->put_Argument(Bstr(L"\"%1\"").Get());
  LONG result = 0;
  // The spy harvest's form: a predefined key's value and no names.
  tree->AddMiscRegistryInfo(static_cast<ERegistryHives>(0x80000002), nullptr, nullptr, VARIANT_TRUE,
                            &result);
  tree->AddMiscRegistryInfo(HKCR, Bstr(L"K").Get(), Bstr(L"").Get(), VARIANT_FALSE, &result);
  ASSERT_EQ(twutil::model::SetRepackagerKeyFile(tree.Get(), L"D:\\stage\\a.dll"), S_OK);
  // What the capture hands over raw, given out of order: shown sorted by hive,
  // key and name, each value in its type's form, data of another shape as hex.
  ComPtr<IExtractCapturedRegistry> raw;
  ASSERT_EQ(tree->QueryInterface(IID_IExtractCapturedRegistry, raw.PutVoid()), S_OK);
  const BYTE text[] = {'C', 0, ':', 0, 0, 0}, list[] = {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0};
  const BYTE dword[] = {1, 1, 0, 0}, qword[] = {0, 0, 0, 0, 0, 0, 0, 0x80}, unended[] = {'x', 0};
  raw->AddCapturedValue(0x80000002, Bstr(L"S\\Z").Get(), nullptr, REG_QWORD, 8, qword);
  raw->AddCapturedValue(0x80000000, Bstr(L"K-2").Get(), Bstr(L"n").Get(), REG_SZ, 2, unended);
  raw->AddCapturedValue(0x80000000, Bstr(L"K").Get(), Bstr(L"b").Get(), REG_MULTI_SZ, 10, list);
  raw->AddCapturedKey(0x80000000, Bstr(L"K\\Empty").Get());
  raw->AddCapturedValue(0x80000000, Bstr(L"K").Get(), Bstr(L"A").Get(), REG_DWORD, 4, dword);
  raw->AddCapturedValue(0x80000000, Bstr(L"K").Get(), Bstr(L"").Get(), REG_EXPAND_SZ, 6, text);
  raw->AddCapturedValue(0x80000000, Bstr(L"K").Get(), Bstr(L"z").Get(), REG_BINARY, 0, nullptr);
  raw->SetCaptureOutcome(3, Bstr(L"crashed: exception 0xC0000005").Get());

  const char* expected =
      R"json({"KeyFile": "C:\\srv\\a.dll","RepackagerKeyFile": "D:\\stage\\a.dll",
    "Destination": "[INSTALLDIR]",
    "TypeLibCollection": [],
    "ComClassCollection": [
      {"Guid": "{C1}","Description": "Thing \"one\" )json"
      "\xC3\xA9"
      R"json(","ProgID": "","AppID": "","DefaultIcon": "","IconIndex": -2,"ContextCol": [
         {"Name": "InprocServer32","DefInprocHandler": 1,"Argument": ""}]}],
    "AppInfoCollection": [],
    "ProgIDCollection": [
      {"ProgID": "A.Thing.1","ClassID": "","Description": "","Parent": "","DefaultIcon": "",
       "IconIndex": 0,"VerbCollection": [
         {"Verb": "open","Command": "","ProgID": "A.Thing.1","Argument": "\"%1\"","Sequence": 0,
          "PEFile": "","Extension": ""}]}],
    "ExtensionCol": [],
    "MIMECol": [],
    "MiscRegistryInfo": [
      {"hROOT": "HKEY_LOCAL_MACHINE","bstrKey": null,"bstrValueName": null,
       "bDeleteAllValues": true},
      {"hROOT": "HKCR","bstrKey": "K","bstrValueName": "","bDeleteAllValues": false}],
    "Bitness": null,
    "Outcome": {"Result": "crashed","Detail": "crashed: exception 0xC0000005"},
    "Registry": [
      {"Hive": "HKEY_CLASSES_ROOT","Key": "K","Name": null,"Type": "REG_EXPAND_SZ","Value": "C:"},
      {"Hive": "HKEY_CLASSES_ROOT","Key": "K","Name": "A","Type": "REG_DWORD","Value": 257},
      {"Hive": "HKEY_CLASSES_ROOT","Key": "K","Name": "b","Type": "REG_MULTI_SZ","Value": [
        "a","b"]},
      {"Hive": "HKEY_CLASSES_ROOT","Key": "K","Name": "z","Type": "REG_BINARY","Value": ""},
      {"Hive": "HKEY_CLASSES_ROOT","Key": "K\\Empty"},
      {"Hive": "HKEY_CLASSES_ROOT","Key": "K-2","Name": "n","Type": "REG_SZ","Value": "7800",
       "Raw": true},
      {"Hive": "HKEY_LOCAL_MACHINE","Key": "S\\Z","Name": null,"Type": "REG_QWORD",
       "Value": 9223372036854775808}]})json";
  // The dump has one member to a line: compared without line breaks and indents.
  const std::regex lineBreak("\n *");
  EXPECT_EQ(std::regex_replace(twutil::model::DumpComponentJson(tree.Get()), lineBreak, ""),
            std::regex_replace(expected, lineBreak, ""));
}

}  // namespace
