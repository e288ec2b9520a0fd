#include "registry/RegistryText.h"

#include <climits>

namespace twutil {
namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

LONG ParseDecimalLong(const std::string& text) {
  size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  // Accumulate in the wider type and clamp, so long digit runs cannot overflow.
  const long long limit = negative ? -static_cast<long long>(LONG_MIN) : LONG_MAX;
  long long magnitude = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at) {
    magnitude = magnitude * 10 + (text[at] - '0');
    if (magnitude > limit) magnitude = limit;
  }
  return static_cast<LONG>(negative ? -magnitude : magnitude);
}

std::wstring HexText(const BYTE* data, size_t size) {
  static const wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring text;
  text.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    text.push_back(kDigits[data[i] >> 4]);
    text.push_back(kDigits[data[i] & 0x0F]);
  }
  return text;
}

std::wstring TextUpToNul(const BYTE* data, size_t size) {
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) {
    wchar_t c = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    if (c == L'\0') break;
    text.push_back(c);
  }
  return text;
}

LONG ScriptTypeCode(DWORD registryType) {
  switch (registryType) {
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
      return 0;
    case REG_BINARY:
      return 2;
    case REG_MULTI_SZ:
      return 3;
    case REG_EXPAND_SZ:
      return 4;
    default:
      return 1;
  }
}

}  // namespace twutil
