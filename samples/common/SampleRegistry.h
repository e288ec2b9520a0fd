// The few registry calls the sample servers register themselves with: plain
// advapi32, as any hand-written server does it.
#pragma once

#include <windows.h>

#include <string>

namespace samples {

// Creates root\key as needed and sets one text value (null name: the default
// value). False when the key or value cannot be written.
bool SetText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text);
// Creates root\key without values.
bool CreateKey(HKEY root, const std::wstring& key);
// Removes root\key with everything below it; a key that is not there is fine.
bool RemoveTree(HKEY root, const std::wstring& key);

// The full path of a loaded module (null: the program).
std::wstring ModulePath(HMODULE module);
// The folder of a path, without its trailing backslash.
std::wstring FolderOf(const std::wstring& path);

// Collects the outcome of a run of registration calls.
class Outcome {
 public:
  void Note(bool succeeded) { failed_ = failed_ || !succeeded; }
  void Note(HRESULT hr) { failed_ = failed_ || FAILED(hr); }
  HRESULT Result() const { return failed_ ? SELFREG_E_CLASS_FAILED : S_OK; }

 private:
  static constexpr HRESULT SELFREG_E_CLASS_FAILED = static_cast<HRESULT>(0x80040201L);
  bool failed_ = false;
};

}  // namespace samples
