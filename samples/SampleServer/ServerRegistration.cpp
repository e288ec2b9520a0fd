#include "ServerRegistration.h"

#include <oleauto.h>

#include "SampleRegistry.h"

namespace samples {
namespace {

const wchar_t kLibId[] = L"{EF3EBC60-B2C1-4365-905C-9B00D55E3863}";
const GUID kLibGuid = {
    0xEF3EBC60, 0xB2C1, 0x4365, {0x90, 0x5C, 0x9B, 0x00, 0xD5, 0x5E, 0x38, 0x63}};
const wchar_t kGreeter[] = L"{65BDD42C-3395-4F97-9964-CF5E1F5FB177}";
const wchar_t kWorker[] = L"{6E9B463B-63F9-4F03-BD92-FF873FC16651}";
const wchar_t kProxyStub[] = L"{0916E64A-CBED-4AD3-A64C-60F0F5D090C2}";
const wchar_t kChannel[] = L"{9FCF2D2B-4B2B-4FCF-B86D-7DE3FEB9DD54}";
const wchar_t kGreeterApp[] = L"{90065FD3-0E1F-4466-913E-CFB54E78C937}";
const wchar_t kWorkerApp[] = L"{3781CDED-37D7-4DBA-BB14-42A53885CC33}";
const wchar_t kSafeForScripting[] = L"{7DD95801-9882-11CF-9FA9-00AA006C42C4}";
const wchar_t kMachineKey[] = L"Software\\Tarnwick\\SampleServer";

std::wstring Clsid(const wchar_t* clsid) { return std::wstring(L"CLSID\\") + clsid; }
std::wstring AppId(const wchar_t* appId) { return std::wstring(L"AppID\\") + appId; }

// Both type libraries are resources of the DLL: "path\1" and "path\2".
void RegisterTypeLibraries(const std::wstring& dllPath, Outcome& outcome) {
  std::wstring helpDir = FolderOf(dllPath);
  for (const wchar_t* resource : {L"\\1", L"\\2"}) {
    std::wstring location = dllPath + resource;
    ITypeLib* library = nullptr;
    HRESULT hr = LoadTypeLibEx(location.c_str(), REGKIND_NONE, &library);
    outcome.Note(hr);
    if (FAILED(hr)) continue;
    outcome.Note(RegisterTypeLib(library, const_cast<wchar_t*>(location.c_str()),
                                 const_cast<wchar_t*>(helpDir.c_str())));
    library->Release();
  }
}

void RegisterGreeter(const std::wstring& dllPath, Outcome& outcome) {
  const std::wstring key = Clsid(kGreeter);
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key, nullptr, L"Sample Greeter"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key, L"AppID", kGreeterApp));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr, dllPath));
  outcome.Note(
      SetText(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"));
  // The 16-bit server entry of old tools, with the 8.3 name they knew.
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key + L"\\InprocServer", nullptr, L"sampsrv.dll"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key + L"\\ProgID", nullptr, L"SampleServer.Greeter.1"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key + L"\\VersionIndependentProgID", nullptr,
                       L"SampleServer.Greeter"));
  outcome.Note(
      SetText(HKEY_CLASSES_ROOT, key + L"\\DefaultIcon", nullptr, L"\"" + dllPath + L"\",-101"));
  outcome.Note(CreateKey(HKEY_CLASSES_ROOT, key + L"\\Programmable"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key + L"\\TypeLib", nullptr, kLibId));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key + L"\\Version", nullptr, L"2.1"));
  outcome.Note(
      CreateKey(HKEY_CLASSES_ROOT, key + L"\\Implemented Categories\\" + kSafeForScripting));

  const std::wstring app = AppId(kGreeterApp);
  outcome.Note(SetText(HKEY_CLASSES_ROOT, app, nullptr, L"Sample Greeter Application"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, app, L"RunAs", L"Interactive User"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, app, L"ActivateAtStorage", L"Y"));
}

