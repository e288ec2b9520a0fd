// Error information that the spy leaves for its caller.
#pragma once

#include <windows.h>

namespace twregspy {

// Installs an error object (source "TWRegSpy", the spy interface's IID) and
// returns hr.
HRESULT ReportError(HRESULT hr, const wchar_t* description);

}  // namespace twregspy
