// The report of this helper while the server registers: notes arrive from
// the dialog watcher's thread and from refused process starts, and the report
// is written once, at the end or from the crash filter, whichever comes first.
#pragma once

#include <windows.h>

#include <string>

#include "HelperReport.h"

namespace twregspy {

void StartReport(HANDLE pipe);
void AddReportNote(const std::wstring& note);
// From here on every registry call of the server passes the helper's watch
// (a server in this process, not an executable server's own process).
void WatchKeysBeyondSave();
// The server asked for a key that a save of the area does not show as it is.
void NoteKeyBeyondSave();
// Writes the report with the notes so far; later calls write nothing.
void FinishReport(HelperOutcome outcome);

}  // namespace twregspy
