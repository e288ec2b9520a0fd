// Captures of the sample servers the project builds, compared with the models
// written by hand from what the samples register. A spy of this process
// stands in for TWRegSpy: it runs each file's registration with the four
// hives redirected into the capture area, then reports the file finished.
#include <gtest/gtest.h>

#include <utility>

#include "CaptureTestDoubles.h"
#include "DocumentRegistration.h"
#include "HarvestTestSupport.h"
#include "model/ModelJson.h"
#include "support/TestSupport.h"

using namespace harvesttest;

namespace {

using Lines = std::vector<std::wstring>;

std::wstring SampleDll() { return twtest::BinDir() + L"samples\\SampleServer.dll"; }
std::wstring SampleExe() { return twtest::BinDir() + L"samples\\SampleServerExe.exe"; }

// A DLL registers through its own DllRegisterServer; the executable's
// "/regserver" code runs here, as another process would not be redirected.
HRESULT RegisterSample(const std::wstring& file) {
  if (file.size() > 4 && file.compare(file.size() - 4, 4, L".exe") == 0)
    return samples::RegisterDocumentServer(file);
  HMODULE module = LoadLibraryW(file.c_str());
  if (!module) return HRESULT_FROM_WIN32(GetLastError());
  auto entry = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
  HRESULT hr = entry ? entry() : E_NOINTERFACE;
  FreeLibrary(module);
  return hr;
}

class RegisteringSpy : public twtest::FakeSpy {
 public:
  STDMETHODIMP RunCapture(BSTR root, IUnknown* callback) override {
    captureRoot = root ? root : L"";
    ComPtr<IRegSpyCallback> sink;
    if (!callback || FAILED(callback->QueryInterface(IID_IRegSpyCallback, sink.PutVoid())))
      return E_NOINTERFACE;
    for (const std::wstring& file : added) {
      Bstr path(file.c_str());
      VARIANT_BOOL first = 0, second = 0, done = 0;
      sink->OnFileStart(path.Get(), &first, &second);
      {
        RedirectedHives redirected;
        registrations.push_back(RegisterSample(file));
      }
      if (FAILED(sink->OnFileFinished(path.Get(), 0, &done))) return E_ABORT;
    }
    return S_OK;
  }
  std::vector<HRESULT> registrations;
};

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// text as it stands inside a JSON string.
std::string JsonText(const std::wstring& text) {
  std::string escaped;
  for (wchar_t c : text) {
    if (c == L'\\' || c == L'"') escaped += '\\';
    escaped += static_cast<char>(c);
  }
  return escaped;
}

std::wstring Lower(std::wstring text) {
  CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

std::string Substitute(std::string text,
                       const std::vector<std::pair<std::string, std::string>>& by) {
  for (const auto& [placeholder, value] : by) {
    for (size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size()))
      text.replace(at, placeholder.size(), value);
  }
  return text;
}

// $FILE$ is the server file, $DIR$ its folder, lower-cased as $file$ and
// $dir$; $WINDIR$ the Windows folder.
std::string ExpectedModel(const char* model, const std::wstring& file) {
  std::wstring folder = file.substr(0, file.rfind(L'\\'));
  wchar_t windows[MAX_PATH] = {};
  ExpandEnvironmentStringsW(L"%SystemRoot%", windows, MAX_PATH);
  return Substitute(model, {{"$FILE$", JsonText(file)},
                            {"$file$", JsonText(Lower(file))},
                            {"$DIR$", JsonText(folder)},
                            {"$dir$", JsonText(Lower(folder))},
                            {"$WINDIR$", JsonText(windows)}});
}

const char kSampleDllModel[] = R"json({
  "KeyFile": "$FILE$",
  "RepackagerKeyFile": "$FILE$",
  "Destination": "[INSTALLDIR]",
  "TypeLibCollection": [
    {
      "LibID": "{EF3EBC60-B2C1-4365-905C-9B00D55E3863}",
      "LibLCID": 409,
      "LibDescription": "Sample Server Library 2.1",
      "LibVersion": "2.1",
      "HelpDir": "$DIR$"
    }
  ],
  "ComClassCollection": [
    {
      "Guid": "{0916E64A-CBED-4AD3-A64C-60F0F5D090C2}",
      "Description": "Sample Channel Proxy/Stub",
      "ProgID": "",
      "AppID": "",
      "DefaultIcon": "",
      "IconIndex": 0,
      "ContextCol": [
        {
          "Name": "InprocServer32",
          "DefInprocHandler": 0,
          "Argument": ""
        }
      ]
    },
    {
      "Guid": "{65BDD42C-3395-4F97-9964-CF5E1F5FB177}",
      "Description": "Sample Greeter",
      "ProgID": "SampleServer.Greeter.1",
      "AppID": "{90065FD3-0E1F-4466-913E-CFB54E78C937}",
      "DefaultIcon": "$FILE$",
      "IconIndex": -101,
      "ContextCol": [
        {
          "Name": "InprocServer",
          "DefInprocHandler": 0,
          "Argument": ""
        },
        {
          "Name": "InprocServer32",
          "DefInprocHandler": 0,
          "Argument": ""
        }
      ]
    },
    {
      "Guid": "{6E9B463B-63F9-4F03-BD92-FF873FC16651}",
      "Description": "Sample Surrogate Worker",
      "ProgID": "",
      "AppID": "{3781CDED-37D7-4DBA-BB14-42A53885CC33}",
      "DefaultIcon": "$WINDIR$\\system32\\shell32.dll",
      "IconIndex": 3,
      "ContextCol": [
        {
          "Name": "InprocServer32",
          "DefInprocHandler": 0,
          "Argument": ""
        }
      ]
    }
  ],
  "AppInfoCollection": [
    {
      "Guid": "{90065FD3-0E1F-4466-913E-CFB54E78C937}",
      "RemoteServerName": "",
      "LocalService": "",
      "ServiceParameters": "",
      "DllSurrogate": "",
      "Description": "Sample Greeter Application",
      "ActivateAtStorage": 1,
      "RunAsInteractiveUser": 1
    },
    {
      "Guid": "{3781CDED-37D7-4DBA-BB14-42A53885CC33}",
      "RemoteServerName": "buildhost.example",
      "LocalService": "",
      "ServiceParameters": "",
      "DllSurrogate": "[INSTALLDIR]SampleServer.dll",
      "Description": "Sample Surrogate Host",
      "ActivateAtStorage": 0,
      "RunAsInteractiveUser": 0
    }
  ],
  "ProgIDCollection": [
    {
      "ProgID": "SampleServer.Greeter",
      "ClassID": "",
      "Description": "Sample Greeter",
      "Parent": "SampleServer.Greeter.1",
      "DefaultIcon": "",
      "IconIndex": 0,
      "VerbCollection": []
    },
    {
      "ProgID": "SampleServer.Greeter.1",
      "ClassID": "{65BDD42C-3395-4F97-9964-CF5E1F5FB177}",
      "Description": "Sample Greeter",
      "Parent": "",
      "DefaultIcon": "$FILE$",
      "IconIndex": 2,
      "VerbCollection": [
        {
          "Verb": "edit",
          "Command": "&Edit",
          "ProgID": "SampleServer.Greeter.1",
          "Argument": "\"%1\"",
          "Sequence": 2,
          "PEFile": "notepad.exe",
          "Extension": "sgreet"
        },
        {
          "Verb": "open",
          "Command": "&Open",
          "ProgID": "SampleServer.Greeter.1",
          "Argument": "/greet \"%1\"",
          "Sequence": 1,
          "PEFile": "$dir$\\sampleserverexe.exe",
          "Extension": "sgreet"
        },
        {
          "Verb": "print",
          "Command": "",
          "ProgID": "SampleServer.Greeter.1",
          "Argument": "printgreeting %1",
          "Sequence": 4,
          "PEFile": "$file$",
          "Extension": ""
        }
      ]
    }
  ],
  "ExtensionCol": [
    {
      "Extension": "sgreet",
      "ProgID": "SampleServer.Greeter.1",
      "MIME": "application/x-sample-greeting"
    }
  ],
  "MIMECol": [
    {
      "Extension": "sgreet",
      "Content": "application/x-sample-greeting",
      "CLSID": "{65BDD42C-3395-4F97-9964-CF5E1F5FB177}"
    }
  ],
  "MiscRegistryInfo": [
    {
      "hROOT": "HKEY_CLASSES_ROOT",
      "bstrKey": null,
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

const char kSampleExeModel[] = R"json({
  "KeyFile": "$FILE$",
  "RepackagerKeyFile": "$FILE$",
  "Destination": "[INSTALLDIR]",
  "TypeLibCollection": [],
  "ComClassCollection": [
    {
      "Guid": "{C39D7284-E4B9-4D76-A061-A9A3E64DFAC4}",
      "Description": "Sample Document",
      "ProgID": "SampleServerExe.Document.1",
      "AppID": "{2BB04907-F166-4B61-B760-4F37AA7DD9A2}",
      "DefaultIcon": "$FILE$",
      "IconIndex": 0,
      "ContextCol": [
        {
          "Name": "LocalServer",
          "DefInprocHandler": 3,
          "Argument": " -Embedding"
        },
        {
          "Name": "LocalServer32",
          "DefInprocHandler": 3,
          "Argument": "/automation"
        }
      ]
    }
  ],
  "AppInfoCollection": [
    {
      "Guid": "{2BB04907-F166-4B61-B760-4F37AA7DD9A2}",
      "RemoteServerName": "",
      "LocalService": "SampleDocumentService",
      "ServiceParameters": "-service",
      "DllSurrogate": "",
      "Description": "Sample Document Server",
      "ActivateAtStorage": 0,
      "RunAsInteractiveUser": 1
    }
  ],
  "ProgIDCollection": [
    {
      "ProgID": "SampleServerExe.Document",
      "ClassID": "",
      "Description": "Sample Document",
      "Parent": "SampleServerExe.Document.1",
      "DefaultIcon": "",
      "IconIndex": 0,
      "VerbCollection": []
    },
    {
      "ProgID": "SampleServerExe.Document.1",
      "ClassID": "{C39D7284-E4B9-4D76-A061-A9A3E64DFAC4}",
      "Description": "Sample Document",
      "Parent": "",
      "DefaultIcon": "$FILE$",
      "IconIndex": 1,
      "VerbCollection": [
        {
          "Verb": "Open",
          "Command": "",
          "ProgID": "SampleServerExe.Document.1",
          "Argument": "\"%1\"",
          "Sequence": 2,
          "PEFile": "$file$",
          "Extension": "sdoc"
        },
        {
          "Verb": "Print",
          "Command": "&Print",
          "ProgID": "SampleServerExe.Document.1",
          "Argument": "printhtml \"%1\"",
          "Sequence": 3,
          "PEFile": "mshtml.dll",
          "Extension": ""
        }
      ]
    }
  ],
  "ExtensionCol": [
    {
      "Extension": "sdoc",
      "ProgID": "SampleServerExe.Document.1",
      "MIME": "application/x-sample-document"
    }
  ],
  "MIMECol": [
    {
      "Extension": "sdoc",
      "Content": "application/x-sample-document",
      "CLSID": "{C39D7284-E4B9-4D76-A061-A9A3E64DFAC4}"
    }
  ],
  "MiscRegistryInfo": [
    {
      "hROOT": "HKEY_CLASSES_ROOT",
      "bstrKey": null,
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

class SampleCapture : public testing::Test {
 protected:
  void SetUp() override {
    ResetCaptureArea();
    ASSERT_EQ(twtest::Create(CLSID_ServerInfo, &info_), S_OK);
    ASSERT_EQ(twtest::Create(CLSID_Registry, &registry_), S_OK);
  }
  void TearDown() override { RemoveCaptureArea(); }

  // The sample's capture as JSON.
  std::string Capture(const std::wstring& file) {
    ComPtr<IExtractComponent> component = NewComponent(file.c_str(), L"[INSTALLDIR]");
    IDispatch* handed[] = {component.Get()};
    LONG result = 77;
    EXPECT_EQ(info_->SetServer(1, handed, registry_.Get(), 0, 0, 0, nullptr, &result), S_OK);
    EXPECT_EQ(spy_.registrations, std::vector<HRESULT>{S_OK});
    return twutil::model::DumpComponentJson(component.Get());
  }

  RegisteringSpy spy_;
  ComPtr<IServerInfo> info_;
  ComPtr<IRegistry> registry_;
};

TEST_F(SampleCapture, TheSampleDllGivesItsModelWithoutTouchingTheRegistry) {
  std::wstring dll = SampleDll();
  EXPECT_EQ(Capture(dll), ExpectedModel(kSampleDllModel, dll));
  for (const wchar_t* key :
       {L"SampleServer.Greeter.1", L"CLSID\\{65BDD42C-3395-4F97-9964-CF5E1F5FB177}",
        L"TypeLib\\{EF3EBC60-B2C1-4365-905C-9B00D55E3863}"})
    EXPECT_FALSE(twtest::KeyExists(HKEY_CLASSES_ROOT, key)) << Narrow(key);
  EXPECT_FALSE(twtest::KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Tarnwick\\SampleServer"));
}

TEST_F(SampleCapture, WhatTheSampleDllLeavesInTheCaptureArea) {
  Capture(SampleDll());
  const std::wstring cr = L"HKEY_CLASSES_ROOT\\";
  // Consumed: the type library, both ProgIDs' class links, the extension,
  // the version-independent ProgID and every recorded AppID setting.
  for (const wchar_t* gone :
       {L"TypeLib", L".sgreet", L"SampleServer.Greeter", L"SampleServer.Greeter.1\\CLSID",
        L"SampleServer.Greeter.1\\DefaultIcon",
        L"CLSID\\{6E9B463B-63F9-4F03-BD92-FF873FC16651}\\InprocServer32"})
    EXPECT_FALSE(HasKey(cr + gone)) << Narrow(gone);
  // Kept: what the model has no property for.
  EXPECT_EQ(Leftovers(cr + L"SampleServer.Greeter.1"),
            (Lines{L"Shell", L"Shell\\preview", L"Shell\\preview|@=Pre&view", L"Shell|@=open"}));
  EXPECT_EQ(Leftovers(cr + L"AppID"),
            (Lines{L"{3781CDED-37D7-4DBA-BB14-42A53885CC33}",
                   L"{3781CDED-37D7-4DBA-BB14-42A53885CC33}|@=Sample Surrogate Host",
                   L"{90065FD3-0E1F-4466-913E-CFB54E78C937}",
                   L"{90065FD3-0E1F-4466-913E-CFB54E78C937}|@=Sample Greeter Application"}));
  EXPECT_TRUE(HasKey(cr + L"Interface\\{9FCF2D2B-4B2B-4FCF-B86D-7DE3FEB9DD54}\\ProxyStubClsid32"));
  EXPECT_TRUE(HasValue(L"HKEY_LOCAL_MACHINE\\Software\\Tarnwick\\SampleServer", L"InstallDir"));
}

TEST_F(SampleCapture, TheSampleExecutableGivesItsModel) {
  std::wstring exe = SampleExe();
  EXPECT_EQ(Capture(exe), ExpectedModel(kSampleExeModel, exe));
  EXPECT_FALSE(twtest::KeyExists(HKEY_CLASSES_ROOT, L"SampleServerExe.Document.1"));
  // The extension of a foreign ProgID went unrecorded but is consumed.
  EXPECT_FALSE(HasKey(L"HKEY_CLASSES_ROOT\\.sdocx"));
  EXPECT_TRUE(HasKey(L"HKEY_CLASSES_ROOT\\MIME\\Database\\Content Type\\text/x-sample-note"));
}

// The same samples through the real spy component: each registers in a
// helper process of the spy, and the models come out as above.
class SampleCaptureThroughSpy : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tarnwick\\Foundry\\7.0");
    HMODULE spy = LoadLibraryW((twtest::BinDir() + L"TWRegSpy.dll").c_str());
    ASSERT_NE(spy, nullptr);
    auto reg = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(spy, "DllRegisterServer")));
    ASSERT_TRUE(reg && SUCCEEDED(reg()));
    ASSERT_EQ(twtest::Create(CLSID_ServerInfo, &info_), S_OK);
    ASSERT_EQ(twtest::Create(CLSID_Registry, &registry_), S_OK);
  }

  std::string Capture(const std::wstring& file) {
    ComPtr<IExtractComponent> component = NewComponent(file.c_str(), L"[INSTALLDIR]");
    IDispatch* handed[] = {component.Get()};
    EXPECT_EQ(info_->SetServer(1, handed, registry_.Get(), 0, 0, 0, nullptr, nullptr), S_OK);
    EXPECT_FALSE(twtest::KeyExists(HKEY_CURRENT_USER, L"Software\\Tarnwick\\RegSpyProxy"));
    return twutil::model::DumpComponentJson(component.Get());
  }

  ComPtr<IServerInfo> info_;
  ComPtr<IRegistry> registry_;
};

TEST_F(SampleCaptureThroughSpy, BothSamplesGiveTheirModels) {
  std::wstring dll = SampleDll(), exe = SampleExe();
  EXPECT_EQ(Capture(dll), ExpectedModel(kSampleDllModel, dll));
  EXPECT_EQ(Capture(exe), ExpectedModel(kSampleExeModel, exe));
  EXPECT_FALSE(twtest::KeyExists(HKEY_CLASSES_ROOT, L"SampleServer.Greeter.1"));
  EXPECT_FALSE(twtest::KeyExists(HKEY_CLASSES_ROOT, L"SampleServerExe.Document.1"));
}

}  // namespace
