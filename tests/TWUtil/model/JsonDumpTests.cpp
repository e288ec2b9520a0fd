// The JSON picture of a component tree and its string escaping.
#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "model/JsonWriter.h"
#include "model/ModelJson.h"

using namespace modeltest;
using twutil::model::DumpComponentJson;
using twutil::model::DumpComponentsJson;
using twutil::model::JsonEscape;

namespace {

// The text without its line breaks and the indentation after them.
std::string Squeezed(const std::string& text) {
  std::string squeezed;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n') {
      squeezed += text[i];
      continue;
    }
    while (i + 1 < text.size() && text[i + 1] == ' ') ++i;
  }
  return squeezed;
}

template <class Item>
void Put(Item* item, HRESULT (STDMETHODCALLTYPE Item::*put)(BSTR), const wchar_t* text) {
  (item->*put)(Bstr(text).Get());
}

TEST(JsonDump, ShowsEveryPropertyOfASmallTreeInInsertionOrder) {
  ComPtr<IExtractComponent> tree = NewComponent(L"C:\\srv\\a.dll", L"[INSTALLDIR]");
  using C = IExtractComponent;
  auto typeLib = Add<IExtractTypeLibrary>(tree.Get(), &C::get_TypeLibCollection, L"{L1}");
  Put(typeLib.Get(), &IExtractTypeLibrary::put_LibVersion, L"1.0");
  typeLib->put_LibLCID(9);
  auto comClass = Add<IExtractComClass>(tree.Get(), &C::get_ComClassCollection, L"{C1}");
  Put(comClass.Get(), &IExtractComClass::put_Description, L"Thing \"one\"");
  Put(comClass.Get(), &IExtractComClass::put_ProgID, L"A.Thing.1");
  comClass->put_IconIndex(-2);
  Add<IExtractContextType>(comClass.Get(), &IExtractComClass::get_ContextCol, L"InprocServer32")
      ->put_DefInprocHandler(1);
  Add<IExtractAppIDInfo>(tree.Get(), &C::get_AppInfoCollection, L"{A1}");
  auto progId = Add<IExtractProgIDInfo>(tree.Get(), &C::get_ProgIDCollection, L"A.Thing.1");
  auto open = Add<IExtractVerbInfo>(progId.Get(), &IExtractProgIDInfo::get_VerbCollection, L"open");
  Add<IExtractVerbInfo>(progId.Get(), &IExtractProgIDInfo::get_VerbCollection, L"print");
  open->putref_ProgID(progId.Get());
  Put(open.Get(), &IExtractVerbInfo::put_Argument, L"\"%1\"");
  Put(open.Get(), &IExtractVerbInfo::put_PEFile, L"c:\\srv\\a.exe");
  open->put_Sequence(1);
  Put(Add<IExtractExtensionInfo>(tree.Get(), &C::get_ExtensionCol, L"thg").Get(),
      &IExtractExtensionInfo::put_MIME, L"application/x-thing");
  Add<IExtractMIMEInfo>(tree.Get(), &C::get_MIMECol, L"application/x-thing");
  LONG result = 0;
  tree->AddMiscRegistryInfo(HKCR, Bstr(L"CLSID\\{C1}\\Implemented Categories").Get(), nullptr,
                            VARIANT_TRUE, &result);
  // The spy harvest's form: a predefined key's value and no names.
  tree->AddMiscRegistryInfo(static_cast<ERegistryHives>(0x80000002), nullptr, nullptr, VARIANT_TRUE,
                            &result);
  // An empty value name (the default value) is not the same as none.
  tree->AddMiscRegistryInfo(HKCR, Bstr(L"K").Get(), Bstr(L"").Get(), VARIANT_FALSE, &result);
  EXPECT_EQ(tree->AddMiscRegistryInfo(HKU, nullptr, nullptr, VARIANT_TRUE, nullptr), S_OK);
  ASSERT_EQ(twutil::model::SetRepackagerKeyFile(tree.Get(), L"D:\\stage\\a.dll"), S_OK);

  // Written one item to a line here; the dump has one member to a line.
  const char* expected =
      R"json({"KeyFile": "C:\\srv\\a.dll","RepackagerKeyFile": "D:\\stage\\a.dll",
    "Destination": "[INSTALLDIR]",
    "TypeLibCollection": [
      {"LibID": "{L1}","LibLCID": 9,"LibDescription": "","LibVersion": "1.0","HelpDir": ""}],
    "ComClassCollection": [
      {"Guid": "{C1}","Description": "Thing \"one\"","ProgID": "A.Thing.1","AppID": "",
       "DefaultIcon": "","IconIndex": -2,"ContextCol": [
         {"Name": "InprocServer32","DefInprocHandler": 1,"Argument": ""}]}],
    "AppInfoCollection": [
      {"Guid": "{A1}","RemoteServerName": "","LocalService": "","ServiceParameters": "",
       "DllSurrogate": "","Description": "","ActivateAtStorage": 0,"RunAsInteractiveUser": 0}],
    "ProgIDCollection": [
      {"ProgID": "A.Thing.1","ClassID": "","Description": "","Parent": "","DefaultIcon": "",
       "IconIndex": 0,"VerbCollection": [
         {"Verb": "open","Command": "","ProgID": "A.Thing.1","Argument": "\"%1\"","Sequence": 1,
          "PEFile": "c:\\srv\\a.exe","Extension": ""},
         {"Verb": "print","Command": "","ProgID": null,"Argument": "","Sequence": 0,"PEFile": "",
          "Extension": ""}]}],
    "ExtensionCol": [{"Extension": "thg","ProgID": "","MIME": "application/x-thing"}],
    "MIMECol": [{"Extension": "","Content": "application/x-thing","CLSID": ""}],
    "MiscRegistryInfo": [
      {"hROOT": "HKCR","bstrKey": "CLSID\\{C1}\\Implemented Categories","bstrValueName": null,
       "bDeleteAllValues": true},
      {"hROOT": "HKEY_LOCAL_MACHINE","bstrKey": null,"bstrValueName": null,
       "bDeleteAllValues": true},
      {"hROOT": "HKCR","bstrKey": "K","bstrValueName": "","bDeleteAllValues": false},
      {"hROOT": "HKU","bstrKey": null,"bstrValueName": null,"bDeleteAllValues": true}]})json";
  EXPECT_EQ(Squeezed(DumpComponentJson(tree.Get())), Squeezed(expected));
}

