// Waiting for the tool while the caller's window messages keep flowing.
#pragma once

#include <windows.h>

#include "signing/OutputPipe.h"

namespace twutil {

// Returns when the process has ended (or the wait fails). Messages are
// dispatched one at a time, testing the process after each; finished reads
// of the pipe are collected as they come, so the tool never blocks on a full
// pipe. No time-outs: the thread sleeps until something happens.
void WaitPumpingMessages(HANDLE process, OutputPipe& pipe);

}  // namespace twutil
