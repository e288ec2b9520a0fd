// One capture at a time per capture root, across every process of the
// session: the root below HKEY_CURRENT_USER is fixed per user, and two
// captures in it would harvest each other's keys. A named mutex derived from
// the root; one left abandoned by a process that died counts as taken. It is
// recursive on its thread, so ServerInfo may hold it while the spy it drives
// takes it again.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "com/Owners.h"

namespace twutil {

// "Local\TWRegSpyCapture-" and the root in lower case, backslashes as '/'.
std::wstring CaptureAreaLockName(const std::wstring& root);

class CaptureAreaLock {
 public:
  explicit CaptureAreaLock(const std::wstring& root) : name_(CaptureAreaLockName(root)) {}
  ~CaptureAreaLock() { Release(); }
  CaptureAreaLock(const CaptureAreaLock&) = delete;
  CaptureAreaLock& operator=(const CaptureAreaLock&) = delete;

  // Takes the lock, dispatching the thread's messages while it waits;
  // beforeWaiting runs once when someone else holds it. False (with the
  // system's error) when the mutex cannot be made.
  bool Acquire(const std::function<void()>& beforeWaiting = nullptr);
  void Release();
  bool Held() const { return held_; }

 private:
  std::wstring name_;
  Handle mutex_;
  bool held_ = false;
};

}  // namespace twutil