TEST(JsonDump, ComponentsAsAnIndentedArray) {
  ComPtr<IExtractComponent> first = NewComponent(L"a", L"b");
  IExtractComponent* both[] = {first.Get(), nullptr};
  std::string dump = DumpComponentsJson(both, 2);
  const std::string head = "[\n  {\n    \"KeyFile\": \"a\",\n";
  const std::string tail = "    \"MiscRegistryInfo\": []\n  },\n  null\n]";
  ASSERT_GT(dump.size(), head.size() + tail.size());
  EXPECT_EQ(dump.substr(0, head.size()), head);
  EXPECT_EQ(dump.substr(dump.size() - tail.size()), tail);
  EXPECT_NE(dump.find("\n    \"TypeLibCollection\": [],\n"), std::string::npos);
  EXPECT_EQ(DumpComponentsJson(nullptr, 3), "[]");
  EXPECT_EQ(DumpComponentsJson(both, 0), "[]");
  EXPECT_EQ(DumpComponentJson(nullptr), "null");
}

TEST(JsonDump, EscapesControlCharactersAndWritesUtf8) {
  std::wstring text = L"q\"b\\s/\b\f\n\r\t";
  text += {wchar_t(0x01), wchar_t(0x1F), wchar_t(0), L'\x7F'};
  EXPECT_EQ(JsonEscape(text.data(), text.size()),
            "q\\\"b\\\\s/\\b\\f\\n\\r\\t\\u0001\\u001f\\u0000\x7f");
  EXPECT_EQ(JsonEscape(nullptr, 5), "");
  // e-acute, euro sign, U+1F600 as a surrogate pair.
  const wchar_t wide[] = {0x00E9, 0x20AC, 0xD83D, 0xDE00};
  EXPECT_EQ(JsonEscape(wide, 4), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  // Half a pair has no UTF-8 form and stays an escape.
  const wchar_t broken[] = {L'a', 0xD83D, L'b', 0xDE00};
  EXPECT_EQ(JsonEscape(broken, 4), "a\\ud83db\\ude00");
  const wchar_t trailingHigh[] = {0xD83D};
  EXPECT_EQ(JsonEscape(trailingHigh, 1), "\\ud83d");
}

}  // namespace
