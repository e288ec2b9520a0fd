// The live capture in a registry of the tests' own: classes, AppIDs, icons,
// interfaces and type libraries; ProgIDs, verbs, extensions and MIME types;
// and the capture as a whole: progress, repackaging, and a failing model.
#include "Errors.h"
#include "LiveTestSupport.h"
#include "com/TypeLibPlatform.h"

namespace twtest {
namespace {

using twutil::ComPtr;

const wchar_t kDll[] = L"C:\\Program Files\\Tarnwick\\Sample.dll";
const wchar_t kExe[] = L"C:\\Program Files\\Tarnwick\\Tool.exe";

void FillRegistry(ScratchRegistry* registry) {
  registry->Set(L"CLSID\\{A1}\\InprocServer32", nullptr, kDll);
  registry->Set(L"CLSID\\{A1}\\Implemented Categories", nullptr, L"");
  registry->Set(L"CLSID\\{A1}\\InProcHandler32", nullptr, L"ole32.dll");
  registry->Set(L"Sample.Greeter.1\\CLSID", nullptr, L"{A1}");
  registry->Set(L"Sample.Greeter.1", L"EditFlags", L"0");
  registry->Set(L"Sample.Greeter.1\\Insertable", nullptr, L"");
}

// A component of the model whose AddMiscRegistryInfo fails, leaving an
// error object.
class RefusingComponent : public twutil::model::Component {
 public:
  RefusingComponent() : Component(nullptr) {
    SetKeyFile(kDll);
    SetDestination(L"[INSTALLDIR]");
  }
  STDMETHODIMP AddMiscRegistryInfo(ERegistryHives, BSTR, BSTR, VARIANT_BOOL, LONG*) override {
    return twutil::SetComErrorInfo(CLSID_NULL, L"The model refused", 0, nullptr, IID_NULL,
                                   E_ACCESSDENIED);
  }
};

class LiveCapture : public testing::Test {
 protected:
  LiveRun Capture() { return CaptureLive(&registry, {dll, exe}); }
  std::wstring Context(IExtractComponent* c, const wchar_t* clsid, const wchar_t* context,
                       const wchar_t* property) {
    return ModelValue(c, {L"ComClassCollection", clsid, L"ContextCol", context, property});
  }
  std::wstring Verb(IExtractComponent* c, const wchar_t* progId, const wchar_t* verb,
                    const wchar_t* property) {
    return ModelValue(c, {L"ProgIDCollection", progId, L"VerbCollection", verb, property});
  }

