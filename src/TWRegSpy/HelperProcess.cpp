#include "HelperProcess.h"

#include <vector>

#include "MessagePumpWait.h"
#include "com/Owners.h"
#include "helper/HelperReport.h"

namespace twregspy {
namespace {

using twutil::Handle;

constexpr DWORD kTimedOutExitCode = 0x544F;  // "TO"
constexpr DWORD kTerminationWaitMs = 5000;

Handle KillOnCloseJob() {
  Handle job(CreateJobObjectW(nullptr, nullptr));
  if (!job.Valid()) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits,
                               sizeof(limits)))
    job.Reset();
  return job;
}

// Starts the helper suspended, inheriting only the report pipe where the
// system allows to say so.
bool StartSuspended(const std::wstring& helperPath, std::wstring commandLine, HANDLE pipe,
                    PROCESS_INFORMATION* started) {
  const DWORD flags = CREATE_SUSPENDED | CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS;
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::vector<BYTE> storage(size ? size : 1);
  auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
  HANDLE inherited[] = {pipe};
  if (size && InitializeProcThreadAttributeList(attributes, 1, 0, &size)) {
    STARTUPINFOEXW startup = {};
    startup.StartupInfo.cb = sizeof(startup);
    startup.lpAttributeList = attributes;
    bool ok = UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                        sizeof(inherited), nullptr, nullptr) &&
              CreateProcessW(helperPath.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                             flags | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr,
                             &startup.StartupInfo, started);
    DeleteProcThreadAttributeList(attributes);
    if (ok) return true;
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  return CreateProcessW(helperPath.c_str(), &commandLine[0], nullptr, nullptr, TRUE, flags, nullptr,
                        nullptr, &startup, started) != FALSE;
}

FileOutcome ReadReport(HANDLE pipe) {
  DWORD available = 0;
  HelperReport report = {};
  DWORD read = 0;
  if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) ||
      available < sizeof(report) || !ReadFile(pipe, &report, sizeof(report), &read, nullptr) ||
      read != sizeof(report) || report.magic != kReportMagic)
    return kFileEnded;
  switch (report.result) {
    case kHelperRegistered:
      return kFileRegistered;
    case kHelperFailed:
      return kFileFailed;
    case kHelperNotAServer:
      return kFileNotAServer;
    case kHelperNotRedirected:
      return kFileNotRun;
    default:
      return kFileEnded;
  }
}

}  // namespace

FileOutcome RunHelper(const std::wstring& helperPath, const std::wstring& captureRoot,
                      const std::wstring& serverFile, DWORD timeoutMs) {
  SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
  Handle reportRead, reportWrite;
  if (!CreatePipe(reportRead.Put(), reportWrite.Put(), &inheritable, 0) ||
      !SetHandleInformation(reportRead.Get(), HANDLE_FLAG_INHERIT, 0))
    return kFileNotRun;

  std::wstring commandLine = L"\"" + helperPath + L"\" " +
                             std::to_wstring(reinterpret_cast<ULONG_PTR>(reportWrite.Get())) +
                             L" \"" + captureRoot + L"\" \"" + serverFile + L"\"";
  PROCESS_INFORMATION started = {};
  if (!StartSuspended(helperPath, commandLine, reportWrite.Get(), &started)) return kFileNotRun;
  Handle process(started.hProcess);
  Handle thread(started.hThread);
  reportWrite.Reset();

  Handle job = KillOnCloseJob();
  if (job.Valid() && !AssignProcessToJobObject(job.Get(), process.Get())) job.Reset();
  ResumeThread(thread.Get());

  if (!WaitPumpingMessages(process.Get(), timeoutMs)) {
    if (job.Valid()) TerminateJobObject(job.Get(), kTimedOutExitCode);
    TerminateProcess(process.Get(), kTimedOutExitCode);
    WaitForSingleObject(process.Get(), kTerminationWaitMs);
    return kFileTimedOut;
  }
  return ReadReport(reportRead.Get());
}

}  // namespace twregspy
