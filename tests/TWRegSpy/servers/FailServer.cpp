// A server whose registration writes a key and then reports failure.
#include <windows.h>

#include "ServerWrites.h"

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  spytest::WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.Fail", nullptr, L"fail");
  return E_FAIL;
}
