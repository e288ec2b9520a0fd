#include "files/ProductLog.h"

#include <io.h>
#include <windows.h>

#include <cstdio>
#include <vector>

#include "com/Owners.h"
#include "files/StdFile.h"

namespace twutil {
namespace {

constexpr wchar_t kProductKey[] = L"Software\\Tarnwick\\Harbor\\3.5";
constexpr wchar_t kInstallLocation[] = L"Install Location";
constexpr wchar_t kLogFileName[] = L"twide.log";
constexpr DWORD kValueBufferBytes = 260;
// The folder value, terminator included, must leave room for the file name.
constexpr DWORD kValueLimitBytes = 260 - 9;
constexpr size_t kLineTextLimit = 19;

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void AppendLatin1(const std::wstring& text, std::string* out) {
  for (wchar_t c : text) out->push_back(c <= 0xFF ? static_cast<char>(c) : '?');
}

// Keeps the last kLogKeptBytes of a log that has grown past the threshold.
void TrimLog(const std::wstring& path, StdFile* log) {
  fflush(log->Get());
  if (_filelengthi64(_fileno(log->Get())) <= kLogTrimThreshold) return;
  std::vector<char> tail(kLogKeptBytes);
  if (fseek(log->Get(), -kLogKeptBytes, SEEK_END) != 0) return;
  size_t read = fread(tail.data(), 1, tail.size(), log->Get());
  if (ferror(log->Get())) return;
  log->Reset();
  StdFile rewritten = OpenShared(path, L"w");
  if (rewritten.Get()) fwrite(tail.data(), 1, read, rewritten.Get());
}

}  // namespace

long ParseLineNumber(const std::wstring& text) {
  std::wstring head = text.substr(0, kLineTextLimit);
  char narrow[kLineTextLimit + 1] = {};
  WideCharToMultiByte(CP_ACP, 0, head.c_str(), static_cast<int>(head.size()), narrow,
                      sizeof(narrow) - 1, nullptr, nullptr);
  const char* p = narrow;
  while (IsBlank(*p)) ++p;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  long long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > 0x80000000LL) value = 0x80000000LL;
  }
  if (negative) value = -value;
  if (value > 0x7FFFFFFFLL) value = 0x7FFFFFFFLL;
  return static_cast<long>(value);
}

std::string FormatLogLine(const std::wstring& location, long line, const std::wstring& message) {
  std::string out;
  AppendLatin1(location, &out);
  out += ' ';
  out += std::to_string(line);
  out += ": ";
  AppendLatin1(message, &out);
  if (message.empty() || message.back() != L'\n') out += '\n';
  return out;
}

bool LogFilePath(std::wstring* path) {
  RegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
    return false;
  // Two spare characters keep the text terminated whatever the value holds.
  wchar_t folder[kValueBufferBytes / sizeof(wchar_t) + 2] = {};
  DWORD size = kValueBufferBytes;
  if (RegQueryValueExW(key.Get(), kInstallLocation, nullptr, nullptr,
                       reinterpret_cast<BYTE*>(folder), &size) != ERROR_SUCCESS ||
      size >= kValueLimitBytes)
    return false;
  *path = std::wstring(folder) + L"\\" + kLogFileName;
  return true;
}

bool AppendLogLine(const std::wstring& path, const std::string& line) {
  StdFile log = OpenShared(path, L"a+");
  if (!log.Get()) return false;
  fwrite(line.data(), 1, line.size(), log.Get());
  TrimLog(path, &log);
  return true;
}

void WriteLogLine(const std::wstring& location, long line, const std::wstring& message) {
  std::wstring cut = message.substr(0, kLogMessageLimit);
  std::wstring path;
  if (LogFilePath(&path) && AppendLogLine(path, FormatLogLine(location, line, cut))) return;
  const wchar_t* text =
      cut.empty() ? L"Unknown exception encountered when trying to log exception" : cut.c_str();
  MessageBoxW(GetActiveWindow(), text, L"Error", MB_ICONERROR | MB_OK);
}

}  // namespace twutil
