// The live capture against Wine's real registry, through the library's own
// Registry class, after a real registration of the sample server; and the
// same file captured through the spy, for comparison.
#include <set>

#include "LiveTestSupport.h"

namespace twtest {
namespace {

using twutil::ComPtr;

// What a capture found, one line per item; verbs in a set of their own.
struct ModelLines {
  std::set<std::wstring> items, verbs;
};

// Each item of owner's collection as a line: prefix, then its properties.
void Describe(IUnknown* owner, const wchar_t* collection, const std::wstring& prefix,
              std::initializer_list<const wchar_t*> properties, std::set<std::wstring>* lines) {
  for (auto& item : Items(owner, collection)) {
    std::wstring line = prefix;
    for (const wchar_t* property : properties)
      line += std::wstring(property) + L"=" + ModelValue(item.Get(), {property}) + L" ";
    lines->insert(line);
  }
}

ModelLines LinesOf(IExtractComponent* component) {
  ModelLines lines;
  Describe(component, L"TypeLibCollection", L"typelib ",
           {L"LibID", L"LibLCID", L"LibVersion", L"LibDescription", L"HelpDir"}, &lines.items);
  Describe(component, L"ComClassCollection", L"class ",
           {L"Guid", L"Description", L"ProgID", L"AppID", L"DefaultIcon", L"IconIndex"},
           &lines.items);
  for (auto& item : Items(component, L"ComClassCollection"))
    Describe(item.Get(), L"ContextCol", L"context " + ModelValue(item.Get(), {L"Guid"}) + L" ",
             {L"Name", L"DefInprocHandler", L"Argument"}, &lines.items);
  Describe(component, L"AppInfoCollection", L"appid ",
           {L"Guid", L"Description", L"LocalService", L"ServiceParameters", L"RemoteServerName",
            L"DllSurrogate", L"ActivateAtStorage", L"RunAsInteractiveUser"},
           &lines.items);
  Describe(component, L"ProgIDCollection", L"progid ",
           {L"ProgID", L"ClassID", L"Description", L"Parent", L"DefaultIcon", L"IconIndex"},
           &lines.items);
  for (auto& item : Items(component, L"ProgIDCollection"))
    Describe(item.Get(), L"VerbCollection", ModelValue(item.Get(), {L"ProgID"}) + L" ",
             {L"Verb", L"Command", L"Argument", L"Sequence", L"PEFile", L"Extension"},
             &lines.verbs);
  Describe(component, L"ExtensionCol", L"extension ", {L"Extension", L"ProgID", L"MIME"},
           &lines.items);
  Describe(component, L"MIMECol", L"mime ", {L"Content", L"CLSID", L"Extension"}, &lines.items);
  return lines;
}

TEST(LiveRealRegistry, TheSampleFoundInTheLiveRegistryAgreesWithItsSpyCapture) {
  TempDir folder;
  std::wstring sample = folder.Path() + L"Sample.dll";
  ASSERT_TRUE(CopyFileW((BinDir() + L"samples\\SampleServer.dll").c_str(), sample.c_str(), FALSE));
  HMODULE spy = LoadLibraryW((BinDir() + L"TWRegSpy.dll").c_str());
  ASSERT_NE(spy, nullptr);
  auto registerSpy = reinterpret_cast<HRESULT(WINAPI*)()>(
      reinterpret_cast<void*>(GetProcAddress(spy, "DllRegisterServer")));
  ASSERT_TRUE(registerSpy && SUCCEEDED(registerSpy()));
  ComPtr<IRegistry> registry;
  ASSERT_EQ(S_OK, Create(CLSID_Registry, &registry));

  auto spyCaptured = NewComponent(sample);
  ComPtr<IServerInfo> serverInfo;
  ASSERT_EQ(S_OK, Create(CLSID_ServerInfo, &serverInfo));
  IDispatch* handed[] = {spyCaptured.Get()};
  ASSERT_EQ(S_OK, serverInfo->SetServer(1, handed, registry.Get(), 0, 0, 0, nullptr, nullptr));

  const std::wstring greeter = L"CLSID\\{65BDD42C-3395-4F97-9964-CF5E1F5FB177}";
  ASSERT_FALSE(KeyExists(HKEY_CLASSES_ROOT, greeter));
  auto liveCaptured = NewComponent(sample);
  LiveRun run = CaptureLive(registry.Get(), {liveCaptured}, kRegister | kUnregister);
  ASSERT_EQ(S_OK, run.hr) << testing::PrintToString(run.error);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, greeter)) << "unregistered afterwards";

  ModelLines spied = LinesOf(spyCaptured.Get()), live = LinesOf(liveCaptured.Get());
  EXPECT_GE(spied.items.size(), 12u);
  EXPECT_EQ(spied.items, live.items);

  // Verbs differ from the spy's (its own suite checks those): the live search
  // records only verbs that run a component file (not the sample's notepad
  // and executable verbs), names a verb without menu text after itself,
  // keeps the whole command line as PEFile, and gives every verb of an
  // extension's ProgID the extension.
  std::wstring lowered = sample;
  CharLowerBuffW(&lowered[0], static_cast<DWORD>(lowered.size()));
  std::wstring print =
      L"SampleServer.Greeter.1 Verb=print Command=print Argument=printgreeting %1 "
      L"Sequence=4 PEFile=rundll32.exe " +
      lowered + L",printgreeting %1 Extension=sgreet ";
  EXPECT_EQ(std::set<std::wstring>({print}), live.verbs);
}

}  // namespace
}  // namespace twtest
