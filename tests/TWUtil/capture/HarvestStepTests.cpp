// The harvest of a capture area filled by hand as a registering server leaves
// it: what each step records, with which properties, and what it takes out.
// The ordinary forms show in the samples' captures; these are the others.
#include "HarvestTestSupport.h"

using namespace harvesttest;

namespace {

using HarvestSteps = HarvestTest;

TEST_F(HarvestSteps, ClassesTheirServersIconsAndAppIDs) {
  Fill(
      LR"(
    HKCR\CLSID\{C1}|@=Widget
    HKCR\CLSID\{C1}|AppID={A}
    HKCR\CLSID\{C1}\ProgID|@=Widget.1
    HKCR\CLSID\{C1}\VersionIndependentProgID|@=Widget
    HKCR\CLSID\{C1}\Programmable
    HKCR\CLSID\{C1}\DefaultIcon|@="C:\srv\server.dll",-101
    HKCR\CLSID\{C1}\InprocServer32|@=C:\srv\server.dll
    HKCR\CLSID\{C1}\InprocServer32|ThreadingModel=Apartment
    HKCR\CLSID\{C1}\InprocServer|@=server16.dll
    HKCR\CLSID\{C1}\LocalServer32|@=C:\srv\server.exe /automation
    HKCR\CLSID\{C1}\InProcHandler32|@=ole32.dll
    HKCR\CLSID\{C1}\InProcHandler
    HKCR\CLSID\{C2}|AppID={B}
    HKCR\CLSID\{C2}\LocalServer|@="C:\App\srv.exe" -Embedding
    HKCR\CLSID\{C2}\InProcHandler
    HKCR\CLSID\{C2}\DefaultIcon|@=C:\x\srv.dll",3
    HKCR\CLSID\{C3}|AppID={Missing}
    HKCR\CLSID\{C3}\LocalServer32|@=C:\APP\SRV.EXE /upper
    HKCR\CLSID\{C3}\InProcHandler32
    HKCR\CLSID\{C3}\DefaultIcon
    HKCR\CLSID\{C4}\InprocServer32|@=C:\srv\server.dll
    HKCR\CLSID\{C4}\DefaultIcon|@=%SystemRoot%\System32\Shell32.dll,  7
    HKCR\CLSID\{F}|@=Registered elsewhere
    HKCR\AppID\{A}|@=Widget Host
    HKCR\AppID\{A}|RemoteServerName=far.example
    HKCR\AppID\{A}|DllSurrogate=C:\srv\server.dll
    HKCR\AppID\{A}|ActivateAtStorage=yes
    HKCR\AppID\{A}|RunAs=interactive USER
    HKCR\AppID\{B}|LocalService=WidgetService
    HKCR\AppID\{B}|DllSurrogate=C:\SRV\server.dll
    HKCR\AppID\{B}|ActivateAtStorage=N
    HKCR\AppID\{B}|RunAs=DOMAIN\builder
    HKCR\Interface\{I1}\ProxyStubClsid32|@={00020424-0000-0000-C000-000000000046}
    HKCR\Interface\{I2}\ProxyStubClsid32|@={C1}
    HKCU|Loose=value
    HKU\.DEFAULT\Software\Widget|Seen=1)");
  SetText(L"HKCR\\CLSID\\{C2}\\LocalServer32", nullptr, L"C:\\App\\srv.exe ");
  Harvest(component_.Get());
  // Handlers are flags of the local servers. An argument starts five
  // characters into ".exe" (after a closing quote that is the space), found
  // only in lower case. An icon's closing quote is cut only after an opening
  // one; the system root is found in any case, what follows lower-cased. A
  // surrogate that is the key file moves to the destination.
  EXPECT_EQ(ModelLines(component_.Get()), Listing(LR"(
    ComClass {C1}|Widget|Widget.1|{A}|C:\srv\server.dll|-101
    Context LocalServer32|3|/automation
    Context InprocServer|0|
    Context InprocServer32|0|
    ComClass {C2}|||{B}|C:\x\srv.dll"|3
    Context LocalServer|1| -Embedding
    Context LocalServer32|1|
    ComClass {C3}|||{Missing}||0
    Context LocalServer32|2|
    ComClass {C4}||||$WINDIR$\system32\shell32.dll|7
    Context InprocServer32|0|
    AppInfo {A}|far.example|||[INSTALLDIR]server.dll|Widget Host|1|1
    AppInfo {B}||WidgetService||C:\SRV\server.dll||0|0
    AppInfo {Missing}||||||0|0
    MiscRegistry HKEY_CLASSES_ROOT|null|null|true
    MiscRegistry HKEY_CURRENT_USER|null|null|true
    MiscRegistry HKEY_USERS|null|null|true)"));
  // Left: what the model has no property for, a class without a server, and
  // interfaces while the file serves a proxy/stub. The other hives are handed
  // over whole, not consumed.
  EXPECT_EQ(Leftovers(L"HKCR"), EntriesOf(LR"(
    AppID\{A}|@=Widget Host
    AppID\{B}
    CLSID\{C1}|AppID={A}
    CLSID\{C1}\InProcHandler
    CLSID\{C1}\InProcHandler32|@=ole32.dll
    CLSID\{C1}\InprocServer32|ThreadingModel=Apartment
    CLSID\{C2}|AppID={B}
    CLSID\{C2}\InProcHandler
    CLSID\{C3}|AppID={Missing}
    CLSID\{C3}\InProcHandler32
    CLSID\{C4}
    CLSID\{F}|@=Registered elsewhere
    Interface\{I1}\ProxyStubClsid32|@={00020424-0000-0000-C000-000000000046}
    Interface\{I2}\ProxyStubClsid32|@={C1})"));
  EXPECT_EQ(Leftovers(L"HKU"), EntriesOf(LR"(.DEFAULT\Software\Widget|Seen=1)"));

  // A folder destination is joined with a backslash.
  ResetCaptureArea();
  Fill(
      LR"(
    HKCR\CLSID\{C1}|AppID={A}
    HKCR\CLSID\{C1}\InprocServer32|@=C:\src\srv.dll
    HKCR\AppID\{A}|DllSurrogate=C:\src\srv.dll)");
  ComPtr<IExtractComponent> other = NewComponent(L"C:\\src\\srv.dll", L"C:\\Program Files\\App");
  Harvest(other.Get());
  EXPECT_EQ(ModelLines(other.Get(), "AppInfo"),
            Listing(LR"(AppInfo {A}||||C:\Program Files\App\srv.dll||0|0)"));
}

TEST_F(HarvestSteps, ProgIDsVerbsExtensionsAndMIMETypesOfTheFilesClasses) {
  Fill(
      LR"(
    HKCR\CLSID\{C1}\InprocServer32|@=C:\srv\server.dll
    HKCR\CLSID\{F}\ProgID|@=Foreign.1
    HKCR\Foreign.1\CLSID|@={F}
    HKCR\Interface\{I3}\ProxyStubClsid32|@={F}
    HKCR\Widget|@=Widget
    HKCR\Widget\CLSID|@={C1}
    HKCR\Widget\CurVer|@=Widget.1
    HKCR\Widget.1|@=Widget One
    HKCR\Widget.1\CLSID|@={C1}
    HKCR\Widget.1\DefaultIcon|@=C:\srv\server.dll, 2
    HKCR\Widget.1\Shell|@=open
    HKCR\Widget.1\Shell\edit|@=&Edit
    HKCR\Widget.1\Shell\edit\command|@=%1
    HKCR\Widget.1\Shell\open|@=&Open
    HKCR\Widget.1\Shell\open\command|@="C:\Prog\App.EXE" /p "%1"
    HKCR\Widget.1\Shell\print\command|@=rundll32.exe shell32.dll,OpenAs_RunDLL %1
    HKCR\Widget.1\Shell\print\command|DelegateExecute={D}
    HKCR\Widget.1\Shell\view\command|@=viewer.exe
    HKCR\Widget.Bare\CLSID|@={C1}
    HKCR\Widget.Bare\CurVer
    HKCR\clsid\CLSID|@={C1}
    HKCR\LICENCES\CLSID|@={C1}
    HKCR\.wdg|@=widget.1
    HKCR\.wdg\CLSID|@={C1}
    HKCR\.wdg\ShellNew|NullFile=
    HKCR\.other|@=Other.1
    HKCR\MIME\Database\Content Type\application/x-widget|Extension=.wdg
    HKCR\MIME\Database\Content Type\application/x-widget|CLSID={C1}
    HKCR\MIME\Database\Content Type\text/x-widget|Extension=.wdg
    HKCR\MIME\Database\Content Type\text/x-widget|CLSID={F}
    HKCR\MIME\Database\Content Type\text/x-none|Extension=.none
    HKCR\MIME\Database\Content Type\text/x-none|CLSID={C1}
    HKCR\MIME\Database\Content Type\image/x-noext|CLSID={C1})");
  Harvest(component_.Get());
  // A CurVer without text gives neither parent nor class; reserved names,
  // extensions and a class without a server give no ProgIDs. Verbs are
  // numbered from the default one; edit names no program, so it is not
  // recorded but still takes number 2. The verbs are asked for their
  // extension by position from 0: this model counts from 1, so the last is
  // not reached. The extension carries the last content type that names it.
  EXPECT_EQ(ModelLines(component_.Get()), Listing(LR"(
    ComClass {C1}|||||0
    Context InprocServer32|0|
    ProgID Widget||Widget|Widget.1||0
    ProgID Widget.1|{C1}|Widget One||C:\srv\server.dll|2
    Verb open|&Open|Widget.1|/p "%1"|1|c:\prog\app.exe|wdg
    Verb print||Widget.1|openas_rundll %1|3|shell32.dll|wdg
    Verb view||Widget.1||4|viewer.exe|
    ProgID Widget.Bare|||||0
    Extension wdg|widget.1|text/x-widget
    MIME wdg|application/x-widget|{C1}
    MiscRegistry HKEY_CLASSES_ROOT|null|null|true)"));
  // Interfaces go when none names the file's class.
  EXPECT_EQ(Leftovers(L"HKCR"), EntriesOf(LR"(
    CLSID\CLSID|@={C1}
    CLSID\{C1}
    CLSID\{F}\ProgID|@=Foreign.1
    Foreign.1\CLSID|@={F}
    LICENCES\CLSID|@={C1}
    MIME\Database\Content Type\application/x-widget|Extension=.wdg
    MIME\Database\Content Type\image/x-noext|CLSID={C1}
    MIME\Database\Content Type\text/x-none|CLSID={C1}
    MIME\Database\Content Type\text/x-none|Extension=.none
    MIME\Database\Content Type\text/x-widget|Extension=.wdg
    Widget.1\Shell|@=open
    Widget.1\Shell\edit|@=&Edit
    Widget.1\Shell\print\command|DelegateExecute={D})"));
}

}  // namespace
