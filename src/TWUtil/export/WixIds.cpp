#include "export/WixIds.h"

#include <cwctype>

namespace twutil::exports {
namespace {

// MSI identifiers hold at most 72 characters; the longest prefix and
// suffix added to a stem take 20.
constexpr size_t kStemLength = 48;

bool IsIdChar(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
         c == L'_' || c == L'.';
}

}  // namespace

FileIds WixIds::Next(const std::wstring& fileName) {
  std::wstring stem;
  for (wchar_t c : fileName) {
    if (stem.size() == kStemLength) break;
    stem += IsIdChar(c) ? c : L'_';
  }
  if (stem.empty()) stem = L"_";
  std::wstring unique = stem;
  auto lower = [](std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
    return text;
  };
  for (int n = 2; !stems_.insert(lower(unique)).second; ++n)
    unique = stem + L"_" + std::to_wstring(n);
  return FileIds{L"cmp_" + unique, L"fil_" + unique, L"reg_" + unique + L"_"};
}

}  // namespace twutil::exports
