// Runs one file's registration in a helper process and waits for it with the
// caller's messages dispatched. The helper lives in a job of its own, so that
// on timeout it goes down together with any server process it started, and
// the job admits no more processes than the registration needs.
#pragma once

#include <windows.h>

#include <string>

#include "FileOutcome.h"

namespace twregspy {

// processLimit: the helper alone (1), or with an executable server (2).
FileReport RunHelper(const std::wstring& helperPath, const std::wstring& captureRoot,
                     const std::wstring& serverFile, LONG timeoutSeconds, DWORD processLimit);

}  // namespace twregspy
