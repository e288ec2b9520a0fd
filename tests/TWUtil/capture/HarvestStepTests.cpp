// The harvest of a capture area filled by hand as a registering server leaves
// it: what each step records, in which order and with which properties, and
// what it takes out of the capture area.
#include <gtest/gtest.h>

#include "HarvestModelLines.h"
#include "HarvestTestSupport.h"

using namespace harvesttest;

namespace {

using Lines = std::vector<std::wstring>;

const wchar_t kCR[] = L"HKEY_CLASSES_ROOT";
const std::wstring kClsid = L"HKEY_CLASSES_ROOT\\CLSID\\";
const std::wstring kAppId = L"HKEY_CLASSES_ROOT\\AppID\\";
const wchar_t kWidget[] = L"{11111111-0000-0000-0000-000000000001}";
const wchar_t kGadget[] = L"{11111111-0000-0000-0000-000000000002}";
const wchar_t kForeign[] = L"{99999999-0000-0000-0000-000000000009}";

class HarvestSteps : public testing::Test {
 protected:
  void SetUp() override { ResetCaptureArea(); }
  void TearDown() override { RemoveCaptureArea(); }

  // A class of the file: an in-process server and nothing else.
  static void ServedClass(const wchar_t* clsid) {
    SetText(kClsid + clsid + L"\\InprocServer32", nullptr, L"C:\\srv\\server.dll");
  }
  // A ProgID of clsid.
  static void ProgID(const std::wstring& name, const wchar_t* clsid) {
    SetText(std::wstring(kCR) + L"\\" + name + L"\\CLSID", nullptr, clsid);
  }

