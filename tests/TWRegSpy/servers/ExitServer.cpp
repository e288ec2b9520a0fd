// A server whose registration writes a key and then ends the whole process.
#include <windows.h>

#include "ServerWrites.h"

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  spytest::WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.Exit", nullptr, L"exit");
  ExitProcess(0);
}
