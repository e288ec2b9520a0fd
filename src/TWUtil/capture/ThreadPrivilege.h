// A privilege enabled for the calling thread only: on an impersonation copy
// of the process token, while the object lives; the thread's own token (or
// none) is put back afterwards. Other threads never see it.
#pragma once

#include <windows.h>

#include "com/Owners.h"

namespace twutil {

class ThreadPrivilege {
 public:
  explicit ThreadPrivilege(const wchar_t* name);  // SE_RESTORE_NAME, SE_BACKUP_NAME...
  ~ThreadPrivilege();
  ThreadPrivilege(const ThreadPrivilege&) = delete;
  ThreadPrivilege& operator=(const ThreadPrivilege&) = delete;

  // The token holds the privilege and it is enabled.
  bool Enabled() const { return enabled_; }

 private:
  Handle previous_;  // the thread's token before, if it had one
  bool impersonating_ = false;
  bool enabled_ = false;
};

}  // namespace twutil
