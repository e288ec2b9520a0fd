#include "signing/PumpingWait.h"

namespace twutil {
namespace {
// Any input, posted, sent, timer, paint or hot-key message.
constexpr DWORD kWakeMask = 0xFF;
}  // namespace

void WaitPumpingMessages(HANDLE process, OutputPipe& pipe) {
  for (;;) {
    HANDLE handles[2] = {process, pipe.ReadFinished()};
    const DWORD count = handles[1] ? 2 : 1;
    const DWORD result = MsgWaitForMultipleObjects(count, handles, FALSE, INFINITE, kWakeMask);
    if (result == WAIT_OBJECT_0) return;
    if (count == 2 && result == WAIT_OBJECT_0 + 1) {
      pipe.OnReadFinished();
      continue;
    }
    if (result != WAIT_OBJECT_0 + count) return;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
      if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return;
    }
  }
}

}  // namespace twutil
