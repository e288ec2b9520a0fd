// Processes that a server starts while it registers would write the real
// registry: the hive redirection does not reach them. CreateProcess(AsUser),
// WinExec and ShellExecute(Ex) in both spellings therefore fail with
// ERROR_ACCESS_DENIED, and the command line goes to the sink instead.
#pragma once

#include <cstddef>
#include <string>

#include "ImportRewrite.h"

namespace twregspy {

using ChildProcessSink = void (*)(const std::wstring& note);

// The sink hears "stopped child process: <command line>".
void SetChildProcessSink(ChildProcessSink sink);

const ImportReplacement* ChildProcessReplacements(size_t* count);

}  // namespace twregspy
