// Helpers of the File suites: the File object, the product folder setting,
// files held open by someone else, and a watcher that answers the windows a
// call puts up so that no test waits on a window.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "TWUtil.h"
#include "com/Owners.h"

namespace filetest {

twutil::ComPtr<IFileSys> CreateFileObject();

// Whether this process can make windows at all (Wine needs a display
// driver; ctest sets up the null driver for this suite).
bool WindowsAvailable();

// Sets HKLM "Software\Tarnwick\Harbor\3.5" "Install Location" (or removes
// it) for the life of the object, and removes it again afterwards.
class InstallLocation {
 public:
  explicit InstallLocation(const std::wstring* folder);
  ~InstallLocation();
  InstallLocation(const InstallLocation&) = delete;
  InstallLocation& operator=(const InstallLocation&) = delete;
};

// A file held open with no sharing, so that nobody else can open it.
class LockedFile {
 public:
  explicit LockedFile(const std::wstring& path);
  bool Locked() const { return handle_.Valid(); }

 private:
  twutil::Handle handle_;
};

// Watches, from a thread of its own, for a top-level window of the given
// class (and title, when given) owned by process (any process for 0); when one appears it reads
// the texts of its "Static" children and then closes it (OK for a dialog,
// WM_CLOSE otherwise). Stop() (or the destructor) ends the watch.
class WindowWatcher {
 public:
  WindowWatcher(const wchar_t* windowClass, const wchar_t* title, DWORD process);
  ~WindowWatcher();
  WindowWatcher(const WindowWatcher&) = delete;
  WindowWatcher& operator=(const WindowWatcher&) = delete;

  // Waits up to timeoutMs for the window, then stops watching.
  bool WaitSeen(DWORD timeoutMs);
  void Stop();
  bool Seen() const { return seen_; }
  bool HadIcon() const { return hadIcon_; }
  // The texts of its static children, one per line.
  const std::wstring& Text() const { return text_; }

 private:
  void Watch();

  std::wstring windowClass_;
  std::wstring title_;
  DWORD process_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> seen_{false};
  bool hadIcon_ = false;
  std::wstring text_;
  std::thread thread_;
};

// The error box that a failed log write shows, watched in this process.
class ErrorBoxWatcher : public WindowWatcher {
 public:
  ErrorBoxWatcher() : WindowWatcher(L"#32770", L"Error", GetCurrentProcessId()) {}
};

}  // namespace filetest
