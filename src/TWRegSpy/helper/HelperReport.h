// What a helper process tells the spy about one file: a small record written
// to the pipe handle named on its command line just before it ends. A helper
// that ends without writing one did not finish (the server crashed or ended
// the process).
#pragma once

#include <windows.h>

namespace twregspy {

constexpr DWORD kReportMagic = 0x53525754;  // "TWRS"

enum HelperResult : DWORD {
  kHelperRegistered = 0,     // the server's registration ran and succeeded
  kHelperFailed = 1,         // it ran and failed, or the file could not be loaded
  kHelperNotAServer = 2,     // no DLL, OCX, EXE or type library by its name
  kHelperNotRedirected = 3,  // the redirection could not be set up: nothing ran
  kHelperCrashed = 4,        // an executable server died of an exception
};

struct HelperReport {
  DWORD magic;
  DWORD result;
};

// Environment variable through which an executable server's process learns
// the capture root, and the event by which it confirms its redirection.
constexpr wchar_t kCaptureRootVariable[] = L"TWREGSPY_CAPTURE_ROOT";
constexpr wchar_t kRedirectedEventPrefix[] = L"Local\\TWRegSpyRedirected-";

}  // namespace twregspy
