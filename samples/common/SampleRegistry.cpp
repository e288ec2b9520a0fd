#include "SampleRegistry.h"

namespace samples {
namespace {

class Key {
 public:
  Key(HKEY root, const std::wstring& path) {
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key_, nullptr) !=
        ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

bool SetText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text) {
  Key opened(root, key);
  if (!opened.Get()) return false;
  DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(opened.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        bytes) == ERROR_SUCCESS;
}

bool CreateKey(HKEY root, const std::wstring& key) { return Key(root, key).Get() != nullptr; }

bool RemoveTree(HKEY root, const std::wstring& key) {
  LONG status = RegDeleteTreeW(root, key.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

std::wstring ModulePath(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
  if (length >= MAX_PATH) length = 0;
  return std::wstring(path, length);
}

std::wstring FolderOf(const std::wstring& path) {
  size_t separator = path.rfind(L'\\');
  return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

}  // namespace samples
