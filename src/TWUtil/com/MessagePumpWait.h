// Waiting that keeps the caller's apartment alive: window messages (and the
// calls that arrive as messages) are dispatched while the wait lasts.
#pragma once

#include <windows.h>

namespace twutil {

// How a wait wakes and what it does with the messages it takes.
struct PumpRules {
  DWORD wakeMask = QS_ALLINPUT;
  DWORD waitFlags = MWMO_INPUTAVAILABLE;  // of MsgWaitForMultipleObjectsEx
  // A WM_QUIT is held back and posted again when the wait ends, for the
  // caller's own loop; otherwise it is dispatched like any other message.
  bool keepQuit = true;
  // The first handle is tested after each dispatched message and the wait
  // ends as soon as it is signalled.
  bool testFirstAfterEachMessage = false;
};

// What a wait that no handle ended answers: time-out or failure.
constexpr DWORD kPumpWaitEnded = WAIT_FAILED;

// The index of the handle that was signalled within timeoutMs (INFINITE
// waits for ever); a mutex left abandoned counts as signalled, and is then
// owned.
DWORD WaitPumpingMessages(const HANDLE* handles, DWORD count, DWORD timeoutMs,
                          const PumpRules& rules);

// One handle: whether it was signalled in time.
inline bool WaitPumpingMessages(HANDLE handle, DWORD timeoutMs) {
  return WaitPumpingMessages(&handle, 1, timeoutMs, PumpRules{}) == 0;
}

}  // namespace twutil
