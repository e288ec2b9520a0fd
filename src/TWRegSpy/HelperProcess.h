// Runs one file's registration in a helper process and waits for it with the
// caller's messages dispatched. The helper lives in a job of its own, so that
// on timeout it goes down together with any server process it started.
#pragma once

#include <windows.h>

#include <string>

#include "FileOutcome.h"

namespace twregspy {

FileOutcome RunHelper(const std::wstring& helperPath, const std::wstring& captureRoot,
                      const std::wstring& serverFile, DWORD timeoutMs);

}  // namespace twregspy
