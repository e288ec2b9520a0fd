#include "files/EightBitText.h"

#include <cwchar>

namespace twutil {
namespace {

int Convert(UINT codePage, DWORD flags, const wchar_t* text, int length, char* out, int size) {
  int n = WideCharToMultiByte(codePage, flags, text, length, out, size, nullptr, nullptr);
  if (n == 0 && flags != 0 && GetLastError() == ERROR_INVALID_FLAGS)
    n = WideCharToMultiByte(codePage, 0, text, length, out, size, nullptr, nullptr);
  return n;
}

}  // namespace

std::string EightBitText(BSTR text, UINT codePage, DWORD flags) {
  if (!text) return std::string();
  size_t length = wcsnlen(text, SysStringLen(text));
  if (length == 0 || length > 0x7FFFFFFF) return std::string();
  int wide = static_cast<int>(length);
  int n = Convert(codePage, flags, text, wide, nullptr, 0);
  if (n <= 0) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  n = Convert(codePage, flags, text, wide, &out[0], n);
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  // A default character of the code page may itself be a NUL.
  return out.substr(0, out.find('\0'));
}

std::wstring WideText(const std::string& text, UINT codePage) {
  if (text.empty() || text.size() > 0x7FFFFFFF) return std::wstring();
  int narrow = static_cast<int>(text.size());
  int n = MultiByteToWideChar(codePage, 0, text.data(), narrow, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  n = MultiByteToWideChar(codePage, 0, text.data(), narrow, &out[0], n);
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return out;
}

}  // namespace twutil
