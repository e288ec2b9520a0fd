// The library that DependentServer needs.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT DependencyAnswer() { return S_OK; }
