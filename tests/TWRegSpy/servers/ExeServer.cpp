// An executable server: "/regserver" registers a local-server class, a ProgID
// and the type library, and marks every hive.
#include <windows.h>

#include <cwchar>

#include "ServerWrites.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  using namespace spytest;
  if (!wcsstr(commandLine, L"/regserver")) return 0;
  const wchar_t classKey[] = L"CLSID\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C03}\\LocalServer32";
  WriteValue(HKEY_CLASSES_ROOT, classKey, nullptr, L"\"" + ModulePath(nullptr) + L"\"");
  WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.ExeThing\\CLSID", nullptr,
             L"{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C03}");
  return SUCCEEDED(RegisterTypeLibraryAndMark(nullptr, L"exe server")) ? 0 : 1;
}
