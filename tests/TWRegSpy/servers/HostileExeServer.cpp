// An executable server, built like MisbehavingServer.cpp once per behaviour:
// "/regserver" writes a key and then misbehaves as built (SPY_<NAME>), or
// registers properly (SPY_TYPELIB). For the runner's tests SPY_RECORDER
// only writes its command line to "<exe>.cmdline" (UTF-16, no terminator).
#include <windows.h>

#include <cwchar>
#include <string>

#include "ServerWrites.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  using namespace spytest;
#ifdef SPY_RECORDER
  const wchar_t* line = GetCommandLineW();
  return WriteBeside(nullptr, L".cmdline", line, DWORD(wcslen(line) * sizeof(wchar_t)));
#endif
  if (!wcsstr(commandLine, L"/regserver")) return 0;
#if defined(SPY_TYPELIB)
  const wchar_t classKey[] = L"CLSID\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C03}\\LocalServer32";
  WriteValue(HKEY_CLASSES_ROOT, classKey, nullptr, L"\"" + ModulePath(nullptr) + L"\"");
  WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.ExeThing\\CLSID", nullptr,
             L"{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C03}");
  return SUCCEEDED(RegisterTypeLibraryAndMark(nullptr, L"exe server")) ? 0 : 1;
#endif
  WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.HostileExe", nullptr, L"before");
#if defined(SPY_CRASHING)
  Crash();
#elif defined(SPY_DIALOG)
  MessageBoxW(nullptr, L"Registering the executable dialog server.", L"Spy Exe Dialog",
              MB_OKCANCEL | MB_ICONWARNING);
#elif defined(SPY_CHILD)
  RunAndWait(L"reg.exe add HKCR\\TWHostileChild /ve /d x /f");
#elif defined(SPY_EXITCODE)
  return 3;
#endif
  WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.HostileExe", nullptr, L"after");
  return 0;
}
