#include "capture/ThreadPrivilege.h"

namespace twutil {
namespace {

bool EnablePrivilege(HANDLE token, const wchar_t* name) {
  TOKEN_PRIVILEGES wanted = {};
  wanted.PrivilegeCount = 1;
  wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueW(nullptr, name, &wanted.Privileges[0].Luid)) return false;
  // Succeeds without enabling what the token does not hold; the last error
  // tells.
  return AdjustTokenPrivileges(token, FALSE, &wanted, 0, nullptr, nullptr) &&
         GetLastError() == ERROR_SUCCESS;
}

}  // namespace

ThreadPrivilege::ThreadPrivilege(const wchar_t* name) {
  HANDLE thread = GetCurrentThread();
  if (!OpenThreadToken(thread, TOKEN_IMPERSONATE, TRUE, previous_.Put())) previous_.Reset();
  if (!ImpersonateSelf(SecurityImpersonation)) return;
  impersonating_ = true;
  Handle token;
  if (OpenThreadToken(thread, TOKEN_ADJUST_PRIVILEGES, TRUE, token.Put()))
    enabled_ = EnablePrivilege(token.Get(), name);
}

ThreadPrivilege::~ThreadPrivilege() {
  if (!impersonating_) return;
  if (previous_)
    SetThreadToken(nullptr, previous_.Get());
  else
    RevertToSelf();
}

}  // namespace twutil
