#include "TestSupport.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include "model/Component.h"

namespace twtest {

std::wstring BinDir() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, n);
  return dir.substr(0, dir.rfind(L'\\') + 1);
}

std::wstring LibraryPath() { return BinDir() + L"TWUtil.dll"; }

std::wstring ThreadError() {
  twutil::ComPtr<IErrorInfo> error;
  twutil::Bstr source, text;
  if (GetErrorInfo(0, error.Put()) != S_OK || !error) return L"<none>";
  error->GetSource(source.Put());
  error->GetDescription(text.Put());
  return std::wstring(source.Text()) + L"|" + text.Text();
}

twutil::ComPtr<IExtractComponent> NewComponent(const std::wstring& keyFile,
                                               const std::wstring& destination) {
  twutil::ComPtr<IExtractComponent> component;
  EXPECT_EQ(
      twutil::model::CreateExtractComponent(keyFile.c_str(), destination.c_str(), component.Put()),
      S_OK);
  return component;
}

HMODULE RegisteredLibrary() {
  static HMODULE module = [] {
    HMODULE m = LoadLibraryW(LibraryPath().c_str());
    if (m) {
      auto reg = reinterpret_cast<HRESULT(WINAPI*)()>(
          reinterpret_cast<void*>(GetProcAddress(m, "DllRegisterServer")));
      if (!reg || FAILED(reg())) m = nullptr;
    }
    return m;
  }();
  EXPECT_NE(module, nullptr) << "TWUtil.dll could not be loaded and registered";
  return module;
}

bool KeyExists(HKEY root, const std::wstring& key) {
  twutil::RegKey opened;
  return RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.Put()) == ERROR_SUCCESS;
}

TempDir::TempDir() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  GUID g;
  CoCreateGuid(&g);
  wchar_t name[64];
  StringFromGUID2(g, name, 64);
  path_ = std::wstring(base) + L"twtest" + name + L"\\";
  CreateDirectoryW(path_.c_str(), nullptr);
}

std::wstring TempDir::Write(const std::wstring& name, const std::vector<uint8_t>& bytes) const {
  EXPECT_TRUE(WriteBytes(path_ + name, bytes)) << "cannot write " << testing::PrintToString(name);
  return path_ + name;
}

TempDir::~TempDir() {
  // SHFileOperation wants a double-terminated list.
  std::wstring from = path_.substr(0, path_.size() - 1);
  from.push_back(L'\0');
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  SHFileOperationW(&op);
}

bool WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  twutil::Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file.Valid() && (bytes.empty() || (::WriteFile(file.Get(), bytes.data(),
                                                        DWORD(bytes.size()), &written, nullptr) &&
                                            written == bytes.size()));
}

std::vector<uint8_t> ReadBytes(const std::wstring& path) {
  twutil::Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
  std::vector<uint8_t> bytes(file.Valid() ? GetFileSize(file.Get(), nullptr) : 0);
  DWORD read = 0;
  if (!bytes.empty()) ::ReadFile(file.Get(), bytes.data(), DWORD(bytes.size()), &read, nullptr);
  return bytes;
}

}  // namespace twtest
