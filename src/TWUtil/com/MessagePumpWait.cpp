#include "com/MessagePumpWait.h"

namespace twutil {

bool WaitPumpingMessages(HANDLE handle, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  bool quitSeen = false;
  WPARAM quitCode = 0;
  bool signalled = false;
  for (;;) {
    ULONGLONG now = GetTickCount64();
    DWORD remaining = timeoutMs == INFINITE ? INFINITE
                      : now >= deadline     ? 0
                                            : static_cast<DWORD>(deadline - now);
    DWORD woken =
        MsgWaitForMultipleObjectsEx(1, &handle, remaining, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woken == WAIT_OBJECT_0 || woken == WAIT_ABANDONED_0) {
      signalled = true;
      break;
    }
    if (woken != WAIT_OBJECT_0 + 1) break;  // timed out or failed
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quitSeen = true;
        quitCode = message.wParam;
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  if (quitSeen) PostQuitMessage(static_cast<int>(quitCode));
  return signalled;
}

}  // namespace twutil
