#include "servers/PathForms.h"

#include <shlwapi.h>
#include <windows.h>
#include <winnetwk.h>

#include "servers/HarvestText.h"

namespace twutil {

std::wstring LowerPath(std::wstring path) {
  if (!path.empty()) CharLowerBuffW(&path[0], static_cast<DWORD>(path.size()));
  return path;
}

std::optional<std::wstring> ShortPathOf(const std::wstring& path) {
  if (path.empty() || path.size() >= MAX_PATH) return std::nullopt;
  wchar_t buffer[MAX_PATH];
  DWORD length = GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  return std::wstring(buffer, length);
}

std::optional<std::wstring> ExpandedPathOf(const std::wstring& path) {
  wchar_t buffer[MAX_PATH];
  DWORD needed = ExpandEnvironmentStringsW(path.c_str(), buffer, MAX_PATH);
  if (needed == 0 || needed > MAX_PATH) return std::nullopt;
  return std::wstring(buffer);
}

std::optional<std::wstring> NetworkPathOf(const std::wstring& path) {
  if (path.empty() || path.size() >= MAX_PATH) return std::nullopt;
  // The answer is a structure whose strings live in the same buffer.
  union {
    UNIVERSAL_NAME_INFOW universal;
    REMOTE_NAME_INFOW remote;
    BYTE bytes[260];
  } answer = {};
  DWORD size = sizeof(answer.bytes);
  DWORD status =
      WNetGetUniversalNameW(path.c_str(), UNIVERSAL_NAME_INFO_LEVEL, answer.bytes, &size);
  if (status == NO_ERROR) {
    if (!answer.universal.lpUniversalName) return std::nullopt;
    return std::wstring(answer.universal.lpUniversalName);
  }
  if (status != ERROR_NOT_CONNECTED) return std::nullopt;
  size = sizeof(answer.bytes);
  if (WNetGetUniversalNameW(path.c_str(), REMOTE_NAME_INFO_LEVEL, answer.bytes, &size) !=
          NO_ERROR ||
      !answer.remote.lpConnectionName)
    return std::nullopt;
  std::wstring joined = answer.remote.lpConnectionName;
  if (answer.remote.lpRemainingPath) joined += answer.remote.lpRemainingPath;
  return joined;
}

std::wstring SystemFolderText() {
  wchar_t buffer[MAX_PATH] = {};
  UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
  if (length >= MAX_PATH) length = 0;
  return std::wstring(buffer, length) + L"\\";
}

std::optional<std::wstring> SystemFolderName(const std::wstring& path,
                                             const std::wstring& systemFolder) {
  size_t separator = path.find_last_of(L"\\/");
  if (separator == std::wstring::npos) return std::nullopt;
  std::wstring folder = path.substr(0, separator + 1);
  if (lstrcmpiW(folder.c_str(), systemFolder.c_str()) != 0) return std::nullopt;
  return path.substr(separator + 1);
}

std::wstring ExpandSystemPathPrefix(const std::wstring& path) {
  static const wchar_t* const kVariables[] = {L"%systemroot%", L"%systemdrive%"};
  std::wstring lowered = LowerAscii(path);
  for (const wchar_t* variable : kVariables) {
    size_t at = lowered.find(variable);
    if (at == std::wstring::npos) continue;
    wchar_t value[250];
    DWORD needed = ExpandEnvironmentStringsW(variable, value, 250);
    if (needed == 0 || needed > 250) return path;
    return std::wstring(value) + lowered.substr(at + wcslen(variable));
  }
  return path;
}

}  // namespace twutil
