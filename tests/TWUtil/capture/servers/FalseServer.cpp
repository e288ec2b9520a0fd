// A server whose registration answers S_FALSE: a success code that the
// runner must still count as failure.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() { return S_FALSE; }
