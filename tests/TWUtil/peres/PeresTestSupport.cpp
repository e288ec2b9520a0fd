#include "PeresTestSupport.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

#include "com/Owners.h"

namespace perestest {

bool WriteBytes(const std::wstring& path, const Bytes& bytes) {
  twutil::Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  DWORD written = 0;
  return bytes.empty() || (::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                       &written, nullptr) &&
                           written == bytes.size());
}

Bytes ReadBytes(const std::wstring& path) {
  twutil::Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
  Bytes bytes;
  if (!file.Valid()) return bytes;
  bytes.resize(GetFileSize(file.Get(), nullptr));
  DWORD read = 0;
  if (!bytes.empty() &&
      !::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
    bytes.clear();
  return bytes;
}

std::wstring SystemFile(const wchar_t* name) {
  wchar_t dir[MAX_PATH];
  UINT n = GetSystemDirectoryW(dir, MAX_PATH);
  return std::wstring(dir, n) + L"\\" + name;
}

std::string Ansi(const std::wstring& text) {
  if (text.empty()) return std::string();
  int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr,
                      nullptr);
  return out;
}

std::string RecordingSink::Lines(int maxLevel) const {
  std::string lines;
  for (const auto& message : messages)
    if (message.first <= maxLevel) lines += message.second + "\n";
  return lines;
}

StdoutCapture::StdoutCapture() {
  wchar_t dir[MAX_PATH];
  wchar_t file[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  GetTempFileNameW(dir, L"out", 0, file);
  path_ = file;
  std::fflush(stdout);
  saved_ = _dup(1);
  int fd = _wopen(path_.c_str(), _O_WRONLY | _O_TRUNC | _O_CREAT, 0600);
  _dup2(fd, 1);
  _close(fd);
}

StdoutCapture::~StdoutCapture() {
  std::fflush(stdout);
  _dup2(saved_, 1);
  _close(saved_);
  DeleteFileW(path_.c_str());
}

std::string StdoutCapture::Text() {
  std::fflush(stdout);
  Bytes bytes = ReadBytes(path_);
  std::string text;
  for (size_t i = 0; i < bytes.size(); ++i)
    if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n'))
      text.push_back(static_cast<char>(bytes[i]));
  return text;
}

namespace {

bool VersionData(const std::wstring& file, std::vector<BYTE>* data) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
  if (size == 0) return false;
  data->assign(size, 0);
  return GetFileVersionInfoW(file.c_str(), 0, size, data->data());
}

}  // namespace

bool QueryVersionString(const std::wstring& file, const std::wstring& subBlock,
                        std::wstring* value) {
  std::vector<BYTE> data;
  if (!VersionData(file, &data)) return false;
  void* text = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), subBlock.c_str(), &text, &length) || !text) return false;
  *value = static_cast<const wchar_t*>(text);
  return true;
}

DWORD QueryTranslation(const std::wstring& file) {
  std::vector<BYTE> data;
  if (!VersionData(file, &data)) return 0;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4)
    return 0;
  DWORD translation = 0;
  std::memcpy(&translation, value, 4);
  return translation;
}

bool QueryFileVersion(const std::wstring& file, DWORD* ms, DWORD* ls) {
  std::vector<BYTE> data;
  if (!VersionData(file, &data)) return false;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
    return false;
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
  *ms = info->dwFileVersionMS;
  *ls = info->dwFileVersionLS;
  return true;
}

std::string SystemMessage(DWORD error) {
  char text[256] = {};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           error, 0, text, sizeof(text), nullptr);
  std::string message(text, n);
  while (!message.empty() && std::strchr(" \t\r\n", message.back())) message.pop_back();
  return message;
}

}  // namespace perestest
