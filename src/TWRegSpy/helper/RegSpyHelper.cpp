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

#include "ExeServerLaunch.h"
#include "HelperReport.h"
#include "HiveRedirection.h"
#include "ViewFlagPatch.h"
#include "capture/ServerRegistration.h"
#include "com/Owners.h"

namespace {

using namespace twregspy;

#ifdef _WIN64
const wchar_t kHookName[] = L"TWRegSpyHook64.dll";
#else
const wchar_t kHookName[] = L"TWRegSpyHook32.dll";
#endif

// A server that crashes ends the helper quietly, without a report.
LONG WINAPI EndOnUnhandledException(EXCEPTION_POINTERS*) {
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

HelperResult RegisterLibrary(const wchar_t* path) {
  HMODULE server = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!server) return kHelperFailed;
  // The server and whatever it brought along are loaded now.
  StripRegistryViewsInLoadedModules();
  BOOL registered = twutil::CallServerEntry(path, L"DllRegisterServer");
  return registered ? kHelperRegistered : kHelperFailed;
}

HelperResult RegisterTypeLibrary(const wchar_t* path) {
  StripRegistryViewsInLoadedModules();
  twutil::ComPtr<ITypeLib> library;
  if (FAILED(LoadTypeLibEx(path, REGKIND_NONE, library.Put()))) return kHelperFailed;
  std::wstring fullPath(path);
  return SUCCEEDED(RegisterTypeLib(library.Get(), &fullPath[0], nullptr)) ? kHelperRegistered
                                                                          : kHelperFailed;
}

HelperResult Register(const wchar_t* captureRoot, const wchar_t* path) {
  long extension = twutil::ClassifyExtension(path);
  if (extension == twutil::kExtensionExe)
    return RegisterExecutableRedirected(path, captureRoot, OwnFolder() + kHookName);
  if (extension == twutil::kExtensionOther) return kHelperNotAServer;
  // COM is up before the hives move, so its own set-up reads the real ones.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (!RedirectHives(captureRoot)) return kHelperNotRedirected;
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

void WriteReport(HANDLE pipe, HelperResult result) {
  HelperReport report = {kReportMagic, result};
  DWORD written = 0;
  WriteFile(pipe, &report, sizeof(report), &written, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(EndOnUnhandledException);
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  HANDLE pipe = nullptr;
  if (!arguments || count != 4 || !ParseHandle(arguments[1], &pipe) || !*arguments[2] ||
      !*arguments[3])
    return kHelperNotRedirected;
  HelperResult result = Register(arguments[2], arguments[3]);
  WriteReport(pipe, result);
  // The server's detach code does not run: its registration is over.
  TerminateProcess(GetCurrentProcess(), result);
  return result;
}
