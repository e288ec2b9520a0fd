// The sample servers the project builds, captured through ServerInfo and the
// real spy (each registers in a helper process of the spy), against the
// models written by hand from what the samples register. That the capture
// leaves the registry alone is the spy suite's to show.
#include <gtest/gtest.h>

#include "../../TWRegSpy/SpyTestSupport.h"
#include "Listings.h"
#include "model/Component.h"
#include "support/TestSupport.h"

namespace {

using twtest::Listing;
using twtest::ModelLines;
using twutil::ComPtr;

// $FILE$ is the server file, $DIR$ its folder, lower-cased as $file$ and $dir$.
const wchar_t kSampleServerDll[] =
    LR"(
  TypeLib {EF3EBC60-B2C1-4365-905C-9B00D55E3863}|409|Sample Server Library 2.1|2.1|$DIR$
  ComClass {0916E64A-CBED-4AD3-A64C-60F0F5D090C2}|Sample Channel Proxy/Stub||||0
  Context InprocServer32|0|
  ComClass {65BDD42C-3395-4F97-9964-CF5E1F5FB177}|Sample Greeter|SampleServer.Greeter.1|{90065FD3-0E1F-4466-913E-CFB54E78C937}|$FILE$|-101
  Context InprocServer|0|
  Context InprocServer32|0|
  ComClass {6E9B463B-63F9-4F03-BD92-FF873FC16651}|Sample Surrogate Worker||{3781CDED-37D7-4DBA-BB14-42A53885CC33}|$WINDIR$\system32\shell32.dll|3
  Context InprocServer32|0|
  AppInfo {90065FD3-0E1F-4466-913E-CFB54E78C937}|||||Sample Greeter Application|1|1
  AppInfo {3781CDED-37D7-4DBA-BB14-42A53885CC33}|buildhost.example|||[INSTALLDIR]SampleServer.dll|Sample Surrogate Host|0|0
  ProgID SampleServer.Greeter||Sample Greeter|SampleServer.Greeter.1||0
  ProgID SampleServer.Greeter.1|{65BDD42C-3395-4F97-9964-CF5E1F5FB177}|Sample Greeter||$FILE$|2
  Verb edit|&Edit|SampleServer.Greeter.1|"%1"|2|notepad.exe|sgreet
  Verb open|&Open|SampleServer.Greeter.1|/greet "%1"|1|$dir$\sampleserverexe.exe|sgreet
  Verb print||SampleServer.Greeter.1|printgreeting %1|4|$file$|
  Extension sgreet|SampleServer.Greeter.1|application/x-sample-greeting
  MIME sgreet|application/x-sample-greeting|{65BDD42C-3395-4F97-9964-CF5E1F5FB177}
  MiscRegistry HKEY_CLASSES_ROOT|null|null|true
  MiscRegistry HKEY_LOCAL_MACHINE|null|null|true)";

const wchar_t kSampleServerExe[] =
    LR"(
  ComClass {C39D7284-E4B9-4D76-A061-A9A3E64DFAC4}|Sample Document|SampleServerExe.Document.1|{2BB04907-F166-4B61-B760-4F37AA7DD9A2}|$FILE$|0
  Context LocalServer|3| -Embedding
  Context LocalServer32|3|/automation
  AppInfo {2BB04907-F166-4B61-B760-4F37AA7DD9A2}||SampleDocumentService|-service||Sample Document Server|0|1
  ProgID SampleServerExe.Document||Sample Document|SampleServerExe.Document.1||0
  ProgID SampleServerExe.Document.1|{C39D7284-E4B9-4D76-A061-A9A3E64DFAC4}|Sample Document||$FILE$|1
  Verb Open||SampleServerExe.Document.1|"%1"|2|$file$|sdoc
  Verb Print|&Print|SampleServerExe.Document.1|printhtml "%1"|3|mshtml.dll|
  Extension sdoc|SampleServerExe.Document.1|application/x-sample-document
  MIME sdoc|application/x-sample-document|{C39D7284-E4B9-4D76-A061-A9A3E64DFAC4}
  MiscRegistry HKEY_CLASSES_ROOT|null|null|true
  MiscRegistry HKEY_LOCAL_MACHINE|null|null|true)";

TEST(SampleCaptureThroughSpy, BothSamplesGiveTheirModels) {
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tarnwick\\Foundry\\7.0");  // the spy's path
  ASSERT_TRUE(spytest::SpyRegistered());
  ComPtr<IServerInfo> info;
  ComPtr<IRegistry> registry;
  ASSERT_EQ(twtest::Create(CLSID_ServerInfo, &info), S_OK);
  ASSERT_EQ(twtest::Create(CLSID_Registry, &registry), S_OK);

  for (const auto& [name, model] : {std::make_pair(L"SampleServer.dll", kSampleServerDll),
                                    std::make_pair(L"SampleServerExe.exe", kSampleServerExe)}) {
    const std::wstring file = twtest::BinDir() + L"samples\\" + name;
    const std::wstring dir = file.substr(0, file.rfind(L'\\'));
    ComPtr<IExtractComponent> component;
    ASSERT_EQ(twutil::model::CreateExtractComponent(file.c_str(), L"[INSTALLDIR]", component.Put()),
              S_OK);
    IDispatch* handed[] = {component.Get()};
    ASSERT_EQ(info->SetServer(1, handed, registry.Get(), 0, 0, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(ModelLines(component.Get()), Listing(model, {{L"$FILE$", file}, {L"$DIR$", dir}}));
  }
}

}  // namespace
