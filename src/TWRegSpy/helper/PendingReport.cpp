#include "PendingReport.h"

namespace twregspy {
namespace {

HANDLE pipe = nullptr;
CRITICAL_SECTION guard;
HelperReport pending;
LONG written = 0;
LONG watched = 0;
LONG beyondSave = 0;

}  // namespace

void StartReport(HANDLE reportPipe) {
  InitializeCriticalSection(&guard);
  pipe = reportPipe;
}

void AddReportNote(const std::wstring& note) {
  EnterCriticalSection(&guard);
  pending.AddNote(note);
  LeaveCriticalSection(&guard);
}

void WatchKeysBeyondSave() { InterlockedExchange(&watched, 1); }

void NoteKeyBeyondSave() { InterlockedExchange(&beyondSave, 1); }

void FinishReport(HelperOutcome outcome) {
  if (InterlockedExchange(&written, 1) != 0) return;
  // From the crash filter the lock may be held by the thread that crashed:
  // the report then goes without its notes.
  bool locked = false;
  for (int attempt = 0; attempt < 20 && !locked; ++attempt) {
    locked = TryEnterCriticalSection(&guard) != FALSE;
    if (!locked) Sleep(10);
  }
  HelperReport report;
  if (locked) report = pending;
  report.result = outcome.result;
  report.code = outcome.code;
  if (InterlockedCompareExchange(&watched, 0, 0) && !InterlockedCompareExchange(&beyondSave, 0, 0))
    report.flags = kReportSaveShowsArea;
  if (locked) LeaveCriticalSection(&guard);
  const std::vector<BYTE> bytes = EncodeReport(report);
  DWORD done = 0;
  WriteFile(pipe, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
}

}  // namespace twregspy
