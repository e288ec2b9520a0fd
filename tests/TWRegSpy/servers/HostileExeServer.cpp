// An executable server whose "/regserver" writes a key and then, as built,
// shows a message box and goes on (SPY_DIALOG), runs reg.exe against the real
// registry (SPY_CHILD), or ends with exit code 3 (SPY_EXITCODE).
#include <windows.h>

#include <cwchar>
#include <string>

#include "ServerWrites.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  if (!wcsstr(commandLine, L"/regserver")) return 0;
  spytest::WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.HostileExe", nullptr, L"before");
#if defined(SPY_DIALOG)
  MessageBoxW(nullptr, L"Registering the executable dialog server.", L"Spy Exe Dialog",
              MB_OKCANCEL | MB_ICONWARNING);
#elif defined(SPY_CHILD)
  std::wstring line = L"reg.exe add HKCR\\TWHostileChild /ve /d x /f";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                     &startup, &started)) {
    WaitForSingleObject(started.hProcess, 30000);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
  }
#elif defined(SPY_EXITCODE)
  return 3;
#endif
  spytest::WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.HostileExe", nullptr, L"after");
  return 0;
}
