// A server whose registration writes a key and then, as built, crashes
// (SPY_CRASH), never returns (SPY_HANG), ends the whole process (SPY_EXIT) or
// reports failure.
#include <windows.h>

#include "ServerWrites.h"

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  spytest::WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.Misbehaving", nullptr, L"misbehaving");
#if defined(SPY_CRASH)
  volatile int* nowhere = nullptr;
  *nowhere = 1;
#elif defined(SPY_HANG)
  Sleep(INFINITE);
#elif defined(SPY_EXIT)
  ExitProcess(0);
#endif
  return E_FAIL;
}
