#include "servers/HarvestText.h"

#include <climits>
#include <cwchar>

namespace twutil {

std::optional<VerbCommand> SplitVerbCommand(std::wstring command) {
  if (!command.empty()) CharLowerBuffW(&command[0], static_cast<DWORD>(command.size()));
  VerbCommand split;
  size_t rundll = command.find(L"rundll32.exe");
  if (rundll != std::wstring::npos) {
    // The library follows the program name and one separator.
    size_t start = rundll + 13;
    if (start > command.size()) return split;
    size_t comma = command.find(L',', start);
    if (comma == std::wstring::npos) return split;
    split.file = command.substr(start, comma - start);
    split.arguments = command.substr(comma + 1);
    return split;
  }
  size_t exe = command.find(L".exe");
  if (exe == std::wstring::npos) return std::nullopt;
  size_t begin = !command.empty() && command[0] == L'"' ? 1 : 0;
  split.file = command.substr(begin, exe + 4 - begin);
  size_t space = command.find(L' ', exe);
  if (space != std::wstring::npos) split.arguments = command.substr(space + 1);
  return split;
}

std::optional<IconReference> SplitIconText(const std::wstring& text) {
  size_t comma = text.find(L',');
  if (comma == std::wstring::npos) return std::nullopt;
  IconReference icon;
  size_t index = comma + 1;
  while (index < text.size() && text[index] == L' ') ++index;
  icon.index = LeadingDecimal(text.substr(index));
  size_t begin = 0, end = comma;
  if (comma > 0 && text[0] == L'"') {
    begin = 1;
    if (end > begin && text[end - 1] == L'"') --end;
  }
  icon.file = text.substr(begin, end - begin);
  return icon;
}

std::optional<std::wstring> LocalServerArgument(const std::wstring& serverText) {
  size_t exe = serverText.find(L".exe");
  if (exe == std::wstring::npos || serverText.size() - exe <= 5) return std::nullopt;
  return serverText.substr(exe + 5);
}

LONG LeadingDecimal(const std::wstring& text) {
  size_t at = 0;
  bool negative = false;
  if (at < text.size() && (text[at] == L'-' || text[at] == L'+')) negative = text[at++] == L'-';
  long long value = 0;
  for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
    value = value * 10 + (text[at] - L'0');
    if (value > static_cast<long long>(LONG_MAX) + 1) break;
  }
  if (negative) value = -value;
  if (value > LONG_MAX) return LONG_MAX;
  if (value < LONG_MIN) return LONG_MIN;
  return static_cast<LONG>(value);
}

bool EqualsNoCase(const std::wstring& a, const wchar_t* b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b, -1, TRUE) == CSTR_EQUAL;
}

std::wstring LowerAscii(std::wstring text) {
  for (wchar_t& c : text)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return text;
}

}  // namespace twutil
