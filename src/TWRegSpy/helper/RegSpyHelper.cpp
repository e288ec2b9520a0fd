// The helper process of the registry spy: runs one server file's
// registration with the four hives redirected into the capture area, so that
// a server that crashes, ends the process or hangs takes only this process
// down. Command line: <report pipe handle> <capture root> <server file>.
#include <windows.h>
// The headers below build on windows.h.
#include <oleauto.h>
#include <shellapi.h>

#include <cwchar>
#include <cwctype>
#include <string>

#include "ChildProcessBlock.h"
#include "DialogWatcher.h"
#include "ExeServerLaunch.h"
#include "HelperReport.h"
#include "HiveRedirection.h"
#include "ImportRewrite.h"
#include "KeysBeyondSave.h"
#include "PendingReport.h"
#include "com/Owners.h"
#include "servers/ServerRegistration.h"

namespace {

using namespace twregspy;

#ifdef _WIN64
const wchar_t kHookName[] = L"TWRegSpyHook64.dll";
#else
const wchar_t kHookName[] = L"TWRegSpyHook32.dll";
#endif

// A server that crashes ends the helper quietly, with what killed it reported.
LONG WINAPI EndOnUnhandledException(EXCEPTION_POINTERS* exception) {
  DWORD code =
      exception && exception->ExceptionRecord ? exception->ExceptionRecord->ExceptionCode : 0;
  FinishReport({kHelperCrashed, code});
  TerminateProcess(GetCurrentProcess(), kHelperCrashed);
  return EXCEPTION_EXECUTE_HANDLER;
}

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::wstring();
  std::wstring folder(path, n);
  return folder.substr(0, folder.rfind(L'\\') + 1);
}

HelperOutcome RegisterLibrary(const wchar_t* path) {
  HMODULE server = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!server) return {kHelperNotLoaded, GetLastError()};
  // The server and whatever it brought along are loaded now.
  RewriteImportsInLoadedModules();
  using Entry = HRESULT(STDAPICALLTYPE*)();
  auto entry =
      reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(server, "DllRegisterServer")));
  if (!entry) return {kHelperNoEntry, 0};
  HRESULT hr = entry();
  if (hr == S_OK) return {kHelperRegistered, 0};
  return {kHelperEntryFailed, static_cast<DWORD>(hr)};
}

HelperOutcome RegisterTypeLibrary(const wchar_t* path) {
  RewriteImportsInLoadedModules();
  twutil::ComPtr<ITypeLib> library;
  HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, library.Put());
  std::wstring fullPath(path);
  if (SUCCEEDED(hr)) hr = RegisterTypeLib(library.Get(), &fullPath[0], nullptr);
  if (SUCCEEDED(hr)) return {kHelperRegistered, 0};
  return {kHelperTypeLibFailed, static_cast<DWORD>(hr)};
}

HelperOutcome Register(const wchar_t* captureRoot, const wchar_t* path) {
  long extension = twutil::ClassifyExtension(path);
  if (extension == twutil::kExtensionExe)
    return RegisterExecutableRedirected(path, captureRoot, OwnFolder() + kHookName, &AddReportNote);
  if (extension == twutil::kExtensionOther) return {kHelperNotAServer, 0};
  // COM is up before the hives move, so its own set-up reads the real ones.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (!RedirectHives(captureRoot)) return {kHelperNotRedirected, 0};
  SetChildProcessSink(&AddReportNote);
  SetKeyBeyondSaveSink(&NoteKeyBeyondSave);
  WatchKeysBeyondSave();
  DialogWatcher dialogs(GetCurrentProcessId(), &AddReportNote);
  if (extension == twutil::kExtensionTypeLibrary) return RegisterTypeLibrary(path);
  return RegisterLibrary(path);
}

bool ParseHandle(const wchar_t* text, HANDLE* handle) {
  if (!text || !*text) return false;
  unsigned long long value = 0;
  for (const wchar_t* p = text; *p; ++p) {
    if (!std::iswdigit(*p) || value > 0xFFFFFFFFull) return false;
    value = value * 10 + static_cast<unsigned>(*p - L'0');
  }
  *handle = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value));
  return value != 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  HANDLE pipe = nullptr;
  if (!arguments || count != 4 || !ParseHandle(arguments[1], &pipe) || !*arguments[2] ||
      !*arguments[3])
    return kHelperNotRedirected;
  StartReport(pipe);
  SetUnhandledExceptionFilter(EndOnUnhandledException);
  HelperOutcome outcome = Register(arguments[2], arguments[3]);
  FinishReport(outcome);
  // The server's detach code does not run: its registration is over.
  TerminateProcess(GetCurrentProcess(), outcome.result);
  return static_cast<int>(outcome.result);
}
