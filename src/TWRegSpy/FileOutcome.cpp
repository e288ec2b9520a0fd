#include "FileOutcome.h"

namespace twregspy {

const wchar_t* DescribeOutcome(FileOutcome outcome) {
  switch (outcome) {
    case kFileRegistered:
      return L"registered";
    case kFileFailed:
      return L"registration failed";
    case kFileNotAServer:
      return L"not a server file";
    case kFileEnded:
      return L"ended before finishing";
    case kFileTimedOut:
      return L"timed out";
    default:
      return L"not run";
  }
}

}  // namespace twregspy
