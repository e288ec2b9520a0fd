// A server whose registration writes a key and then never returns.
#include <windows.h>

#include "ServerWrites.h"

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  spytest::WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.Hang", nullptr, L"hang");
  Sleep(INFINITE);
  return S_OK;
}
