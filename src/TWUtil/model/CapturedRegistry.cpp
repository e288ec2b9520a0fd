#include "model/CapturedRegistry.h"

#include <algorithm>
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
