#include "com/MessagePumpWait.h"

namespace twutil {

DWORD WaitPumpingMessages(const HANDLE* handles, DWORD count, DWORD timeoutMs,
                          const PumpRules& rules) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  bool quitSeen = false;
  WPARAM quitCode = 0;
  DWORD outcome = kPumpWaitEnded;
  for (bool waiting = true; waiting;) {
    ULONGLONG now = GetTickCount64();
    DWORD remaining = timeoutMs == INFINITE ? INFINITE
                      : now >= deadline     ? 0
                                            : static_cast<DWORD>(deadline - now);
    DWORD woken =
        MsgWaitForMultipleObjectsEx(count, handles, remaining, rules.wakeMask, rules.waitFlags);
    if (woken < WAIT_OBJECT_0 + count) {
      outcome = woken - WAIT_OBJECT_0;
      break;
    }
    if (woken >= WAIT_ABANDONED_0 && woken < WAIT_ABANDONED_0 + count) {
      outcome = woken - WAIT_ABANDONED_0;
      break;
    }
    if (woken != WAIT_OBJECT_0 + count) break;  // timed out or failed
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT && rules.keepQuit) {
        quitSeen = true;
        quitCode = message.wParam;
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
      if (rules.testFirstAfterEachMessage && WaitForSingleObject(handles[0], 0) == WAIT_OBJECT_0) {
        outcome = 0;
        waiting = false;
        break;
      }
    }
  }
  if (quitSeen) PostQuitMessage(static_cast<int>(quitCode));
  return outcome;
}

}  // namespace twutil
