// A server whose registration writes a key and then crashes.
#include <windows.h>

#include "ServerWrites.h"

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  spytest::WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.Crash", nullptr, L"crash");
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return S_OK;
}
