// A server that needs a library lying only in its own folder.
#include <windows.h>

extern "C" __declspec(dllimport) HRESULT DependencyAnswer();

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  return DependencyAnswer();
}
