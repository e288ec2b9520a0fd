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

void Put(IExtractComClass* item, HRESULT (STDMETHODCALLTYPE IExtractComClass::*put)(BSTR),
         const wchar_t* text) {
  Bstr value(text);
  (item->*put)(value.Get());
}

// One of everything: the tree a capture of a small server leaves.
ComPtr<IExtractComponent> SmallTree() {
  ComPtr<IExtractComponent> component = NewComponent(L"C:\\srv\\a.dll", L"[INSTALLDIR]");
  ComPtr<IExtractTypeLibCol> typeLibs;
  component->get_TypeLibCollection(typeLibs.Put());
  ComPtr<IExtractTypeLibrary> typeLib;
  AddKey(typeLibs.Get(), L"{L1}", &typeLib);
  Bstr version(L"1.0");
  typeLib->put_LibVersion(version.Get());
  typeLib->put_LibLCID(9);

  ComPtr<IExtractComClassCol> classes;
  component->get_ComClassCollection(classes.Put());
  ComPtr<IExtractComClass> comClass;
  AddKey(classes.Get(), L"{C1}", &comClass);
  Put(comClass.Get(), &IExtractComClass::put_Description, L"Thing \"one\"");
  Put(comClass.Get(), &IExtractComClass::put_ProgID, L"A.Thing.1");
  comClass->put_IconIndex(-2);
  ComPtr<IExtractContextCol> contexts;
  comClass->get_ContextCol(contexts.Put());
  ComPtr<IExtractContextType> context;
  AddKey(contexts.Get(), L"InprocServer32", &context);
  context->put_DefInprocHandler(1);

  ComPtr<IExtractAppIDCol> appIds;
  component->get_AppInfoCollection(appIds.Put());
  ComPtr<IExtractAppIDInfo> appId;
  AddKey(appIds.Get(), L"{A1}", &appId);

  ComPtr<IExtractProgIDCol> progIds;
  component->get_ProgIDCollection(progIds.Put());
  ComPtr<IExtractProgIDInfo> progId;
  AddKey(progIds.Get(), L"A.Thing.1", &progId);
  ComPtr<IExtractVerbCol> verbs;
  progId->get_VerbCollection(verbs.Put());
  ComPtr<IExtractVerbInfo> open, print;
  AddKey(verbs.Get(), L"open", &open);
  AddKey(verbs.Get(), L"print", &print);
  Bstr argument(L"\"%1\""), peFile(L"c:\\srv\\a.exe");
  open->putref_ProgID(progId.Get());
  open->put_Argument(argument.Get());
  open->put_PEFile(peFile.Get());
  open->put_Sequence(1);

  ComPtr<IExtractExtensionCol> extensions;
  component->get_ExtensionCol(extensions.Put());
  ComPtr<IExtractExtensionInfo> extension;
  AddKey(extensions.Get(), L"thg", &extension);
  Bstr mimeName(L"application/x-thing");
  extension->put_MIME(mimeName.Get());

  ComPtr<IExtractMIMECol> mimeTypes;
  component->get_MIMECol(mimeTypes.Put());
  ComPtr<IExtractMIMEInfo> mime;
  AddKey(mimeTypes.Get(), L"application/x-thing", &mime);

  Bstr key(L"CLSID\\{C1}\\Implemented Categories");
  LONG result = 0;
  component->AddMiscRegistryInfo(HKCR, key.Get(), nullptr, VARIANT_TRUE, &result);
  component->AddMiscRegistryInfo(static_cast<ERegistryHives>(0x80000002), nullptr, nullptr,
                                 VARIANT_TRUE, &result);
  return component;
}

