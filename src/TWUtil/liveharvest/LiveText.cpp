#include "liveharvest/LiveText.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "servers/HarvestText.h"
#include "servers/ServerRegistration.h"

namespace twutil {

std::wstring ServerEntryPath(const std::wstring& text) {
  std::wstring path = LowerAscii(text);
  size_t exe = path.find(L".exe ");
  if (exe != std::wstring::npos) path.resize(exe + 4);
  return path;
}

std::optional<LiveIcon> SplitLiveIconText(const std::wstring& text) {
  size_t comma = text.find(L',');
  if (comma == std::wstring::npos) return std::nullopt;
  LiveIcon icon;
  size_t begin = 0;
  while (begin < comma && text[begin] == L'"') ++begin;
  size_t end = comma;
  if (end > begin && text[end - 1] == L'"') --end;
  icon.file = text.substr(begin, end - begin);
  std::wstring index = text.substr(comma + 1);
  size_t blank = index.rfind(L' ');
  if (blank != std::wstring::npos) index.erase(0, blank + 1);
  icon.index = LeadingDecimal(index);
  return icon;
}

std::optional<LiveVerbCommand> SplitLiveVerbCommand(const std::wstring& lowered) {
  LiveVerbCommand split;
  size_t rundll = lowered.find(L"rundll32.exe");
  if (rundll != std::wstring::npos) {
    // The library follows the program name and one separator.
    size_t start = rundll + 13;
    if (start >= lowered.size()) return std::nullopt;
    size_t comma = lowered.find(L',', start);
    split.file =
        lowered.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
    if (comma != std::wstring::npos) split.arguments = lowered.substr(comma + 1);
    return split;
  }
  size_t exe = lowered.find(L".exe");
  if (exe == std::wstring::npos) return std::nullopt;
  size_t begin = 0;
  while (begin < exe && lowered[begin] == L'"') ++begin;
  split.file = lowered.substr(begin, exe + 4 - begin);
  size_t blank = lowered.find(L' ', exe);
  if (blank != std::wstring::npos && lowered.size() - blank >= 2)
    split.arguments = lowered.substr(blank + 1);
  return split;
}

namespace {

unsigned long HexNumber(const std::wstring& text) {
  return std::wcstoul(text.c_str(), nullptr, 16);
}

}  // namespace

std::wstring FormatTypeLibVersion(const std::wstring& name) {
  size_t dot = name.find(L'.');
  unsigned long major = HexNumber(name.substr(0, dot));
  unsigned long minor = 0;
  if (dot != std::wstring::npos) {
    size_t next = name.find(L'.', dot + 1);
    minor = HexNumber(
        name.substr(dot + 1, next == std::wstring::npos ? std::wstring::npos : next - dot - 1));
  }
  wchar_t text[32];
  swprintf(text, 32, L"%d.%d", static_cast<int>(major), static_cast<int>(minor));
  return text;
}

namespace {

constexpr LONG kNotComparable = 10000;

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsLetter(wchar_t c) { return std::iswalpha(c) != 0; }

// Compares one part (the text before or after the first dot) run by run.
LONG CompareRuns(const std::wstring& a, const std::wstring& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    wchar_t x = a[i], y = b[j];
    if (!(IsDigit(x) || IsLetter(x)) || !(IsDigit(y) || IsLetter(y))) return kNotComparable;
    bool digits = IsDigit(x);
    size_t runA = i, runB = j;
    while (i < a.size() && (digits ? IsDigit(a[i]) : IsLetter(a[i]))) ++i;
    while (j < b.size() && (IsDigit(y) ? IsDigit(b[j]) : IsLetter(b[j]))) ++j;
    std::wstring left = a.substr(runA, i - runA), right = b.substr(runB, j - runB);
    LONG order = 0;
    if (digits && IsDigit(y)) {
      // Compared as numbers: without leading zeros, the longer is larger.
      left.erase(0, std::min(left.find_first_not_of(L'0'), left.size()));
      right.erase(0, std::min(right.find_first_not_of(L'0'), right.size()));
      order =
          left.size() != right.size() ? (left.size() < right.size() ? -1 : 1) : left.compare(right);
    } else {
      order = CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                   static_cast<int>(right.size()), TRUE) -
              CSTR_EQUAL;
    }
    if (order != 0) return order < 0 ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace

LONG CompareVersionText(const wchar_t* a, const wchar_t* b) {
  if (!a || !b) return kNotComparable;
  std::wstring left(a), right(b);
  size_t dotA = left.find(L'.'), dotB = right.find(L'.');
  LONG order = CompareRuns(left.substr(0, dotA), right.substr(0, dotB));
  if (order != 0) return order;
  if (dotA == std::wstring::npos || dotB == std::wstring::npos) {
    if (dotA == dotB) return 0;
    return dotA == std::wstring::npos ? -1 : 1;
  }
  return CompareRuns(left.substr(dotA + 1), right.substr(dotB + 1));
}

std::wstring StripTypeLibResourceIndex(const std::wstring& path) {
  if (ClassifyExtension(path.c_str()) != kExtensionOther || path.size() < 2 ||
      path[path.size() - 2] != L'\\')
    return std::wstring();
  return path.substr(0, path.size() - 2);
}

}  // namespace twutil
