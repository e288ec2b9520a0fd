// A server that registers a class, a ProgID and a type library, and leaves a
// mark in every hive.
#include <windows.h>

#include "ServerWrites.h"

namespace {

HMODULE self = nullptr;
const wchar_t kClassKey[] = L"CLSID\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C02}";

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  using namespace spytest;
  WriteValue(HKEY_CLASSES_ROOT, kClassKey, nullptr, L"Spy Test Thing");
  std::wstring server = std::wstring(kClassKey) + L"\\InprocServer32";
  WriteValue(HKEY_CLASSES_ROOT, server.c_str(), nullptr, ModulePath(self));
  WriteValue(HKEY_CLASSES_ROOT, server.c_str(), L"ThreadingModel", L"Apartment");
  WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.Thing.1\\CLSID", nullptr,
             L"{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C02}");
  return RegisterTypeLibraryAndMark(self, L"typelib server");
}
