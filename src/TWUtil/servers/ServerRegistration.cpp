#include "servers/ServerRegistration.h"

#include <cwchar>
#include <cwctype>
#include <string>

#include "com/Owners.h"

namespace twutil {
namespace {

const wchar_t kRegisterSwitch[] = L" /regserver";
const wchar_t kUnregisterSwitch[] = L" /unregserver";

bool EndsWithExtension(const wchar_t* path, size_t length, const wchar_t* extension) {
  const wchar_t* tail = path + length - 3;
  for (int i = 0; i < 3; ++i) {
    if (std::towlower(tail[i]) != extension[i]) return false;
  }
  return true;
}

bool Empty(const wchar_t* text) { return !text || !*text; }

// Appends text at *used; false when the buffer (with its terminator) is full.
bool Append(wchar_t* destination, size_t capacity, size_t* used, const wchar_t* text,
            size_t length) {
  if (length >= capacity - *used) return false;
  wmemcpy(destination + *used, text, length);
  *used += length;
  destination[*used] = L'\0';
  return true;
}

bool Fail(wchar_t* destination) {
  destination[0] = L'\0';
  return false;
}

using ServerEntry = HRESULT(STDAPICALLTYPE*)();

long RunRegistration(const wchar_t* path, const wchar_t* switchText, const wchar_t* defaultSwitch,
                     const wchar_t* entryName) {
  if (Empty(switchText)) switchText = defaultSwitch;
  long kind = GetServerKind(path);
  if (kind < 0) return kRegistrationNotAServer;
  if (kind == kServerInProcess)
    return CallServerEntry(path, entryName) ? kRegistrationDone : kRegistrationFailed;

  wchar_t commandLine[kRegistrationBufferChars];
  if (!BuildRegistrationCommandLine(commandLine, kRegistrationBufferChars, path, switchText))
    return kRegistrationFailed;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                      nullptr, &startup, &started))
    return kRegistrationFailed;
  Handle process(started.hProcess);
  Handle thread(started.hThread);
  WaitForSingleObject(process.Get(), INFINITE);
  return kRegistrationDone;
}

}  // namespace

long ClassifyExtension(const wchar_t* path) {
  if (!path) return kExtensionOther;
  size_t length = wcslen(path);
  if (length < 3) return kExtensionOther;
  if (EndsWithExtension(path, length, L"tlb") || EndsWithExtension(path, length, L"olb"))
    return kExtensionTypeLibrary;
  if (EndsWithExtension(path, length, L"ocx")) return kExtensionOcx;
  if (EndsWithExtension(path, length, L"exe")) return kExtensionExe;
  if (EndsWithExtension(path, length, L"dll")) return kExtensionDll;
  return kExtensionOther;
}

long GetServerKind(const wchar_t* path) {
  if (!path) return kServerNoPath;
  switch (ClassifyExtension(path)) {
    case kExtensionOcx:
    case kExtensionDll:
      return kServerInProcess;
    case kExtensionExe:
      return kServerExecutable;
    default:
      return kServerNeither;
  }
}

bool QuotePath(wchar_t* destination, size_t capacity, const wchar_t* source) {
  if (!destination || !source || capacity == 0) return false;
  destination[0] = L'\0';
  size_t used = 0;
  if (source[0] != L'"' && !Append(destination, capacity, &used, L"\"", 1))
    return Fail(destination);
  if (!Append(destination, capacity, &used, source, wcslen(source))) return Fail(destination);
  if ((used == 0 || destination[used - 1] != L'"') &&
      !Append(destination, capacity, &used, L"\"", 1))
    return Fail(destination);
  return true;
}

bool UnquotePath(wchar_t* destination, size_t capacity, const wchar_t* source) {
  if (!destination || !source || capacity == 0) return false;
  destination[0] = L'\0';
  if (source[0] == L'"') ++source;
  size_t length = wcslen(source);
  if (length > 0 && source[length - 1] == L'"') --length;
  size_t used = 0;
  return Append(destination, capacity, &used, source, length) || Fail(destination);
}

bool BuildRegistrationCommandLine(wchar_t* destination, size_t capacity, const wchar_t* path,
                                  const wchar_t* switchText) {
  if (!QuotePath(destination, capacity, path)) return false;
  size_t used = wcslen(destination);
  if (!switchText) switchText = L"";
  return (Append(destination, capacity, &used, L" ", 1) &&
          Append(destination, capacity, &used, switchText, wcslen(switchText))) ||
         Fail(destination);
}

BOOL CallServerEntry(const wchar_t* path, const wchar_t* entryName) {
  if (Empty(path)) return FALSE;
  HMODULE library = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!library) return FALSE;
  BOOL ran = FALSE;
  char name[256];
  if (entryName &&
      WideCharToMultiByte(CP_ACP, 0, entryName, -1, name, sizeof(name), nullptr, nullptr) > 0) {
    auto entry =
        reinterpret_cast<ServerEntry>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    ran = entry && entry() == S_OK;
  }
  FreeLibrary(library);
  return ran;
}

long RunServerRegistration(const wchar_t* path, const wchar_t* switchText) {
  return RunRegistration(path, switchText, kRegisterSwitch, L"DllRegisterServer");
}

long RegisterServerFile(const wchar_t* path) {
  return RunServerRegistration(path, kRegisterSwitch);
}

long UnregisterServerFile(const wchar_t* path) {
  return RunRegistration(path, kUnregisterSwitch, kUnregisterSwitch, L"DllUnregisterServer");
}

}  // namespace twutil