  ScratchRegistry registry;
  ComPtr<IExtractComponent> dll = NewComponent(kDll), exe = NewComponent(kExe, L"C:\\Out");
};

TEST_F(LiveCapture, ServersNamingAComponentFileInAnySpellingBringTheirClassIn) {
  registry.Set(L"CLSID\\{A1}", nullptr, L"Greeter");
  registry.Set(L"CLSID\\{A1}\\InprocServer32", nullptr, L"c:\\PROGRAM FILES\\tarnwick\\SAMPLE.DLL");
  registry.Set(L"CLSID\\{A1}\\InprocServer32", L"ThreadingModel", L"Apartment");
  registry.Set(L"CLSID\\{A1}\\ProgID", nullptr, L"Sample.Greeter.1");
  registry.Set(L"CLSID\\{A1}\\VersionIndependentProgID", nullptr, L"Sample.Greeter");
  registry.Set(L"CLSID\\{A1}\\DefaultIcon", nullptr, L"\"c:\\icons.dll\", 5");
  registry.AddKey(L"CLSID\\{A1}\\Implemented Categories\\{CAT}");
  // Handler keys count only for local servers listed after them.
  registry.Set(L"CLSID\\{B1}\\InProcHandler32", nullptr, L"ole32.dll");
  registry.Set(L"CLSID\\{B1}\\LocalServer32", nullptr, std::wstring(kExe) + L" /Automation");
  registry.Set(L"CLSID\\{B2}\\InProcHandler", nullptr, L"ole2.dll");
  registry.Set(L"CLSID\\{B2}\\InProcHandler32", nullptr, L"ole32.dll");
  registry.Set(L"CLSID\\{B2}\\LocalServer32", nullptr, kExe);
  registry.Set(L"CLSID\\{B2}\\DefaultIcon", nullptr, L"c:\\no-index.ico");
  registry.Set(L"CLSID\\{B3}\\LocalServer32", nullptr, kExe);
  registry.Set(L"CLSID\\{B3}\\InProcHandler32", nullptr, L"ole32.dll");
  registry.reversed = L"CLSID\\{B3}";  // the server, then the handler
  // A quoted executable with arguments, and another file: nobody's.
  registry.Set(L"CLSID\\{X1}\\LocalServer32", nullptr, L"\"" + std::wstring(kExe) + L"\" /x");
  registry.Set(L"CLSID\\{X2}\\InprocServer32", nullptr, L"c:\\windows\\other.dll");

  LiveRun run = Capture();
  ASSERT_EQ(S_OK, run.hr);
  EXPECT_EQ(0, run.result);

  EXPECT_EQ(L"/automation", Context(exe.Get(), L"{B1}", L"LocalServer32", L"Argument"));
  EXPECT_EQ(L"2", Context(exe.Get(), L"{B1}", L"LocalServer32", L"DefInprocHandler"));
  EXPECT_EQ(L"3", Context(exe.Get(), L"{B2}", L"LocalServer32", L"DefInprocHandler"));
  EXPECT_EQ(L"0", Context(exe.Get(), L"{B3}", L"LocalServer32", L"DefInprocHandler"));
  EXPECT_EQ(L"", ModelValue(exe.Get(), {L"ComClassCollection", L"{B2}", L"DefaultIcon"}));
  EXPECT_EQ(L"<none>", ModelValue(exe.Get(), {L"ComClassCollection", L"{X1}", L"Guid"}));
  EXPECT_EQ(L"1", ModelValue(dll.Get(), {L"ComClassCollection", L"Count"}));

  // Read first, then reported consumed; the server entry last of all.
  std::vector<std::wstring> log = registry.log;
  auto at = [&](const std::wstring& line) {
    return std::find(log.begin(), log.end(), line) - log.begin();
  };
  EXPECT_LT(at(L"read CLSID\\{A1}|"), at(L"soft CLSID\\{A1}||0"));
  EXPECT_LT(at(L"soft CLSID\\{A1}\\ProgID||0"), at(L"soft CLSID\\{A1}\\InprocServer32||0"));
  EXPECT_TRUE(Contains(log, L"soft CLSID\\{A1}\\DefaultIcon||0"));
  EXPECT_TRUE(Contains(log, L"soft CLSID\\{B1}\\LocalServer32||0"));
  EXPECT_FALSE(Contains(log, L"soft CLSID\\{X2}\\InprocServer32||0"));
  EXPECT_EQ(std::vector<std::wstring>({L"CLSID\\{A1}\\Implemented Categories||1",
                                       L"CLSID\\{A1}\\InprocServer32|ThreadingModel|0"}),
            MiscLines(dll.Get()));
  EXPECT_TRUE(Contains(MiscLines(exe.Get()), L"CLSID\\{B2}\\InProcHandler||1"));
}

TEST_F(LiveCapture, AppIDsTakeTheirSettingsAndExecutableEntriesGoToTheirOwner) {
  for (const wchar_t* clsid : {L"CLSID\\{A1}", L"CLSID\\{A2}"}) {
    registry.Set(std::wstring(clsid) + L"\\InprocServer32", nullptr, kDll);
    registry.Set(clsid, L"AppID", L"{AP1}");
  }
  registry.Set(L"AppID\\{AP1}", nullptr, L"Greeter App");
  registry.Set(L"AppID\\{AP1}", L"RunAs", L"interactive user");
  registry.Set(L"AppID\\{AP1}", L"ActivateAtStorage", L"yes");
  registry.Set(L"AppID\\{AP1}", L"DllSurrogate", L"c:\\program files\\tarnwick\\SAMPLE.dll");
  registry.Set(L"AppID\\{AP1}", L"LocalService", L"GreeterService");
  registry.Set(L"AppID\\{AP1}", L"Custom", L"kept");
  registry.Set(L"AppID\\Tool.exe", L"AppID", L"{ap1}");
  registry.Set(L"AppID\\Other.exe", L"AppID", L"{NOBODY}");
  registry.Set(L"CLSID\\{B1}\\LocalServer32", nullptr, kExe);
  registry.Set(L"CLSID\\{B1}", L"AppID", L"{AP2}");
  registry.Set(L"AppID\\{AP2}", L"RunAs", L"DOMAIN\\builder");
  registry.Set(L"AppID\\{AP2}", L"DllSurrogate", kExe);

  ASSERT_EQ(S_OK, Capture().hr);
  auto app = [](IExtractComponent* c, const wchar_t* appId, const wchar_t* property) {
    return ModelValue(c, {L"AppInfoCollection", appId, property});
  };
  EXPECT_EQ(L"1", app(dll.Get(), L"{AP1}", L"RunAsInteractiveUser"));
  EXPECT_EQ(L"1", app(dll.Get(), L"{AP1}", L"ActivateAtStorage"));
  EXPECT_EQ(L"GreeterService", app(dll.Get(), L"{AP1}", L"LocalService"));
  // The surrogate that is the key file is recorded where it will be installed.
  EXPECT_EQ(L"[INSTALLDIR]SAMPLE.dll", app(dll.Get(), L"{AP1}", L"DllSurrogate"));
  EXPECT_EQ(L"C:\\Out\\Tool.exe", app(exe.Get(), L"{AP2}", L"DllSurrogate"));
  EXPECT_EQ(L"0", app(exe.Get(), L"{AP2}", L"RunAsInteractiveUser"));
  EXPECT_EQ(2u, registry.Lines(L"read AppID\\{AP1}|RunAs").size());  // once per class

  std::vector<std::wstring> misc = MiscLines(dll.Get());
  EXPECT_TRUE(Contains(misc, L"AppID\\{AP1}|Custom|0"));
  EXPECT_TRUE(Contains(misc, L"AppID\\{AP1}||0"));
  EXPECT_TRUE(Contains(misc, L"AppID\\Tool.exe|AppID|1"));
  EXPECT_FALSE(Contains(MiscLines(exe.Get()), L"AppID\\Other.exe|AppID|1"));
  EXPECT_TRUE(Contains(registry.log, L"soft AppID\\{AP1}|RunAs|0"));
  EXPECT_FALSE(Contains(registry.log, L"soft AppID\\Tool.exe|AppID|0"));
}

TEST_F(LiveCapture, InterfacesFollowTheirProxyClassAndTypeLibrariesTheFileTheyAreIn) {
  // The sample holds one LIBID (again as resource 2); other registrations of
  // it, and a stale one, point there too. Of each locale's two versions the
  // higher is listed last once (1.a) and first once (2.10).
  std::wstring sample = BinDir() + L"samples\\SampleServer.dll";
  auto server = NewComponent(sample);
  const wchar_t* libId = L"{EF3EBC60-B2C1-4365-905C-9B00D55E3863}";
  const std::wstring id = L"\\" + std::wstring(libId), lib = L"TypeLib" + id;
  const std::wstring platform = twutil::kTypeLibPlatform;
  registry.Set(lib + L"\\1.0", nullptr, L"Old Library");
  registry.Set(lib + L"\\1.0\\0\\" + platform, nullptr, sample);
  registry.Set(lib + L"\\1.a\\0\\" + platform, nullptr, sample);
  registry.Set(lib + L"\\1.a\\9\\" + platform, nullptr, sample);
  registry.Set(lib + L"\\1.a\\FLAGS", nullptr, L"0");
  registry.Set(lib + L"\\1.a\\HELPDIR", nullptr, L"c:\\help");
  registry.Set(lib + L"\\2.10\\409\\" + platform, nullptr, sample + L"\\2");
  registry.Set(lib + L"\\2.9\\409\\" + platform, nullptr, sample + L"\\2");
  registry.Set(L"TypeLib\\{DEAD}\\1.0\\0\\" + platform, nullptr, sample);
  registry.Set(L"CLSID\\{P1}\\InprocServer32", nullptr, sample);
  registry.Set(L"Interface\\{I1}\\ProxyStubClsid32", nullptr, L"{p1}");
  registry.Set(L"Interface\\{I2}\\ProxyStubClsid32", nullptr, L"{OTHER}");
  registry.Set(L"Interface\\{I3}\\TypeLib", nullptr, L"{ef3ebc60-b2c1-4365-905c-9b00d55e3863}");

  ASSERT_EQ(S_OK, CaptureLive(&registry, {server}).hr);
  EXPECT_EQ(std::vector<std::wstring>(
                {id + L"\\1.a\\HELPDIR||0", id + L"\\1.a\\0\\" + platform + L"||0",
                 id + L"\\1.a\\FLAGS||0", id + L"\\1.a\\HELPDIR||0",
                 id + L"\\1.a\\9\\" + platform + L"||0", id + L"\\1.a\\FLAGS||0",
                 id + L"\\2.10\\409\\" + platform + L"||0", id + L"\\2.10\\FLAGS||0"}),
            registry.Lines(L"soft TypeLib"))
      << "only the highest version per locale, nothing of the stale LIBID";
  EXPECT_EQ(L"1", ModelValue(server.Get(), {L"TypeLibCollection", L"Count"}));

  EXPECT_TRUE(Contains(MiscLines(server.Get()), L"Interface\\{I1}||1"));
  EXPECT_TRUE(Contains(registry.log, L"soft Interface\\{I1}||1"));
  EXPECT_TRUE(Contains(registry.log, L"soft Interface\\{I2}\\ProxyStubClsid32||1"));
  // Interfaces of a recorded library are only reported when repackaging.
  EXPECT_FALSE(Contains(registry.log, L"soft Interface\\{I3}||1"));
}

TEST_F(LiveCapture, AClassProgIDTakesItsValuesVerbsAndVersionIndependentName) {
  registry.Set(L"CLSID\\{A1}\\InprocServer32", nullptr, kDll);
  const std::wstring progId = L"Sample.Greeter.1";
  registry.Set(progId, nullptr, L"Greeter Object");
  registry.Set(progId, L"EditFlags", L"0");
  registry.Set(progId + L"\\CLSID", nullptr, L"{a1}");
  registry.AddKey(progId + L"\\Insertable");
  registry.Set(progId + L"\\Shell", nullptr, L"Print");
  registry.Set(progId + L"\\Shell\\open", nullptr, L"&Open");
  registry.Set(progId + L"\\Shell\\open\\command", nullptr,
               L"\"" + std::wstring(kExe) + L"\" \"%1\"");
  registry.Set(progId + L"\\Shell\\open\\command", L"extra", L"x");
  registry.AddKey(progId + L"\\Shell\\open\\ddeexec");
  registry.Set(progId + L"\\Shell\\print\\command", nullptr,
               L"RunDll32.exe C:\\Program Files\\Tarnwick\\Sample.dll,PrintIt %1");
  registry.Set(progId + L"\\Shell\\edit\\command", nullptr, L"notepad.exe %1");
  registry.Set(L"Sample.Greeter", nullptr, L"Greeter");
  registry.Set(L"Sample.Greeter\\CurVer", nullptr, progId);
  registry.Set(L"Sample.Greeter\\CLSID", nullptr, L"{A1}");
  // A CurVer without a value does not hide the class.
  registry.AddKey(L"Sample.Plain\\CurVer");
  registry.Set(L"Sample.Plain\\CLSID", nullptr, L"{A1}");
  // Names that are never ProgIDs, even with a class.
  for (const wchar_t* never : {L".greet\\CLSID", L"AppId\\CLSID", L"Interface\\CLSID"})
    registry.Set(never, nullptr, L"{A1}");

  ASSERT_EQ(S_OK, Capture().hr);
  IExtractComponent* c = dll.Get();
  EXPECT_EQ(L"Sample.Plain", ModelValue(c, {L"ProgIDCollection", L"Sample.Plain", L"ProgID"}));
  EXPECT_EQ(L"3", ModelValue(c, {L"ProgIDCollection", L"Count"}));

  // The default verb is 1, the others count from 2 in list order (edit, open),
  // though the edit verb runs no component file.
  EXPECT_EQ(L"&Open", Verb(c, L"Sample.Greeter.1", L"open", L"Command"));
  EXPECT_EQ(L"\"%1\"", Verb(c, L"Sample.Greeter.1", L"open", L"Argument"));
  EXPECT_EQ(L"3", Verb(c, L"Sample.Greeter.1", L"open", L"Sequence"));
  EXPECT_EQ(L"1", Verb(c, L"Sample.Greeter.1", L"print", L"Sequence"));
  EXPECT_EQ(L"<none>", Verb(c, L"Sample.Greeter.1", L"edit", L"Verb"));

  std::vector<std::wstring> misc = MiscLines(c);
  for (const wchar_t* line : {L"Sample.Greeter.1|EditFlags|0", L"Sample.Greeter.1\\Insertable||1",
                              L"Sample.Greeter.1\\Shell\\open\\command|extra|0",
                              L"Sample.Greeter.1\\Shell\\open\\ddeexec||1"})
    EXPECT_TRUE(Contains(misc, line)) << testing::PrintToString(line);
  EXPECT_TRUE(Contains(registry.log, L"soft Sample.Greeter\\CURVER||0"));
}

TEST_F(LiveCapture, VerbsExtensionsAndContentTypesReachTheComponentTheyRun) {
  registry.Set(L"CLSID\\{A1}\\InprocServer32", nullptr, kDll);
  // A document type without a class whose verbs run the tool.
  registry.Set(L"Tool.Document", nullptr, L"Tool Document");
  registry.Set(L"Tool.Document\\DefaultIcon", nullptr, L"c:\\doc.ico,1");
  registry.Set(L"Tool.Document\\Shell\\open\\command", nullptr,
               std::wstring(kExe) + L" /open \"%1\"");
  registry.Set(L"Tool.Document\\Shell\\Edit\\command", nullptr, std::wstring(kExe) + L" /edit");
  registry.reversed = L"Tool.Document\\Shell";  // open, then Edit
  registry.Set(L"Other.Document\\Shell\\open\\command", nullptr, L"c:\\other.exe");
  registry.Set(L"Lonely.Document\\DefaultIcon", nullptr, L"c:\\lonely.ico,0");
  registry.Set(L".tdoc", nullptr, L"Tool.Document");
  registry.Set(L".odoc", nullptr, L"Other.Document");
  const std::wstring types = L"MIME\\Database\\Content Type\\";
  registry.Set(types + L"application/x-tdoc", L"Extension", L".TDOC");
  registry.Set(types + L"application/x-tdoc", L"CLSID", L"{C1}");
  registry.Set(types + L"application/x-tdoc", L"Encoding", L"binary");
  registry.Set(types + L"text/x-tdoc", L"Charset", L"utf-8");
  registry.Set(types + L"text/x-tdoc", L"Extension", L".tdoc");
  registry.Set(types + L"text/x-odoc", L"Extension", L".odoc");

  ASSERT_EQ(S_OK, Capture().hr);
  IExtractComponent* c = exe.Get();
  EXPECT_EQ(L"Tool Document",
            ModelValue(c, {L"ProgIDCollection", L"Tool.Document", L"Description"}));
  EXPECT_EQ(L"/open \"%1\"", Verb(c, L"Tool.Document", L"open", L"Argument"));
  EXPECT_EQ(L"2", Verb(c, L"Tool.Document", L"open", L"Sequence"));
  EXPECT_EQ(L"3", Verb(c, L"tool.document", L"Edit", L"Sequence"));
  // The icon of a classless ProgID is recorded where a component holds it.
  EXPECT_EQ(L"c:\\doc.ico", ModelValue(c, {L"ProgIDCollection", L"Tool.Document", L"DefaultIcon"}));
  EXPECT_FALSE(Contains(registry.log, L"soft Lonely.Document\\DefaultIcon||0"));
  EXPECT_TRUE(Contains(registry.log, L"soft Other.Document\\Shell\\open\\command||0"));
  EXPECT_TRUE(Contains(registry.log, L"soft .odoc||0"));

  EXPECT_EQ(L"text/x-tdoc", ModelValue(c, {L"ExtensionCol", L"tdoc", L"MIME"}));
  EXPECT_EQ(L"TDOC", ModelValue(c, {L"MIMECol", L"application/x-tdoc", L"Extension"}));
  EXPECT_EQ(L"", ModelValue(c, {L"MIMECol", L"text/x-tdoc", L"CLSID"}));
  EXPECT_EQ(L"2", ModelValue(c, {L"MIMECol", L"Count"}));
  EXPECT_EQ(L"0", ModelValue(dll.Get(), {L"MIMECol", L"Count"}));
  std::vector<std::wstring> misc = MiscLines(c);
  EXPECT_TRUE(Contains(misc, types + L"application/x-tdoc|Encoding|0"));
  EXPECT_FALSE(Contains(misc, types + L"text/x-tdoc|Charset|0"));
}

TEST_F(LiveCapture, ProgressRunsInStepsAndRepackagingHandsEntriesToTheRegistryObject) {
  FillRegistry(&registry);
  // Repackaging: the file is known by where it will be installed.
  registry.Set(L"CLSID\\{B1}\\InprocServer32", nullptr, L"C:\\Out\\Sample.dll");
  auto component = NewComponent(kDll, L"C:\\Out");
  LiveRun run = CaptureLive(&registry, {component}, kRepackaging | kRegister | kUnregister);
  ASSERT_EQ(S_OK, run.hr);
  EXPECT_EQ(0, run.result);
  EXPECT_EQ(std::vector<LONG>({0, 10, 20, 40, 50, 60, 70, 80, 90, 100}), run.progress);
  EXPECT_EQ(L"<none>", ModelValue(component.Get(), {L"ComClassCollection", L"{A1}", L"Guid"}));
  EXPECT_EQ(L"{B1}", ModelValue(component.Get(), {L"ComClassCollection", L"{B1}", L"Guid"}));
  EXPECT_TRUE(MiscLines(component.Get()).empty());

  registry.log.clear();
  FillRegistry(&registry);
  registry.Set(L"CLSID\\{A1}\\InprocServer32", nullptr, L"C:\\Out\\Sample.dll");
  ASSERT_EQ(S_OK, CaptureLive(&registry, {component}, kRepackaging).hr);
  EXPECT_EQ(std::vector<std::wstring>({L"CLSID\\{A1}\\Implemented Categories||1",
                                       L"CLSID\\{A1}\\InProcHandler32||1",
                                       L"Sample.Greeter.1\\Insertable||1"}),
            registry.Lines(L"give "));
  EXPECT_TRUE(Contains(registry.log, L"soft CLSID\\{A1}\\InProcHandler32||0"));
  // Named values of a class's ProgID always go to the component.
  EXPECT_EQ(std::vector<std::wstring>({L"Sample.Greeter.1|EditFlags|0"}),
            MiscLines(component.Get()));
}

TEST_F(LiveCapture, AFailingModelEndsTheCaptureWithTheStepsMessageAndTheNextStartsClean) {
  FillRegistry(&registry);
  ComPtr<IServerInfo> serverInfo;
  ASSERT_EQ(S_OK, Create(CLSID_ServerInfo, &serverInfo));
  ComPtr<IExtractComponent> failing(static_cast<IExtractComponent*>(new RefusingComponent));

  LiveRun run = CaptureLive(&registry, {failing}, 0, serverInfo.Get());
  EXPECT_EQ(E_FAIL, run.hr);
  EXPECT_EQ(-1, run.result);
  EXPECT_EQ(L"TWHbrTarnwick.ServerInfo.1|The model refused in FindCOMInfo Function", run.error);
  EXPECT_EQ(std::vector<LONG>({0, 10, 20}), run.progress);

  // Same object, another file: nothing of the first capture's classes is left
  // to claim the ProgID for it.
  auto other = NewComponent(L"C:\\Other\\Other.dll");
  run = CaptureLive(&registry, {other}, 0, serverInfo.Get());
  EXPECT_EQ(S_OK, run.hr);
  EXPECT_EQ(0, run.result);
  EXPECT_EQ(L"0", ModelValue(other.Get(), {L"ProgIDCollection", L"Count"}));

  // A failure in a later step names that step.
  ScratchRegistry classless;
  classless.Set(L"CLSID\\{A1}\\InprocServer32", nullptr, kDll);
  classless.Set(L"AppID\\Sample.exe", L"AppID", L"{AP}");
  classless.Set(L"CLSID\\{A1}", L"AppID", L"{AP}");
  run = CaptureLive(&classless, {failing}, 0, serverInfo.Get());
  EXPECT_EQ(L"TWHbrTarnwick.ServerInfo.1|The model refused in AddAdditionalAppInfo function",
            run.error);
}

}  // namespace
}  // namespace twtest
