#include "FileOutcome.h"

#include <cwchar>

namespace twregspy {
namespace {

std::wstring Hex(DWORD value) {
  wchar_t text[16];
  swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(value));
  return text;
}

FileReport Report(FileOutcome outcome, const std::wstring& detail) {
  FileReport report;
  report.outcome = outcome;
  report.detail = detail;
  return report;
}

// Notes come from the server's own texts: one line, whatever they hold.
std::wstring OneLine(std::wstring text) {
  for (wchar_t& c : text) {
    if (c < L' ' || c == 0x7F) c = L' ';
  }
  return text;
}

FileReport Described(const HelperReport& report) {
  const std::wstring code = std::to_wstring(report.code);
  switch (report.result) {
    case kHelperRegistered:
      return Report(kFileRegistered, L"registered");
    case kHelperEntryFailed:
      return Report(kFileFailed,
                    L"registration failed: DllRegisterServer returned " + Hex(report.code));
    case kHelperExitCode:
      return Report(kFileFailed, L"registration failed: /regserver exited with code " + code);
    case kHelperNotLoaded:
      return Report(kFileFailed,
                    L"registration failed: the file could not be loaded (error " + code + L")");
    case kHelperNoEntry:
      return Report(kFileFailed, L"registration failed: no DllRegisterServer in the file");
    case kHelperTypeLibFailed:
      return Report(kFileFailed,
                    L"registration failed: the type library returned " + Hex(report.code));
    case kHelperNotStarted:
      return Report(kFileFailed,
                    L"registration failed: the server could not be started (error " + code + L")");
    case kHelperNotAServer:
      return NotAServer();
    case kHelperNotRedirected:
      return NotRun(L"its registry could not be redirected");
    case kHelperCrashed:
      return Report(kFileCrashed, L"crashed: exception " + Hex(report.code));
    default:
      return NotRun(L"the helper's report made no sense");
  }
}

}  // namespace

FileReport FromHelper(const HelperReport& report) {
  FileReport described = Described(report);
  for (const std::wstring& note : report.notes) described.detail += L"; " + OneLine(note);
  described.saveShowsArea = (report.flags & kReportSaveShowsArea) != 0;
  return described;
}

FileReport EndedProcess(DWORD exitCode) {
  return Report(kFileEndedProcess,
                L"ended its process (exit code " + std::to_wstring(exitCode) + L")");
}

FileReport TimedOut(LONG seconds) {
  return Report(kFileTimedOut, L"timed out after " + std::to_wstring(seconds) + L" s");
}

FileReport NotAServer() { return Report(kFileNotAServer, L"not a server file"); }

FileReport NotRun(const std::wstring& why) { return Report(kFileNotRun, L"not run: " + why); }

}  // namespace twregspy
