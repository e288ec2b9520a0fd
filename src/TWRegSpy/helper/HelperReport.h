// What a helper process tells the spy about one file: a record written to the
// pipe handle named on its command line just before it ends. A helper that
// ends without writing one did not finish (the server ended the process).
//
// Layout: a head (magic, result, code, note count, flags), then each note as
// a character count and that many UTF-16 units. Notes say what the helper did
// on the server's behalf (a dialog closed, a child process stopped). Both
// ends hold the report to the same bounds; the reader trusts nothing else.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace twregspy {

constexpr DWORD kReportMagic = 0x33525754;  // "TWR3"
constexpr size_t kMaxReportNotes = 16;
constexpr size_t kMaxNoteChars = 400;

enum HelperResult : DWORD {
  kHelperRegistered = 0,     // the server's registration ran and succeeded
  kHelperEntryFailed = 1,    // code: what DllRegisterServer returned
  kHelperNotAServer = 2,     // no DLL, OCX, EXE or type library by its name
  kHelperNotRedirected = 3,  // the redirection could not be set up: nothing ran
  kHelperCrashed = 4,        // code: the exception that killed the server
  kHelperExitCode = 5,       // code: an executable server's non-zero exit code
  kHelperNotLoaded = 6,      // code: why the library could not be loaded
  kHelperNoEntry = 7,        // the library exports no DllRegisterServer
  kHelperTypeLibFailed = 8,  // code: what loading or registering the type library returned
  kHelperNotStarted = 9,     // code: why the executable server could not be started
};

// The registration ran under the helper's watch and asked for no key that a
// save of the capture area leaves out or shows otherwise (volatile keys,
// links): the save alone shows the area.
constexpr DWORD kReportSaveShowsArea = 1;

// How a registration ended, as the helper saw it.
struct HelperOutcome {
  HelperResult result;
  DWORD code;
};

struct HelperReport {
  DWORD result = kHelperRegistered;
  DWORD code = 0;
  DWORD flags = 0;
  std::vector<std::wstring> notes;

  // Keeps the report within its bounds: later notes are dropped, long ones cut.
  void AddNote(const std::wstring& note);
};

// Head and notes as they go through the pipe.
std::vector<BYTE> EncodeReport(const HelperReport& report);
// False for anything but one whole report within the bounds.
bool DecodeReport(const BYTE* bytes, size_t size, HelperReport* report);
// The largest encoded report.
constexpr size_t kMaxReportBytes =
    5 * sizeof(DWORD) + kMaxReportNotes * (sizeof(DWORD) + kMaxNoteChars * sizeof(wchar_t));

// Environment variable through which an executable server's process learns
// the capture root, and the event by which it confirms its redirection.
constexpr wchar_t kCaptureRootVariable[] = L"TWREGSPY_CAPTURE_ROOT";
constexpr wchar_t kRedirectedEventPrefix[] = L"Local\\TWRegSpyRedirected-";
// The prefix of the debug strings by which the hook in an executable server
// tells the helper about child processes it stopped (UTF-8 after it).
constexpr char kChildNotePrefix[] = "TWRegSpy note: ";

}  // namespace twregspy
