// Waiting that keeps the caller's apartment alive: window messages (and the
// calls that arrive as messages) are dispatched while the wait lasts.
#pragma once

#include <windows.h>

namespace twutil {

// True when the handle was signalled within timeoutMs (INFINITE waits for
// ever); a mutex left abandoned counts as signalled, and is then owned. A
// WM_QUIT seen on the way is posted again afterwards for the caller's loop.
bool WaitPumpingMessages(HANDLE handle, DWORD timeoutMs);

}  // namespace twutil
