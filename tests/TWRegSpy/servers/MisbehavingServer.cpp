// A DLL server built once per misbehaviour (SPY_<NAME>, the branches below):
// SPY_TYPELIB registers a class, a ProgID and its type library and marks
// every hive; the others write a key first, and those that return report
// success, all but SPY_FAIL. SPY_MARKER and SPY_SFALSE serve the runner's
// tests: the first leaves "<module>.registered" or "<module>.unregistered",
// the second answers S_FALSE, a success code that is no registration.
#include <windows.h>

#include <string>
#include <vector>

#include "ServerWrites.h"

namespace {

HMODULE self = nullptr;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  using namespace spytest;
#if defined(SPY_TYPELIB)
  const wchar_t classKey[] = L"CLSID\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C02}";
  WriteValue(HKEY_CLASSES_ROOT, classKey, nullptr, L"Spy Test Thing");
  std::wstring server = std::wstring(classKey) + L"\\InprocServer32";
  WriteValue(HKEY_CLASSES_ROOT, server.c_str(), nullptr, ModulePath(self));
  WriteValue(HKEY_CLASSES_ROOT, server.c_str(), L"ThreadingModel", L"Apartment");
  WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.Thing.1\\CLSID", nullptr,
             L"{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C02}");
  return RegisterTypeLibraryAndMark(self, L"typelib server");
#elif defined(SPY_MARKER)
  return WriteBeside(self, L".registered", nullptr, 0);
#elif defined(SPY_SFALSE)
  return S_FALSE;
#endif
  WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.Misbehaving", nullptr, L"misbehaving");
#if defined(SPY_CRASH)
  Crash();
#elif defined(SPY_HANG)
  Sleep(INFINITE);
#elif defined(SPY_EXIT)
  ExitProcess(7);
#elif defined(SPY_DIALOG)
  MessageBoxW(nullptr, L"Registering the dialog server.", L"Spy Dialog",
              MB_OK | MB_ICONINFORMATION);
  WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.Dialog", nullptr, L"after the dialog");
  return S_OK;
#elif defined(SPY_CHILD)
  RunAndWait(L"reg.exe add HKCR\\TWHostileChild /ve /d x /f");
  WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.Child", nullptr, L"after the child");
  return S_OK;
#elif defined(SPY_MANYKEYS)
  for (int i = 0; i < kManyKeys; ++i)
    WriteValue(HKEY_CLASSES_ROOT, (L"TWSpyTest.Many\\Key" + std::to_wstring(i)).c_str(), nullptr,
               std::to_wstring(i));
  return S_OK;
#elif defined(SPY_DEEPKEYS)
  std::wstring path = L"TWSpyTest.Deep";
  for (int level = 1; level <= kDeepLevels; ++level) path += L"\\L" + std::to_wstring(level);
  WriteValue(HKEY_CLASSES_ROOT, path.c_str(), nullptr, L"bottom");
  return S_OK;
#elif defined(SPY_LONGNAMES)
  const std::wstring longName(255, L'n');
  WriteValue(HKEY_CLASSES_ROOT, (L"TWSpyTest.Long\\" + longName).c_str(), longName.c_str(),
             L"long");
  const std::vector<BYTE> big(kBigValueBytes, 0x5A);
  WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.Long", L"Big", REG_BINARY, big.data(),
             static_cast<DWORD>(big.size()));
  return S_OK;
#elif defined(SPY_VOLATILE)
  const std::wstring path = ModulePath(self);
  WriteValue(HKEY_CLASSES_ROOT, L"CLSID\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C10}\\InprocServer32",
             nullptr, REG_SZ, path.c_str(), static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)),
             REG_OPTION_VOLATILE);
  return S_OK;
#elif defined(SPY_LINK)
  WriteValue(HKEY_CLASSES_ROOT, L"TWSpyTest.LinkOut", L"SymbolicLinkValue", REG_LINK, kLinkTarget,
             sizeof(kLinkTarget) - sizeof(wchar_t), REG_OPTION_CREATE_LINK);
  return S_OK;
#endif
  return E_FAIL;
}

#ifdef SPY_MARKER
extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return spytest::WriteBeside(self, L".unregistered", nullptr, 0);
}
#endif
