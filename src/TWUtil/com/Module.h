// Process-wide state of the loaded library: instance handle, lock count and
// the lock that guards lazily created class factories.
#pragma once

#include <windows.h>

#include <string>

#include "com/Owners.h"

namespace twutil {

class Module {
 public:
  static void Attach(HINSTANCE instance);
  static void Detach();

  static HINSTANCE Instance() { return instance_; }
  static std::wstring Path();

  static LONG Lock() { return InterlockedIncrement(&locks_); }
  static LONG Unlock() { return InterlockedDecrement(&locks_); }
  static LONG LockCount() { return locks_; }

  static CriticalSection& FactoryLock();

 private:
  static HINSTANCE instance_;
  static volatile LONG locks_;
};

// Loads a string resource of the module (empty when missing).
std::wstring LoadModuleString(UINT id, size_t maxChars = 256);

}  // namespace twutil
