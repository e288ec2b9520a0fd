// Waiting that keeps the caller's apartment alive: window messages (and the
// calls that arrive as messages) are dispatched while the wait lasts.
#pragma once

#include <windows.h>

namespace twregspy {

// True when the handle was signalled within timeoutMs. A WM_QUIT seen on the
// way is posted again afterwards for the caller's own loop.
bool WaitPumpingMessages(HANDLE handle, DWORD timeoutMs);

}  // namespace twregspy
