// What became of one file of a capture: the outcome, passed to
// OnFileFinished as its status argument, and the one-line detail that
// LastReport gives meanwhile.
#pragma once

#include <windows.h>

#include <string>

#include "helper/HelperReport.h"

namespace twregspy {

enum FileOutcome : LONG {
  kFileRegistered = 0,    // the registration ran and succeeded
  kFileFailed = 1,        // it ran and failed, or the file could not be loaded
  kFileNotAServer = 2,    // nothing to register by the file's name
  kFileCrashed = 3,       // the server died of an exception: nothing captured
  kFileTimedOut = 4,      // the server did not finish in time: nothing captured
  kFileNotRun = 5,        // no helper could run it redirected: nothing captured
  kFileEndedProcess = 6,  // the server ended the process: nothing captured
};

struct FileReport {
  FileOutcome outcome = kFileNotRun;
  std::wstring detail;
  // The registry's save of the capture area shows it whole (kReportSaveShowsArea).
  bool saveShowsArea = false;
};

// Whether the capture area must be emptied again after such a file.
inline bool DiscardsCapture(FileOutcome outcome) {
  return outcome == kFileCrashed || outcome == kFileEndedProcess || outcome == kFileTimedOut ||
         outcome == kFileNotRun;
}

// A finished helper's report, with what it did on the server's behalf.
FileReport FromHelper(const HelperReport& report);
// A helper that ended without a report.
FileReport EndedProcess(DWORD exitCode);
FileReport TimedOut(LONG seconds);
FileReport NotAServer();
FileReport NotRun(const std::wstring& why);

}  // namespace twregspy