void RegisterGreeterProgIDs(const std::wstring& dllPath, Outcome& outcome) {
  const std::wstring folder = FolderOf(dllPath);
  outcome.Note(SetText(HKEY_CLASSES_ROOT, L"SampleServer.Greeter", nullptr, L"Sample Greeter"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, L"SampleServer.Greeter\\CLSID", nullptr, kGreeter));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, L"SampleServer.Greeter\\CurVer", nullptr,
                       L"SampleServer.Greeter.1"));

  const std::wstring progId = L"SampleServer.Greeter.1";
  outcome.Note(SetText(HKEY_CLASSES_ROOT, progId, nullptr, L"Sample Greeter"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, progId + L"\\CLSID", nullptr, kGreeter));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, progId + L"\\DefaultIcon", nullptr, dllPath + L", 2"));
  const std::wstring shell = progId + L"\\Shell";
  outcome.Note(SetText(HKEY_CLASSES_ROOT, shell, nullptr, L"open"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, shell + L"\\open", nullptr, L"&Open"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, shell + L"\\open\\command", nullptr,
                       L"\"" + folder + L"\\SampleServerExe.exe\" /greet \"%1\""));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, shell + L"\\edit", nullptr, L"&Edit"));
  outcome.Note(
      SetText(HKEY_CLASSES_ROOT, shell + L"\\edit\\command", nullptr, L"notepad.exe \"%1\""));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, shell + L"\\print\\command", nullptr,
                       L"rundll32.exe " + dllPath + L",PrintGreeting %1"));
  // A verb that runs the document itself names no program.
  outcome.Note(SetText(HKEY_CLASSES_ROOT, shell + L"\\preview", nullptr, L"Pre&view"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, shell + L"\\preview\\command", nullptr, L"%1"));

  outcome.Note(SetText(HKEY_CLASSES_ROOT, L".sgreet", nullptr, progId));
  outcome.Note(
      SetText(HKEY_CLASSES_ROOT, L".sgreet", L"Content Type", L"application/x-sample-greeting"));
  const std::wstring mime = L"MIME\\Database\\Content Type\\application/x-sample-greeting";
  outcome.Note(SetText(HKEY_CLASSES_ROOT, mime, L"Extension", L".sgreet"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, mime, L"CLSID", kGreeter));
}

// A class that runs in a surrogate process hosting this very DLL.
void RegisterWorker(const std::wstring& dllPath, Outcome& outcome) {
  const std::wstring key = Clsid(kWorker);
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key, nullptr, L"Sample Surrogate Worker"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key, L"AppID", kWorkerApp));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr, dllPath));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key + L"\\DefaultIcon", nullptr,
                       L"%SystemRoot%\\System32\\shell32.dll,3"));

  const std::wstring app = AppId(kWorkerApp);
  outcome.Note(SetText(HKEY_CLASSES_ROOT, app, nullptr, L"Sample Surrogate Host"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, app, L"DllSurrogate", dllPath));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, app, L"RemoteServerName", L"buildhost.example"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, app, L"ActivateAtStorage", L"no"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, app, L"RunAs", L"SampleUser"));
}

// A custom interface marshalled by a proxy/stub class of this DLL.
void RegisterChannel(const std::wstring& dllPath, Outcome& outcome) {
  const std::wstring key = Clsid(kProxyStub);
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key, nullptr, L"Sample Channel Proxy/Stub"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr, dllPath));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel", L"Both"));

  const std::wstring iid = std::wstring(L"Interface\\") + kChannel;
  outcome.Note(SetText(HKEY_CLASSES_ROOT, iid, nullptr, L"ISampleChannel"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, iid + L"\\NumMethods", nullptr, L"4"));
  outcome.Note(SetText(HKEY_CLASSES_ROOT, iid + L"\\ProxyStubClsid32", nullptr, kProxyStub));
}

void RegisterMachineSettings(const std::wstring& dllPath, Outcome& outcome) {
  outcome.Note(SetText(HKEY_LOCAL_MACHINE, kMachineKey, L"InstallDir", FolderOf(dllPath)));
  outcome.Note(SetText(HKEY_LOCAL_MACHINE, kMachineKey, L"Version", L"2.1"));
}

}  // namespace

HRESULT RegisterGreeterServer(const std::wstring& dllPath) {
  if (dllPath.empty()) return E_UNEXPECTED;
  Outcome outcome;
  RegisterTypeLibraries(dllPath, outcome);
  RegisterGreeter(dllPath, outcome);
  RegisterGreeterProgIDs(dllPath, outcome);
  RegisterWorker(dllPath, outcome);
  RegisterChannel(dllPath, outcome);
  RegisterMachineSettings(dllPath, outcome);
  return outcome.Result();
}

HRESULT UnregisterGreeterServer(const std::wstring&) {
  Outcome outcome;
  // RegisterTypeLib wrote the platform of this build.
#ifdef _WIN64
  const SYSKIND platform = SYS_WIN64;
#else
  const SYSKIND platform = SYS_WIN32;
#endif
  UnRegisterTypeLib(kLibGuid, 1, 0, 0, platform);
  UnRegisterTypeLib(kLibGuid, 2, 1, 0x409, platform);
  for (const wchar_t* clsid : {kGreeter, kWorker, kProxyStub})
    outcome.Note(RemoveTree(HKEY_CLASSES_ROOT, Clsid(clsid)));
  for (const wchar_t* appId : {kGreeterApp, kWorkerApp})
    outcome.Note(RemoveTree(HKEY_CLASSES_ROOT, AppId(appId)));
  for (const wchar_t* key : {L"SampleServer.Greeter", L"SampleServer.Greeter.1", L".sgreet",
                             L"MIME\\Database\\Content Type\\application/x-sample-greeting"})
    outcome.Note(RemoveTree(HKEY_CLASSES_ROOT, key));
  outcome.Note(RemoveTree(HKEY_CLASSES_ROOT, std::wstring(L"Interface\\") + kChannel));
  outcome.Note(RemoveTree(HKEY_LOCAL_MACHINE, kMachineKey));
  return outcome.Result();
}

}  // namespace samples
