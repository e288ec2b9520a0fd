#include "files/CodePageCheck.h"

#include "CodePage.h"
#include "com/Owners.h"

namespace twutil {
namespace {

struct CodePageSearch {
  std::string sought;
  bool found;
};

// The system's enumeration gives its callback no context, so the running
// search is reached through this pointer, one search at a time.
CodePageSearch* g_search = nullptr;

CriticalSection& SearchLock() {
  static CriticalSection lock;
  return lock;
}

BOOL CALLBACK CompareCodePage(LPWSTR listed) {
  if (ToNarrow(listed, wcslen(listed)) != g_search->sought) return TRUE;
  g_search->found = true;
  return FALSE;
}

}  // namespace

bool IsCodePageListed(const std::wstring& codePage, DWORD flag) {
  Lock lock(SearchLock());
  CodePageSearch search{ToNarrow(codePage), false};
  g_search = &search;
  EnumSystemCodePagesW(CompareCodePage, flag);
  g_search = nullptr;
  return search.found;
}

}  // namespace twutil
