// What became of one file of a capture; passed to OnFileFinished as its
// status argument and described by LastReport.
#pragma once

#include <windows.h>

namespace twregspy {

enum FileOutcome : LONG {
  kFileRegistered = 0,  // the registration ran and succeeded
  kFileFailed = 1,      // it ran and failed, or the file could not be loaded
  kFileNotAServer = 2,  // nothing to register by the file's name
  kFileEnded = 3,       // the server crashed or ended the process: nothing captured
  kFileTimedOut = 4,    // the server did not finish in time: nothing captured
  kFileNotRun = 5,      // no helper could run it redirected: nothing captured
};

// Whether the capture area must be emptied again after such a file.
inline bool DiscardsCapture(FileOutcome outcome) {
  return outcome == kFileEnded || outcome == kFileTimedOut || outcome == kFileNotRun;
}

const wchar_t* DescribeOutcome(FileOutcome outcome);

}  // namespace twregspy
