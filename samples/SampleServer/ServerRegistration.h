// What the sample DLL writes into the registry when it registers, and takes
// out again when it unregisters.
#pragma once

#include <windows.h>

#include <string>

namespace samples {

HRESULT RegisterGreeterServer(const std::wstring& dllPath);
HRESULT UnregisterGreeterServer(const std::wstring& dllPath);

}  // namespace samples
