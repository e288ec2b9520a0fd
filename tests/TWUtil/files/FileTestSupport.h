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

// Whether this process can make windows at all (Wine needs a display driver).
bool WindowsAvailable();

// Sets HKLM "Software\Tarnwick\Harbor\3.5" "Install Location" (or removes it
// for null) and removes it again at the end.
class InstallLocation {
 public:
  explicit InstallLocation(const std::wstring* folder);
  ~InstallLocation();
  InstallLocation(const InstallLocation&) = delete;
  InstallLocation& operator=(const InstallLocation&) = delete;
};

// The file held open with no sharing, so that nobody else can open it.
inline twutil::Handle Lock(const std::wstring& path) {
  return twutil::Handle(
      CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
}

// Watches, from a thread of its own, for a visible top-level window of the
// class and title, owned by process (any for 0); reads the texts of its
// "Static" children and closes it (OK for a dialog, WM_CLOSE otherwise).
class WindowWatcher {
 public:
  WindowWatcher(const wchar_t* windowClass, const wchar_t* title, DWORD process);
  ~WindowWatcher() { Stop(); }
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

  std::wstring class_, title_;
  DWORD process_;
  std::atomic<bool> stop_{false}, seen_{false};
  bool hadIcon_ = false;
  std::wstring text_;
  std::thread thread_;
};

}  // namespace filetest
