// Helpers shared by the suites: where the built files are, the library loaded
// and registered in the test prefix, and registry reads.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TWUtil.h"
#include "com/Owners.h"

namespace twtest {

// The folder of the running test executable, with a trailing backslash.
std::wstring BinDir();
// TWUtil.dll beside the tests.
std::wstring LibraryPath();

// Loads TWUtil.dll once and registers it (classes and type library) in the
// test prefix, so CoCreateInstance and late binding reach it. Returns the
// module; fails the calling test when that is not possible.
HMODULE RegisteredLibrary();

// Creates a class of the library through COM.
template <class T>
HRESULT Create(const CLSID& clsid, twutil::ComPtr<T>* out) {
  RegisteredLibrary();
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(T), out->PutVoid());
}

bool KeyExists(HKEY root, const std::wstring& key);

// The thread's error object as "source|description"; "<none>" without one.
std::wstring ThreadError();

// A whole file's bytes: written (created or replaced), or read (empty when
// the file cannot be read).
bool WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::wstring& path);

// An empty component of the in-memory model.
twutil::ComPtr<IExtractComponent> NewComponent(const std::wstring& keyFile = L"C:\\srv\\a.dll",
                                               const std::wstring& destination = L"[INSTALLDIR]");

// A temporary folder of the test's own, removed with its contents at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::wstring& Path() const { return path_; }  // with a trailing backslash
  // Writes name in the folder (see WriteBytes) and gives its path.
  std::wstring Write(const std::wstring& name, const std::vector<uint8_t>& bytes) const;

 private:
  std::wstring path_;
};

}  // namespace twtest
