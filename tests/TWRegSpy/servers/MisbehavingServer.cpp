// A server whose registration writes a key and then, as built, crashes
// (SPY_CRASH), never returns (SPY_HANG), ends the whole process (SPY_EXIT),
// shows a message box (SPY_DIALOG), runs reg.exe against the real registry
// (SPY_CHILD), writes thousands of keys (SPY_MANYKEYS), a key 100 levels deep
// (SPY_DEEPKEYS), names of the longest kind with a 1 MB value
// (SPY_LONGNAMES) or a link to a key outside (SPY_LINK); the last six then
// report success. Otherwise it reports failure.
#include <windows.h>

#include <string>
#include <vector>

#include "ServerWrites.h"

namespace {

[[maybe_unused]] void RunAndWait(const wchar_t* command) {
  std::wstring line = command;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &started))
    return;
  WaitForSingleObject(started.hProcess, 30000);
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  using namespace spytest;
  WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.Misbehaving", nullptr, L"misbehaving");
#if defined(SPY_CRASH)
  volatile int* nowhere = nullptr;
  *nowhere = 1;
#elif defined(SPY_HANG)
  Sleep(INFINITE);
#elif defined(SPY_EXIT)
  ExitProcess(7);
#elif defined(SPY_DIALOG)
  MessageBoxW(nullptr, L"Registering the dialog server.", L"Spy Dialog",
              MB_OK | MB_ICONINFORMATION);
  WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.Dialog", nullptr, L"after the dialog");
  return S_OK;
#elif defined(SPY_CHILD)
  RunAndWait(L"reg.exe add HKCR\\TWHostileChild /ve /d x /f");
  WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.Child", nullptr, L"after the child");
  return S_OK;
#elif defined(SPY_MANYKEYS)
  for (int i = 0; i < kManyKeys; ++i)
    WriteValue(HKEY_CLASSES_ROOT, (L"TWSpyTest.Many\\Key" + std::to_wstring(i)).c_str(), nullptr,
               std::to_wstring(i));
  return S_OK;
#elif defined(SPY_DEEPKEYS)
  std::wstring path = L"TWSpyTest.Deep";
  for (int level = 1; level <= kDeepLevels; ++level) path += L"\\L" + std::to_wstring(level);
  WriteValue(HKEY_CLASSES_ROOT, path.c_str(), nullptr, L"bottom");
  return S_OK;
#elif defined(SPY_LONGNAMES)
  const std::wstring longName(255, L'n');
  WriteValue(HKEY_CLASSES_ROOT, (L"TWSpyTest.Long\\" + longName).c_str(), longName.c_str(),
             L"long");
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, L"TWSpyTest.Long", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) == ERROR_SUCCESS) {
    std::vector<BYTE> big(kBigValueBytes, 0x5A);
    RegSetValueExW(key, L"Big", 0, REG_BINARY, big.data(), static_cast<DWORD>(big.size()));
    RegCloseKey(key);
  }
  return S_OK;
#elif defined(SPY_LINK)
  HKEY link = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, L"TWSpyTest.LinkOut", 0, nullptr, REG_OPTION_CREATE_LINK,
                      KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &link, nullptr) == ERROR_SUCCESS) {
    RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK,
                   reinterpret_cast<const BYTE*>(kLinkTarget),
                   sizeof(kLinkTarget) - sizeof(wchar_t));
    RegCloseKey(link);
  }
  return S_OK;
#endif
  return E_FAIL;
}
