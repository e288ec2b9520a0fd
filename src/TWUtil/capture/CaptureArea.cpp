#include "capture/CaptureArea.h"

#include <vector>

namespace twutil {

const wchar_t kCaptureAreaRoot[] = L"Software\\Tarnwick\\RegSpyProxy";
const wchar_t kClassesRootMirror[] = L"Software\\Tarnwick\\RegSpyProxy\\HKEY_CLASSES_ROOT";
const wchar_t* const kHiveMirrors[4] = {L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER",
                                        L"HKEY_LOCAL_MACHINE", L"HKEY_USERS"};

CaptureKey::CaptureKey(HKEY parent, const std::wstring& path) {
  if (!parent) return;
  if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_ALL_ACCESS, key_.Put()) != ERROR_SUCCESS)
    key_.Reset();
}

std::optional<std::wstring> CaptureKey::Text(const wchar_t* name, DWORD limitBytes) const {
  if (!key_) return std::nullopt;
  std::vector<BYTE> data(limitBytes + sizeof(wchar_t), 0);
  DWORD size = limitBytes;
  if (RegQueryValueExW(key_.Get(), name, nullptr, nullptr, data.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;
  // The registry does not promise a terminator: the extra zeroed unit behind
  // the buffer bounds the scan.
  const wchar_t* text = reinterpret_cast<const wchar_t*>(data.data());
  size_t units = size / sizeof(wchar_t);
  size_t length = 0;
  while (length < units && text[length]) ++length;
  return std::wstring(text, length);
}

std::optional<std::wstring> CaptureKey::SubkeyText(const wchar_t* subkey, DWORD limitBytes) const {
  CaptureKey child(key_.Get(), subkey);
  return child.Text(nullptr, limitBytes);
}

bool CaptureKey::HasSubkey(const wchar_t* name) const {
  return static_cast<bool>(CaptureKey(key_.Get(), name));
}

bool CaptureKey::IsEmpty() const {
  DWORD subkeys = 0, values = 0;
  if (!key_ || RegQueryInfoKeyW(key_.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  return subkeys == 0 && values == 0;
}

SubkeyAt CaptureKey::Subkey(DWORD index, std::wstring* name) const {
  if (!key_) return SubkeyAt::kEnd;
  wchar_t buffer[kKeyNameChars];
  DWORD length = kKeyNameChars;
  LONG status =
      RegEnumKeyExW(key_.Get(), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_MORE_DATA) return SubkeyAt::kUnreadable;
  if (status != ERROR_SUCCESS || length >= kKeyNameChars) return SubkeyAt::kEnd;
  name->assign(buffer, length);
  return SubkeyAt::kName;
}

bool CaptureAreaEditor::DeleteTree(HKEY parent, const wchar_t* subkey) const {
  LONG status = RegDeleteTreeW(parent, subkey);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool CaptureAreaEditor::DeleteValue(HKEY key, const wchar_t* name) const {
  LONG status = RegDeleteValueW(key, name);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace twutil