  ComPtr<IExtractComponent> component_ = NewComponent();
};

TEST_F(HarvestSteps, TypeLibraryVersionsAndLocalesEachGiveAnItem) {
  const std::wstring lib = L"HKEY_CLASSES_ROOT\\TypeLib\\{AAAA0000-0000-0000-0000-00000000000A}";
  SetText(lib + L"\\1.0", nullptr, L"Library One");
  SetText(lib + L"\\1.0\\0\\win32", nullptr, L"C:\\srv\\server.dll\\1");
  SetText(lib + L"\\1.0\\FLAGS", nullptr, L"0");
  SetText(lib + L"\\2.1", nullptr, L"Library Two");
  SetText(lib + L"\\2.1\\0\\win32", nullptr, L"C:\\srv\\server.dll\\2");
  SetText(lib + L"\\2.1\\409\\win32", nullptr, L"C:\\srv\\server.dll\\3");
  SetText(lib + L"\\2.1\\HELPDIR", nullptr, L"C:\\srv\\help");
  SetText(lib + L"\\2.1\\FLAGS", nullptr, L"8");

  ComponentDouble recording(component_);
  recording.recordTypeLibAdds = true;
  Harvest(&recording);
  Lines adds;
  for (auto& item : recording.typeLibAdds) {
    LONG lcid = -1;
    Bstr id, description, version, helpDir;
    item->get_LibID(id.Put());
    item->get_LibLCID(&lcid);
    item->get_LibDescription(description.Put());
    item->get_LibVersion(version.Put());
    item->get_HelpDir(helpDir.Put());
    adds.push_back(std::wstring(id.Text()) + L"|" + std::to_wstring(lcid) + L"|" +
                   description.Text() + L"|" + version.Text() + L"|" + helpDir.Text());
  }
  // The locale name is read as a decimal number: "409" is 409, not 0x409.
  EXPECT_EQ(adds,
            (Lines{L"{AAAA0000-0000-0000-0000-00000000000A}|0|Library One|1.0|",
                   L"{AAAA0000-0000-0000-0000-00000000000A}|0|Library Two|2.1|C:\\srv\\help",
                   L"{AAAA0000-0000-0000-0000-00000000000A}|409|Library Two|2.1|C:\\srv\\help"}));
  EXPECT_FALSE(HasKey(L"HKEY_CLASSES_ROOT\\TypeLib"));
}

TEST_F(HarvestSteps, AModelThatKeepsOneItemPerLibraryShowsTheLastVersion) {
  const std::wstring lib = L"HKEY_CLASSES_ROOT\\TypeLib\\{L}";
  SetText(lib + L"\\1.0\\0\\win32", nullptr, L"a");
  SetText(lib + L"\\2.1", nullptr, L"Two");
  SetText(lib + L"\\2.1\\409\\win32", nullptr, L"a");
  Harvest(component_.Get());
  EXPECT_EQ(TypeLibraryLines(component_.Get()), (Lines{L"{L}|409|Two|2.1|"}));
}

TEST_F(HarvestSteps, TypeLibKeyWithOtherContentStaysAndOversizedTextsCountAsAbsent) {
  const std::wstring typeLib = L"HKEY_CLASSES_ROOT\\TypeLib";
  SetText(typeLib, L"Stray", L"kept");
  SetText(typeLib + L"\\{L}\\1.0", nullptr, std::wstring(600, L'd'));           // 1202 bytes
  SetText(typeLib + L"\\{L}\\1.0\\HELPDIR", nullptr, std::wstring(130, L'h'));  // 262 bytes
  SetText(typeLib + L"\\{L}\\1.0\\7\\win32", nullptr, L"a");
  Harvest(component_.Get());
  EXPECT_EQ(TypeLibraryLines(component_.Get()), (Lines{L"{L}|7||1.0|"}));
  EXPECT_EQ(Leftovers(typeLib), (Lines{L"|Stray=kept"}));
}

TEST_F(HarvestSteps, ClassWithEveryKindOfEntry) {
  const std::wstring key = kClsid + kWidget;
  SetText(key, nullptr, L"Widget");
  SetText(key, L"AppID", L"{A}");
  SetText(key + L"\\ProgID", nullptr, L"Widget.1");
  SetText(key + L"\\VersionIndependentProgID", nullptr, L"Widget");
  MakeKey(key + L"\\Programmable");
  SetText(key + L"\\DefaultIcon", nullptr, L"\"C:\\srv\\server.dll\",-101");
  SetText(key + L"\\InprocServer32", nullptr, L"C:\\srv\\server.dll");
  SetText(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
  SetText(key + L"\\InprocServer", nullptr, L"server16.dll");
  SetText(key + L"\\LocalServer32", nullptr, L"C:\\srv\\server.exe /automation");
  SetText(key + L"\\InProcHandler32", nullptr, L"ole32.dll");
  MakeKey(key + L"\\InProcHandler");
  MakeKey(kAppId + L"{A}");

  Harvest(component_.Get());
  EXPECT_EQ(ClassLines(component_.Get()),
            (Lines{std::wstring(kWidget) +
                   L"|Widget|Widget.1|{A}|C:\\srv\\server.dll|-101|"
                   L"LocalServer32:3:/automation,InprocServer:0:,InprocServer32:0:"}));
  EXPECT_EQ(AppIDLines(component_.Get()), (Lines{L"{A}||||||0|0"}));
  // What stays: the class key with its AppID value, the handlers and the
  // in-process server that still names its threading model.
  EXPECT_EQ(Leftovers(kClsid + kWidget),
            (Lines{L"InProcHandler", L"InProcHandler32", L"InProcHandler32|@=ole32.dll",
                   L"InprocServer32", L"InprocServer32|ThreadingModel=Apartment", L"|AppID={A}"}));
}

TEST_F(HarvestSteps, LocalServerArgumentsAndHandlerFlags) {
  const std::wstring key = kClsid + kWidget;
  SetText(key + L"\\LocalServer", nullptr, L"\"C:\\App\\srv.exe\" -Embedding");
  SetText(key + L"\\LocalServer32", nullptr, L"C:\\App\\srv.exe ");
  MakeKey(key + L"\\InProcHandler");
  const std::wstring other = kClsid + kGadget;
  SetText(other + L"\\LocalServer32", nullptr, L"C:\\APP\\SRV.EXE /upper");
  MakeKey(other + L"\\InProcHandler32");
  Harvest(component_.Get());
  // The argument starts five characters into ".exe": after a closing quote
  // that is the space; ".exe" is found only in lower case.
  EXPECT_EQ(ClassLines(component_.Get()),
            (Lines{std::wstring(kWidget) + L"|||||0|LocalServer:1: -Embedding,LocalServer32:1:",
                   std::wstring(kGadget) + L"|||||0|LocalServer32:2:"}));
}

TEST_F(HarvestSteps, ClassesWithoutServersAndTheirProgIDsAreLeftAlone) {
  SetText(kClsid + kForeign, nullptr, L"Registered elsewhere");
  SetText(kClsid + kForeign + L"\\ProgID", nullptr, L"Foreign.1");
  ProgID(L"Foreign.1", kForeign);
  Harvest(component_.Get());
  EXPECT_TRUE(ClassLines(component_.Get()).empty());
  EXPECT_TRUE(ProgIDLines(component_.Get()).empty());
  EXPECT_EQ(Leftovers(std::wstring(kCR) + L"\\CLSID"),
            (Lines{kForeign, std::wstring(kForeign) + L"\\ProgID",
                   std::wstring(kForeign) + L"\\ProgID|@=Foreign.1",
                   std::wstring(kForeign) + L"|@=Registered elsewhere"}));
  EXPECT_TRUE(HasKey(std::wstring(kCR) + L"\\Foreign.1\\CLSID"));
}

TEST_F(HarvestSteps, AppIDSettingsBecomePropertiesAndLeave) {
  ServedClass(kWidget);
  SetText(kClsid + kWidget, L"AppID", L"{A}");
  SetText(kAppId + L"{A}", nullptr, L"Widget Host");
  SetText(kAppId + L"{A}", L"LocalService", L"WidgetService");
  SetText(kAppId + L"{A}", L"ServiceParameters", L"-service");
  SetText(kAppId + L"{A}", L"RemoteServerName", L"far.example");
  SetText(kAppId + L"{A}", L"DllSurrogate", L"C:\\srv\\server.dll");
  SetText(kAppId + L"{A}", L"ActivateAtStorage", L"yes");
  SetText(kAppId + L"{A}", L"RunAs", L"interactive USER");
  ServedClass(kGadget);
  SetText(kClsid + kGadget, L"AppID", L"{B}");
  SetText(kAppId + L"{B}", L"DllSurrogate", L"C:\\SRV\\server.dll");
  SetText(kAppId + L"{B}", L"ActivateAtStorage", L"N");
  SetText(kAppId + L"{B}", L"RunAs", L"DOMAIN\\builder");
  ServedClass(kForeign);
  SetText(kClsid + kForeign, L"AppID", L"{Missing}");

  Harvest(component_.Get());
  // A surrogate that is the key file itself moves to the destination; one
  // spelled otherwise stays as written.
  EXPECT_EQ(AppIDLines(component_.Get()),
            (Lines{L"{A}|far.example|WidgetService|-service|[INSTALLDIR]server.dll|Widget Host|1|1",
                   L"{B}||||C:\\SRV\\server.dll||0|0", L"{Missing}||||||0|0"}));
  EXPECT_EQ(Leftovers(std::wstring(kCR) + L"\\AppID"),
            (Lines{L"{A}", L"{A}|@=Widget Host", L"{B}"}));
}

TEST_F(HarvestSteps, SurrogateJoinsAFolderDestinationWithABackslash) {
  ComPtr<IExtractComponent> component =
      NewComponent(L"C:\\src\\srv.dll", L"C:\\Program Files\\App");
  ServedClass(kWidget);
  SetText(kClsid + kWidget, L"AppID", L"{A}");
  SetText(kAppId + L"{A}", L"DllSurrogate", L"C:\\src\\srv.dll");
  Harvest(component.Get());
  EXPECT_EQ(AppIDLines(component.Get()), (Lines{L"{A}||||C:\\Program Files\\App\\srv.dll||0|0"}));
}

TEST_F(HarvestSteps, DefaultIconForms) {
  const wchar_t* const icons[] = {L"\"C:\\x\\srv.dll\",-101", L"C:\\x\\srv.dll",
                                  L"%SystemRoot%\\System32\\Shell32.dll,  7",
                                  L"C:\\x\\srv.dll\",3"};
  const wchar_t* const clsids[] = {L"{C1}", L"{C2}", L"{C3}", L"{C4}"};
  for (int i = 0; i < 4; ++i) {
    ServedClass(clsids[i]);
    SetText(kClsid + clsids[i] + L"\\DefaultIcon", nullptr, icons[i]);
  }
  MakeKey(kClsid + L"{C5}\\DefaultIcon");
  ServedClass(L"{C5}");
  Harvest(component_.Get());
  wchar_t windows[MAX_PATH] = {};
  ExpandEnvironmentStringsW(L"%SystemRoot%", windows, MAX_PATH);
  // The system-root variable is found in any case; what follows it is
  // lower-cased. A closing quote is cut only after an opening one.
  EXPECT_EQ(
      ClassLines(component_.Get()),
      (Lines{L"{C1}||||C:\\x\\srv.dll|-101|InprocServer32:0:", L"{C2}|||||0|InprocServer32:0:",
             L"{C3}||||" + std::wstring(windows) + L"\\system32\\shell32.dll|7|InprocServer32:0:",
             L"{C4}||||C:\\x\\srv.dll\"|3|InprocServer32:0:", L"{C5}|||||0|InprocServer32:0:"}));
  for (const wchar_t* clsid : clsids) EXPECT_FALSE(HasKey(kClsid + clsid + L"\\DefaultIcon"));
}

TEST_F(HarvestSteps, InterfacesStayOnlyWhenTheFileServesAProxyStub) {
  ServedClass(kWidget);
  const std::wstring interfaces = L"HKEY_CLASSES_ROOT\\Interface\\";
  SetText(interfaces + L"{I1}\\ProxyStubClsid32", nullptr,
          L"{00020424-0000-0000-C000-000000000046}");
  SetText(interfaces + L"{I2}\\ProxyStubClsid32", nullptr, kWidget);
  Harvest(component_.Get());
  EXPECT_TRUE(HasKey(interfaces + L"{I1}"));
  EXPECT_TRUE(HasKey(interfaces + L"{I2}"));

  ResetCaptureArea();
  ServedClass(kWidget);
  SetText(interfaces + L"{I1}\\ProxyStubClsid32", nullptr,
          L"{00020424-0000-0000-C000-000000000046}");
  SetText(interfaces + L"{I3}\\ProxyStubClsid32", nullptr, kForeign);
  ComPtr<IExtractComponent> second = NewComponent();
  Harvest(second.Get());
  EXPECT_FALSE(HasKey(L"HKEY_CLASSES_ROOT\\Interface"));
}

TEST_F(HarvestSteps, VersionedAndVersionIndependentProgIDs) {
  ServedClass(kWidget);
  SetText(L"HKEY_CLASSES_ROOT\\Widget", nullptr, L"Widget");
  ProgID(L"Widget", kWidget);
  SetText(L"HKEY_CLASSES_ROOT\\Widget\\CurVer", nullptr, L"Widget.1");
  SetText(L"HKEY_CLASSES_ROOT\\Widget.1", nullptr, L"Widget One");
  ProgID(L"Widget.1", kWidget);
  SetText(L"HKEY_CLASSES_ROOT\\Widget.1\\DefaultIcon", nullptr, L"C:\\srv\\server.dll, 2");
  // A ProgID whose CurVer has no text gets neither a parent nor a class.
  ProgID(L"Widget.Bare", kWidget);
  MakeKey(L"HKEY_CLASSES_ROOT\\Widget.Bare\\CurVer");
  // Reserved names and extensions are never ProgIDs.
  for (const wchar_t* reserved : {L"clsid", L"LICENCES", L".wdg"}) ProgID(reserved, kWidget);

  Harvest(component_.Get());
  EXPECT_EQ(ProgIDLines(component_.Get()),
            (Lines{L"Widget||Widget|Widget.1||0",
                   L"Widget.1|" + std::wstring(kWidget) + L"|Widget One||C:\\srv\\server.dll|2",
                   L"Widget.Bare|||||0"}));
  EXPECT_FALSE(HasKey(L"HKEY_CLASSES_ROOT\\Widget"));
  EXPECT_FALSE(HasKey(L"HKEY_CLASSES_ROOT\\Widget.1"));
  EXPECT_FALSE(HasKey(L"HKEY_CLASSES_ROOT\\Widget.Bare"));
  EXPECT_TRUE(HasKey(L"HKEY_CLASSES_ROOT\\CLSID\\CLSID"));
  EXPECT_TRUE(HasKey(L"HKEY_CLASSES_ROOT\\LICENCES\\CLSID"));
}

TEST_F(HarvestSteps, VerbsAreNumberedFromTheDefaultVerb) {
  ServedClass(kWidget);
  ProgID(L"Widget.1", kWidget);
  const std::wstring shell = L"HKEY_CLASSES_ROOT\\Widget.1\\Shell";
  SetText(shell, nullptr, L"open");
  SetText(shell + L"\\edit", nullptr, L"&Edit");
  SetText(shell + L"\\edit\\command", nullptr, L"%1");
  SetText(shell + L"\\open", nullptr, L"&Open");
  SetText(shell + L"\\open\\command", nullptr, L"\"C:\\Prog\\App.EXE\" /p \"%1\"");
  SetText(shell + L"\\print\\command", nullptr, L"rundll32.exe shell32.dll,OpenAs_RunDLL %1");
  SetText(shell + L"\\print\\command", L"DelegateExecute", L"{D}");
  SetText(shell + L"\\view\\command", nullptr, L"viewer.exe");

  Harvest(component_.Get());
  // edit names no program: it is not recorded, but it still takes number 2.
  EXPECT_EQ(VerbLines(component_.Get(), L"Widget.1"),
            (Lines{L"open|&Open|Widget.1|/p \"%1\"|1|c:\\prog\\app.exe|",
                   L"print||Widget.1|openas_rundll %1|3|shell32.dll|",
                   L"view||Widget.1||4|viewer.exe|"}));
  EXPECT_EQ(Leftovers(shell), (Lines{L"edit", L"edit|@=&Edit", L"print", L"print\\command",
                                     L"print\\command|DelegateExecute={D}", L"|@=open"}));
}

TEST_F(HarvestSteps, ExtensionsOfTheFilesProgIDsAndTheirVerbs) {
  ServedClass(kWidget);
  ProgID(L"Widget.1", kWidget);
  const std::wstring shell = L"HKEY_CLASSES_ROOT\\Widget.1\\Shell";
  for (const wchar_t* verb : {L"edit", L"open", L"print"})
    SetText(shell + L"\\" + verb + L"\\command", nullptr, L"app.exe %1");
  SetText(L"HKEY_CLASSES_ROOT\\.wdg", nullptr, L"widget.1");
  SetText(L"HKEY_CLASSES_ROOT\\.wdg\\ShellNew", L"NullFile", L"");
  SetText(L"HKEY_CLASSES_ROOT\\.other", nullptr, L"Other.1");
  MakeKey(L"HKEY_CLASSES_ROOT\\.bare");

  Harvest(component_.Get());
  EXPECT_EQ(ExtensionLines(component_.Get()), (Lines{L"wdg|widget.1|"}));
  // The verbs are asked by position from 0: this model knows positions from
  // 1, so the last verb is not reached.
  EXPECT_EQ(VerbLines(component_.Get(), L"Widget.1"),
            (Lines{L"edit||Widget.1|%1|2|app.exe|wdg", L"open||Widget.1|%1|3|app.exe|wdg",
                   L"print||Widget.1|%1|4|app.exe|"}));
  for (const wchar_t* extension : {L".wdg", L".other", L".bare"})
    EXPECT_FALSE(HasKey(std::wstring(kCR) + L"\\" + extension));
}

TEST_F(HarvestSteps, MIMETypesOfTheFilesExtensionsAndClasses) {
  ServedClass(kWidget);
  ProgID(L"Widget.1", kWidget);
  SetText(L"HKEY_CLASSES_ROOT\\.wdg", nullptr, L"Widget.1");
  const std::wstring types = L"HKEY_CLASSES_ROOT\\MIME\\Database\\Content Type\\";
  SetText(types + L"application/x-widget", L"Extension", L".wdg");
  SetText(types + L"application/x-widget", L"CLSID", kWidget);
  SetText(types + L"text/x-widget", L"Extension", L".wdg");
  SetText(types + L"text/x-widget", L"CLSID", kForeign);
  SetText(types + L"text/x-none", L"Extension", L".none");
  SetText(types + L"text/x-none", L"CLSID", kWidget);
  SetText(types + L"image/x-noext", L"CLSID", kWidget);

  Harvest(component_.Get());
  // The extension carries the last content type that names it.
  EXPECT_EQ(ExtensionLines(component_.Get()), (Lines{L"wdg|Widget.1|text/x-widget"}));
  EXPECT_EQ(MIMELines(component_.Get()),
            (Lines{L"wdg|application/x-widget|" + std::wstring(kWidget)}));
  EXPECT_EQ(
      Leftovers(L"HKEY_CLASSES_ROOT\\MIME\\Database\\Content Type"),
      (Lines{L"application/x-widget", L"application/x-widget|Extension=.wdg", L"image/x-noext",
             L"image/x-noext|CLSID=" + std::wstring(kWidget), L"text/x-none",
             L"text/x-none|CLSID=" + std::wstring(kWidget), L"text/x-none|Extension=.none",
             L"text/x-widget", L"text/x-widget|Extension=.wdg"}));
}

TEST_F(HarvestSteps, RemainingHivesGoToTheModelAsWholeMirrors) {
  SetText(L"HKEY_LOCAL_MACHINE\\Software\\Widget", L"Path", L"C:\\srv");
  SetText(L"HKEY_USERS\\.DEFAULT\\Software\\Widget", L"Seen", L"1");
  SetText(L"HKEY_CURRENT_USER", L"Loose", L"value");
  Harvest(component_.Get());
  EXPECT_EQ(MiscCalls(component_.Get()),
            (Lines{L"HKEY_CURRENT_USER|<null>|<null>|all", L"HKEY_LOCAL_MACHINE|<null>|<null>|all",
                   L"HKEY_USERS|<null>|<null>|all"}));
  // They are handed over, not consumed.
  EXPECT_TRUE(HasValue(L"HKEY_LOCAL_MACHINE\\Software\\Widget", L"Path"));

  ResetCaptureArea();
  ServedClass(kWidget);
  ComPtr<IExtractComponent> second = NewComponent();
  Harvest(second.Get());
  EXPECT_EQ(MiscCalls(second.Get()), (Lines{L"HKEY_CLASSES_ROOT|<null>|<null>|all"}));
}

TEST_F(HarvestSteps, AnEmptyOrMissingCaptureAreaRecordsNothing) {
  Harvest(component_.Get());
  RemoveCaptureArea();
  Harvest(component_.Get());
  EXPECT_TRUE(ClassLines(component_.Get()).empty());
  EXPECT_TRUE(MiscCalls(component_.Get()).empty());
}

}  // namespace
