// Registers an executable server ("/regserver") with its registry writes
// redirected: the server starts under this process's debugging, stops at its
// entry point, gets the hook library loaded by a thread of its own (which
// redirects the hives inside the server's process), and only then runs.
// Dialogs the server shows are closed from here; the hook tells of child
// processes it stopped through debug strings. Both go to the sink as notes.
#pragma once

#include <string>

#include "HelperReport.h"

namespace twregspy {

using NoteSink = void (*)(const std::wstring& note);

HelperOutcome RegisterExecutableRedirected(const wchar_t* serverPath, const wchar_t* captureRoot,
                                           const std::wstring& hookPath, NoteSink notes);

}  // namespace twregspy
