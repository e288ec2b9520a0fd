#include "model/CapturedRegistry.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <cwctype>

namespace twutil::model {
namespace {

// Compares key paths one level at a time, so that a key sorts right before
// its own subkeys ("A\B" before "A-C", which a plain text order would swap).
int CompareKeys(const std::wstring& left, const std::wstring& right) {
  size_t i = 0, j = 0;
  while (i < left.size() && j < right.size()) {
    wchar_t a = left[i] == L'\\' ? 0 : towlower(left[i]);
    wchar_t b = right[j] == L'\\' ? 0 : towlower(right[j]);
    if (a != b) return a < b ? -1 : 1;
    ++i;
    ++j;
  }
  if (i == left.size() && j == right.size()) return 0;
  return i == left.size() ? -1 : 1;
}

int CompareNames(const std::wstring& left, const std::wstring& right) {
  int folded = _wcsicmp(left.c_str(), right.c_str());
  if (folded != 0) return folded;
  return left.compare(right);
}

bool Before(const CapturedEntry& left, const CapturedEntry& right) {
  if (left.root != right.root) return left.root < right.root;
  int keys = CompareKeys(left.key, right.key);
  if (keys != 0) return keys < 0;
  if (left.keyOnly != right.keyOnly) return left.keyOnly;
  if (left.name.has_value() != right.name.has_value()) return !left.name.has_value();
  if (!left.name) return false;
  return CompareNames(*left.name, *right.name) < 0;
}

}  // namespace

const wchar_t* RootName(ULONG root) {
  switch (root) {
    case kRootClassesRoot:
      return L"HKEY_CLASSES_ROOT";
    case kRootCurrentUser:
      return L"HKEY_CURRENT_USER";
    case kRootLocalMachine:
      return L"HKEY_LOCAL_MACHINE";
    case kRootUsers:
      return L"HKEY_USERS";
    default:
      return nullptr;
  }
}

std::optional<std::wstring> CanonicalText(const std::vector<BYTE>& data) {
  if (data.size() < sizeof(wchar_t) || data.size() % sizeof(wchar_t)) return std::nullopt;
  std::wstring units(data.size() / sizeof(wchar_t), L'\0');
  memcpy(&units[0], data.data(), data.size());
  if (units.back() != L'\0') return std::nullopt;
  units.pop_back();
  if (units.find(L'\0') != std::wstring::npos) return std::nullopt;
  return units;
}

std::optional<std::vector<std::wstring>> CanonicalTextList(const std::vector<BYTE>& data) {
  if (data.size() < sizeof(wchar_t) || data.size() % sizeof(wchar_t)) return std::nullopt;
  std::wstring units(data.size() / sizeof(wchar_t), L'\0');
  memcpy(&units[0], data.data(), data.size());
  if (units.back() != L'\0') return std::nullopt;
  units.pop_back();
  std::vector<std::wstring> texts;
  size_t start = 0;
  while (start < units.size()) {
    size_t end = units.find(L'\0', start);
    if (end == std::wstring::npos) return std::nullopt;  // the last text lacks its null
    texts.push_back(units.substr(start, end - start));
    start = end + 1;
  }
  return texts;
}

std::wstring HexDigits(const std::vector<BYTE>& data) {
  static const wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring out;
  out.reserve(data.size() * 2);
  for (BYTE b : data) {
    out += kDigits[b >> 4];
    out += kDigits[b & 0xF];
  }
  return out;
}

std::wstring RegistryTypeName(DWORD type) {
  static const wchar_t* const kNames[] = {L"REG_NONE",
                                          L"REG_SZ",
                                          L"REG_EXPAND_SZ",
                                          L"REG_BINARY",
                                          L"REG_DWORD",
                                          L"REG_DWORD_BIG_ENDIAN",
                                          L"REG_LINK",
                                          L"REG_MULTI_SZ",
                                          L"REG_RESOURCE_LIST",
                                          L"REG_FULL_RESOURCE_DESCRIPTOR",
                                          L"REG_RESOURCE_REQUIREMENTS_LIST",
                                          L"REG_QWORD"};
  if (type < sizeof(kNames) / sizeof(kNames[0])) return kNames[type];
  return L"REG_TYPE_" + std::to_wstring(type);
}

void SortCapturedEntries(std::vector<CapturedEntry>* entries) {
  std::stable_sort(entries->begin(), entries->end(), Before);
}

const wchar_t* OutcomeName(LONG outcome) {
  switch (static_cast<CaptureOutcome>(outcome)) {
    case CaptureOutcome::kRegistered:
      return L"registered";
    case CaptureOutcome::kFailed:
      return L"failed";
    case CaptureOutcome::kNotAServer:
      return L"not-a-server";
    case CaptureOutcome::kCrashed:
      return L"crashed";
    case CaptureOutcome::kTimedOut:
      return L"timed-out";
    case CaptureOutcome::kNotRun:
      return L"not-run";
    case CaptureOutcome::kEndedProcess:
      return L"ended-process";
  }
  return nullptr;
}

}  // namespace twutil::model
