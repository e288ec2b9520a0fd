#include "SpyCaptureArea.h"

#include <cwchar>

#include "capture/CaptureArea.h"
#include "capture/SubtreeRemover.h"
#include "com/Owners.h"

namespace twregspy {
namespace {

using twutil::RegKey;

constexpr UINT kMaxRootChars = 200;

bool KeyExists(const std::wstring& path) {
  RegKey key;
  return RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

bool IsMirrorName(const wchar_t* name) {
  for (const wchar_t* mirror : twutil::kHiveMirrors) {
    if (_wcsicmp(name, mirror) == 0) return true;
  }
  return false;
}

// True when the key holds no values and only subkeys named like mirrors.
bool HoldsOnlyMirrors(HKEY key) {
  DWORD subkeys = 0, values = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  if (values != 0 || subkeys > 4) return false;
  for (DWORD i = 0; i < subkeys; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        !IsMirrorName(name))
      return false;
  }
  return true;
}

bool IsEmptyKey(const std::wstring& path) {
  RegKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
    return false;
  DWORD subkeys = 1, values = 1;
  return RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                          nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         subkeys == 0 && values == 0;
}

}  // namespace

bool IsUsableCaptureRoot(const wchar_t* root, UINT length) {
  if (!root || length == 0 || length > kMaxRootChars) return false;
  if (root[0] == L'\\' || root[length - 1] == L'\\') return false;
  for (UINT i = 0; i < length; ++i) {
    wchar_t c = root[i];
    if (c < L' ' || c == L'"') return false;
    if (c == L'\\' && root[i + 1] == L'\\') return false;
  }
  return true;
}

HRESULT SpyCaptureArea::Claim() {
  createdParents_.clear();
  for (size_t at = root_.find(L'\\'); at != std::wstring::npos; at = root_.find(L'\\', at + 1)) {
    std::wstring parent = root_.substr(0, at);
    if (!createdParents_.empty() || !KeyExists(parent)) createdParents_.push_back(parent);
  }
  RegKey existing;
  LONG opened = RegOpenKeyExW(HKEY_CURRENT_USER, root_.c_str(), 0, KEY_READ, existing.Put());
  if (opened == ERROR_SUCCESS && !HoldsOnlyMirrors(existing.Get()))
    return HRESULT_FROM_WIN32(ERROR_DIR_NOT_EMPTY);
  claimed_ = true;
  return S_OK;
}

bool SpyCaptureArea::Reset() {
  if (!claimed_) return false;
  RegKey area;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, root_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, area.Put(), nullptr) != ERROR_SUCCESS)
    return false;
  // What a server left, links included, goes without being followed.
  if (!twutil::EmptyKeyUnfollowed(area.Get())) return false;
  LONG emptied = RegDeleteTreeW(area.Get(), nullptr);
  if (emptied != ERROR_SUCCESS && emptied != ERROR_FILE_NOT_FOUND) return false;
  for (const wchar_t* mirror : twutil::kHiveMirrors) {
    RegKey created;
    if (RegCreateKeyExW(area.Get(), mirror, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, created.Put(), nullptr) != ERROR_SUCCESS)
      return false;
  }
  return HoldsOnlyMirrors(area.Get());
}

void SpyCaptureArea::Remove() {
  if (!claimed_) return;
  claimed_ = false;
  RegKey area;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, root_.c_str(), 0, KEY_ALL_ACCESS, area.Put()) ==
      ERROR_SUCCESS)
    twutil::EmptyKeyUnfollowed(area.Get());
  area.Reset();
  RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, root_.c_str());
  for (auto parent = createdParents_.rbegin(); parent != createdParents_.rend(); ++parent) {
    if (IsEmptyKey(*parent)) RegDeleteKeyW(HKEY_CURRENT_USER, parent->c_str());
  }
  createdParents_.clear();
}

}  // namespace twregspy
