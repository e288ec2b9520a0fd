#include "HelperProcess.h"

#include <vector>

#include "com/MessagePumpWait.h"
#include "com/Owners.h"
#include "helper/HelperReport.h"

namespace twregspy {
namespace {

using twutil::Handle;

constexpr DWORD kTimedOutExitCode = 0x544F;  // "TO"
constexpr DWORD kTerminationWaitMs = 5000;

// Child processes of a server are stopped where they are started; the
// process limit is the second line, where the system enforces it.
Handle KillOnCloseJob(DWORD processLimit) {
  Handle job(CreateJobObjectW(nullptr, nullptr));
  if (!job.Valid()) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags =
      JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_ACTIVE_PROCESS;
  limits.BasicLimitInformation.ActiveProcessLimit = processLimit;
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

// The report when one whole report is there; a helper that wrote none ended
// early, and one whose report does not read is not to be trusted.
FileReport ReadReport(HANDLE pipe, HANDLE process) {
  DWORD available = 0;
  if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available == 0) {
    DWORD exitCode = 0;
    GetExitCodeProcess(process, &exitCode);
    return EndedProcess(exitCode);
  }
  std::vector<BYTE> bytes(kMaxReportBytes + 1);
  DWORD read = 0;
  HelperReport report;
  if (!ReadFile(pipe, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
      !DecodeReport(bytes.data(), read, &report))
    return NotRun(L"the helper's report could not be read");
  return FromHelper(report);
}

}  // namespace

FileReport RunHelper(const std::wstring& helperPath, const std::wstring& captureRoot,
                     const std::wstring& serverFile, LONG timeoutSeconds, DWORD processLimit) {
  SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
  Handle reportRead, reportWrite;
  // Room for the largest report: the helper writes it before anyone reads.
  if (!CreatePipe(reportRead.Put(), reportWrite.Put(), &inheritable,
                  static_cast<DWORD>(kMaxReportBytes)) ||
      !SetHandleInformation(reportRead.Get(), HANDLE_FLAG_INHERIT, 0))
    return NotRun(L"no pipe for the helper's report (error " + std::to_wstring(GetLastError()) +
                  L")");

  std::wstring commandLine = L"\"" + helperPath + L"\" " +
                             std::to_wstring(reinterpret_cast<ULONG_PTR>(reportWrite.Get())) +
                             L" \"" + captureRoot + L"\" \"" + serverFile + L"\"";
  PROCESS_INFORMATION started = {};
  if (!StartSuspended(helperPath, commandLine, reportWrite.Get(), &started))
    return NotRun(L"the helper could not be started (error " + std::to_wstring(GetLastError()) +
                  L")");
  Handle process(started.hProcess);
  Handle thread(started.hThread);
  reportWrite.Reset();

  Handle job = KillOnCloseJob(processLimit);
  if (job.Valid() && !AssignProcessToJobObject(job.Get(), process.Get())) job.Reset();
  ResumeThread(thread.Get());

  if (!twutil::WaitPumpingMessages(process.Get(), static_cast<DWORD>(timeoutSeconds) * 1000)) {
    if (job.Valid()) TerminateJobObject(job.Get(), kTimedOutExitCode);
    TerminateProcess(process.Get(), kTimedOutExitCode);
    WaitForSingleObject(process.Get(), kTerminationWaitMs);
    return TimedOut(timeoutSeconds);
  }
  return ReadReport(reportRead.Get(), process.Get());
}

}  // namespace twregspy
