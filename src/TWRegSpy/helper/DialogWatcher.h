// Closes the dialogs that a process shows while it registers, at once and as
// a user pressing the default button would, and tells the sink what each
// said: nobody is there to answer them, and an unanswered dialog would cost
// the whole time limit. A thread of its own looks for the process's visible
// top-level dialog windows (class "#32770") every few milliseconds; texts are
// read without sending messages, and the one question asked (the default
// button) has a short timeout, so a busy server cannot stall it.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "com/Owners.h"

namespace twregspy {

// The sink hears `closed dialog "<caption>": <text>`, on the watcher's thread.
using DialogSink = void (*)(const std::wstring& note);

class DialogWatcher {
 public:
  DialogWatcher(DWORD processId, DialogSink sink);
  // Stops the thread and waits for it.
  ~DialogWatcher();
  DialogWatcher(const DialogWatcher&) = delete;
  DialogWatcher& operator=(const DialogWatcher&) = delete;

 private:
  static DWORD WINAPI Run(void* self);
  static BOOL CALLBACK OnWindow(HWND window, LPARAM self);
  void Look();
  void Close(HWND dialog);

  DWORD processId_;
  DialogSink sink_;
  twutil::Handle stop_;
  twutil::Handle thread_;
  std::map<HWND, ULONGLONG> pressed_;  // dialog to when its button was pressed
};

}  // namespace twregspy
