#include "capture/SubtreeRemover.h"

#include <winternl.h>

#include <vector>

// Documented for user mode; the import library has it, the header does not.
extern "C" NTSTATUS NTAPI NtUnloadKey(POBJECT_ATTRIBUTES key);
extern "C" NTSTATUS NTAPI NtDeleteKey(HANDLE key);

namespace twutil {
namespace {

#ifndef OBJ_OPENLINK
#define OBJ_OPENLINK 0x00000100L
#endif

std::vector<std::wstring> SubkeyNames(HKEY key) {
  std::vector<std::wstring> names;
  DWORD count = 0, longest = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return names;
  std::vector<wchar_t> name(longest + 2);
  for (DWORD index = 0;;) {
    DWORD length = static_cast<DWORD>(name.size());
    LONG status =
        RegEnumKeyExW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) {
      name.resize(name.size() * 2);
    } else if (status == ERROR_SUCCESS) {
      names.emplace_back(name.data(), length);
      ++index;
    } else {
      return names;
    }
  }
}

bool EmptyKeyByKey(HKEY key) {
  bool emptied = true;
  for (const std::wstring& name : SubkeyNames(key))
    if (!DeleteTreeUnfollowed(key, name)) emptied = false;
  return emptied;
}

}  // namespace

LONG DeleteOpenedKey(HKEY key) { return RtlNtStatusToDosError(NtDeleteKey(key)); }

bool DeleteTreeUnfollowed(HKEY root, const std::wstring& path) {
  RegKey key;
  LONG opened =
      RegOpenKeyExW(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ | DELETE, key.Put());
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS || !EmptyKeyByKey(key.Get())) return false;
  LONG deleted = DeleteOpenedKey(key.Get());
  return deleted == ERROR_SUCCESS || deleted == ERROR_KEY_DELETED;
}

bool EmptyKeyUnfollowed(HKEY key) {
  SubtreeRemover remover;
  bool emptied = true;
  for (const std::wstring& name : SubkeyNames(key))
    if (!remover.Remove(key, name) && !DeleteTreeUnfollowed(key, name)) emptied = false;
  return emptied;
}

bool SubtreeRemover::Remove(HKEY parent, const std::wstring& name) const {
  if (!Usable() || !parent || name.empty() || name.size() * sizeof(wchar_t) > 0xFFFE) return false;
  UNICODE_STRING text;
  text.Buffer = const_cast<wchar_t*>(name.c_str());
  text.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  text.MaximumLength = text.Length;
  OBJECT_ATTRIBUTES key;
  InitializeObjectAttributes(&key, &text, OBJ_CASE_INSENSITIVE | OBJ_OPENLINK, parent, nullptr);
  return NT_SUCCESS(NtUnloadKey(&key));
}

}  // namespace twutil
