// Helpers of the spy suites: the built test servers and the registered spy.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/TestSupport.h"

namespace spytest {

// A built test server by file name.
inline std::wstring ServerPath(const std::wstring& name) {
  return twtest::BinDir() + L"testdata\\regspy\\" + name;
}

// A built test server of the suite's own architecture ("64" after the stem
// in a 64-bit build).
inline std::wstring NativeServer(const std::wstring& stem, const wchar_t* extension) {
  return ServerPath(stem + (sizeof(void*) == 8 ? L"64" : L"") + extension);
}

// Registers TWRegSpy.dll once per process; fails the test when it cannot.
inline bool SpyRegistered() {
  static bool registered = [] {
    HMODULE spy = LoadLibraryW((twtest::BinDir() + L"TWRegSpy.dll").c_str());
    auto entry = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void*>(spy ? GetProcAddress(spy, "DllRegisterServer") : nullptr));
    return entry && entry() == S_OK;
  }();
  EXPECT_TRUE(registered) << "TWRegSpy.dll could not be registered";
  return registered;
}

}  // namespace spytest