TEST(JsonDump, ShowsEveryPropertyOfASmallTreeInInsertionOrder) {
  const char* expected = R"json({
  "KeyFile": "C:\\srv\\a.dll",
  "RepackagerKeyFile": "C:\\srv\\a.dll",
  "Destination": "[INSTALLDIR]",
  "TypeLibCollection": [
    {
      "LibID": "{L1}",
      "LibLCID": 9,
      "LibDescription": "",
      "LibVersion": "1.0",
      "HelpDir": ""
    }
  ],
  "ComClassCollection": [
    {
      "Guid": "{C1}",
      "Description": "Thing \"one\"",
      "ProgID": "A.Thing.1",
      "AppID": "",
      "DefaultIcon": "",
      "IconIndex": -2,
      "ContextCol": [
        {
          "Name": "InprocServer32",
          "DefInprocHandler": 1,
          "Argument": ""
        }
      ]
    }
  ],
  "AppInfoCollection": [
    {
      "Guid": "{A1}",
      "RemoteServerName": "",
      "LocalService": "",
      "ServiceParameters": "",
      "DllSurrogate": "",
      "Description": "",
      "ActivateAtStorage": 0,
      "RunAsInteractiveUser": 0
    }
  ],
  "ProgIDCollection": [
    {
      "ProgID": "A.Thing.1",
      "ClassID": "",
      "Description": "",
      "Parent": "",
      "DefaultIcon": "",
      "IconIndex": 0,
      "VerbCollection": [
        {
          "Verb": "open",
          "Command": "",
          "ProgID": "A.Thing.1",
          "Argument": "\"%1\"",
          "Sequence": 1,
          "PEFile": "c:\\srv\\a.exe",
          "Extension": ""
        },
        {
          "Verb": "print",
          "Command": "",
          "ProgID": null,
          "Argument": "",
          "Sequence": 0,
          "PEFile": "",
          "Extension": ""
        }
      ]
    }
  ],
  "ExtensionCol": [
    {
      "Extension": "thg",
      "ProgID": "",
      "MIME": "application/x-thing"
    }
  ],
  "MIMECol": [
    {
      "Extension": "",
      "Content": "application/x-thing",
      "CLSID": ""
    }
  ],
  "MiscRegistryInfo": [
    {
      "hROOT": "HKCR",
      "bstrKey": "CLSID\\{C1}\\Implemented Categories",
      "bstrValueName": null,
      "bDeleteAllValues": true
    },
    {
      "hROOT": "HKEY_LOCAL_MACHINE",
      "bstrKey": null,
      "bstrValueName": null,
      "bDeleteAllValues": true
    }
  ]
})json";
  ComPtr<IExtractComponent> tree = SmallTree();
  EXPECT_EQ(DumpComponentJson(tree.Get()), expected);
}

TEST(JsonDump, ComponentsAsAnArray) {
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

TEST(JsonDump, EscapesQuotesBackslashesAndControlCharacters) {
  std::wstring text = L"q\"b\\s/\b\f\n\r\t";
  text += wchar_t(0x01);
  text += wchar_t(0x1F);
  text += wchar_t(0);
  text += L"\x7F";
  EXPECT_EQ(JsonEscape(text.data(), text.size()),
            "q\\\"b\\\\s/\\b\\f\\n\\r\\t\\u0001\\u001f\\u0000\x7f");
  EXPECT_EQ(JsonEscape(nullptr, 5), "");
}

TEST(JsonDump, EncodesTextAsUtf8IncludingSurrogatePairs) {
  // e-acute, euro sign, U+1F600 as a surrogate pair.
  const wchar_t text[] = {0x00E9, 0x20AC, 0xD83D, 0xDE00};
  EXPECT_EQ(JsonEscape(text, 4), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  // Half a pair has no UTF-8 form and stays an escape.
  const wchar_t broken[] = {L'a', 0xD83D, L'b', 0xDE00};
  EXPECT_EQ(JsonEscape(broken, 4), "a\\ud83db\\ude00");
  const wchar_t trailingHigh[] = {0xD83D};
  EXPECT_EQ(JsonEscape(trailingHigh, 1), "\\ud83d");
}

}  // namespace
