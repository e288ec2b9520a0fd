#include "ChildProcessBlock.h"

#include <windows.h>
// shellapi.h builds on windows.h.
#include <shellapi.h>

namespace twregspy {
namespace {

ChildProcessSink sink = nullptr;

std::wstring Wide(LPCSTR text) {
  if (!text) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 1) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], n);
  wide.resize(static_cast<size_t>(n - 1));
  return wide;
}

std::wstring Text(LPCWSTR text) { return text ? std::wstring(text) : std::wstring(); }

// The program and its arguments as the caller gave them.
std::wstring Joined(const std::wstring& program, const std::wstring& arguments) {
  if (program.empty()) return arguments;
  return arguments.empty() ? program : program + L" " + arguments;
}

void Refuse(const std::wstring& commandLine) {
  if (sink) sink(L"stopped child process: " + commandLine);
  SetLastError(ERROR_ACCESS_DENIED);
}

BOOL WINAPI CreateW(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES,
                    LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW,
                    LPPROCESS_INFORMATION) {
  Refuse(commandLine ? Text(commandLine) : Text(application));
  return FALSE;
}

BOOL WINAPI CreateA(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES,
                    LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA,
                    LPPROCESS_INFORMATION) {
  Refuse(commandLine ? Wide(commandLine) : Wide(application));
  return FALSE;
}

BOOL WINAPI CreateAsUserW(HANDLE, LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES,
                          LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW,
                          LPPROCESS_INFORMATION) {
  Refuse(commandLine ? Text(commandLine) : Text(application));
  return FALSE;
}

BOOL WINAPI CreateAsUserA(HANDLE, LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES,
                          LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA,
                          LPPROCESS_INFORMATION) {
  Refuse(commandLine ? Wide(commandLine) : Wide(application));
  return FALSE;
}

UINT WINAPI Exec(LPCSTR commandLine, UINT) {
  Refuse(Wide(commandLine));
  return ERROR_ACCESS_DENIED;  // 31 and below mean failure
}

HINSTANCE WINAPI ShellW(HWND, LPCWSTR, LPCWSTR file, LPCWSTR parameters, LPCWSTR, INT) {
  Refuse(Joined(Text(file), Text(parameters)));
  return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_ACCESSDENIED));
}

HINSTANCE WINAPI ShellA(HWND, LPCSTR, LPCSTR file, LPCSTR parameters, LPCSTR, INT) {
  Refuse(Joined(Wide(file), Wide(parameters)));
  return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_ACCESSDENIED));
}

BOOL WINAPI ShellExW(SHELLEXECUTEINFOW* info) {
  Refuse(info ? Joined(Text(info->lpFile), Text(info->lpParameters)) : std::wstring());
  if (info) info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_ACCESSDENIED));
  return FALSE;
}

BOOL WINAPI ShellExA(SHELLEXECUTEINFOA* info) {
  Refuse(info ? Joined(Wide(info->lpFile), Wide(info->lpParameters)) : std::wstring());
  if (info) info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_ACCESSDENIED));
  return FALSE;
}

const ImportReplacement kReplacements[] = {
    {"CreateProcessW", Untyped(&CreateW), nullptr},
    {"CreateProcessA", Untyped(&CreateA), nullptr},
    {"CreateProcessAsUserW", Untyped(&CreateAsUserW), nullptr},
    {"CreateProcessAsUserA", Untyped(&CreateAsUserA), nullptr},
    {"WinExec", Untyped(&Exec), nullptr},
    {"ShellExecuteW", Untyped(&ShellW), nullptr},
    {"ShellExecuteA", Untyped(&ShellA), nullptr},
    {"ShellExecuteExW", Untyped(&ShellExW), nullptr},
    {"ShellExecuteExA", Untyped(&ShellExA), nullptr},
};

}  // namespace

void SetChildProcessSink(ChildProcessSink newSink) { sink = newSink; }

const ImportReplacement* ChildProcessReplacements(size_t* count) {
  *count = sizeof(kReplacements) / sizeof(kReplacements[0]);
  return kReplacements;
}

}  // namespace twregspy
