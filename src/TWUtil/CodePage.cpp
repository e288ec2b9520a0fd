#include "CodePage.h"

namespace twutil {
namespace {
volatile LONG g_codePage = 0;
}

UINT ConversionCodePage() { return static_cast<UINT>(g_codePage); }

void SetConversionCodePage(UINT codePage) {
  InterlockedExchange(&g_codePage, static_cast<LONG>(codePage));
}

std::string ToNarrow(const wchar_t* text, size_t length) {
  if (!text || length == 0 || length > 0x7FFFFFFF) return std::string();
  UINT cp = ConversionCodePage();
  int wide = static_cast<int>(length);
  int n = WideCharToMultiByte(cp, 0, text, wide, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(cp, 0, text, wide, &out[0], n, nullptr, nullptr);
  return out;
}

std::string ToNarrow(const std::wstring& text) { return ToNarrow(text.data(), text.size()); }

std::wstring ToWide(const char* text, size_t length) {
  if (!text || length == 0 || length > 0x7FFFFFFF) return std::wstring();
  UINT cp = ConversionCodePage();
  int narrow = static_cast<int>(length);
  int n = MultiByteToWideChar(cp, 0, text, narrow, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(cp, 0, text, narrow, &out[0], n);
  return out;
}

std::wstring ToWide(const std::string& text) { return ToWide(text.data(), text.size()); }

}  // namespace twutil
