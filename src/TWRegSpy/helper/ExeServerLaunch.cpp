#include "ExeServerLaunch.h"

#include <windows.h>
// psapi.h needs the types of windows.h.
#include <psapi.h>

#include <cwchar>
#include <map>

#include "capture/ServerRegistration.h"
#include "com/Owners.h"

namespace twregspy {
namespace {

constexpr BYTE kBreakpointInstruction = 0xCC;
constexpr UINT kKilledExitCode = 0xDEAD;

// LoadLibraryW as the server's process sees it: same offset into kernel32,
// whose base may differ between processes.
void* RemoteLoadLibrary(HANDLE process) {
  HMODULE localKernel = GetModuleHandleW(L"kernel32.dll");
  auto local = reinterpret_cast<BYTE*>(GetProcAddress(localKernel, "LoadLibraryW"));
  if (!local) return nullptr;
  HMODULE modules[512];
  DWORD needed = 0;
  if (EnumProcessModules(process, modules, sizeof(modules), &needed)) {
    size_t count = needed / sizeof(HMODULE);
    if (count > 512) count = 512;
    for (size_t i = 0; i < count; ++i) {
      wchar_t name[64];
      if (GetModuleBaseNameW(process, modules[i], name, 64) && _wcsicmp(name, L"kernel32.dll") == 0)
        return reinterpret_cast<BYTE*>(modules[i]) + (local - reinterpret_cast<BYTE*>(localKernel));
    }
  }
  return local;
}

class RedirectedLaunch {
 public:
  RedirectedLaunch(HANDLE process, DWORD processId, const std::wstring& hookPath)
      : process_(process), hookPath_(hookPath) {
    std::wstring name = kRedirectedEventPrefix + std::to_wstring(processId);
    redirected_ = twutil::Handle(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
  }

  // Handles debug events until the server's process is gone.
  HelperResult Run() {
    if (!redirected_.Valid()) {
      TerminateProcess(process_, kKilledExitCode);
      result_ = kHelperNotRedirected;
    }
    for (;;) {
      DEBUG_EVENT event = {};
      if (!WaitForDebugEvent(&event, INFINITE)) return kHelperFailed;
      DWORD status = OnEvent(event);
      bool ended = event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT;
      ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
      if (ended) break;
    }
    if (!injected_ && result_ == kHelperRegistered) result_ = kHelperFailed;
    return result_;
  }

 private:
  DWORD OnEvent(const DEBUG_EVENT& event) {
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT: {
        const CREATE_PROCESS_DEBUG_INFO& info = event.u.CreateProcessInfo;
        if (info.hFile) CloseHandle(info.hFile);
        threads_[event.dwThreadId] = info.hThread;
        ArmEntry(info);
        return DBG_CONTINUE;
      }
      case CREATE_THREAD_DEBUG_EVENT:
        threads_[event.dwThreadId] = event.u.CreateThread.hThread;
        return DBG_CONTINUE;
      case EXIT_THREAD_DEBUG_EVENT:
        threads_.erase(event.dwThreadId);
        if (event.dwThreadId == loaderThread_) ReleaseServer();
        return DBG_CONTINUE;
      case LOAD_DLL_DEBUG_EVENT:
        if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
        return DBG_CONTINUE;
      case EXCEPTION_DEBUG_EVENT:
        return OnException(event);
      default:
        return DBG_CONTINUE;
    }
  }

  void ArmEntry(const CREATE_PROCESS_DEBUG_INFO& info) {
    entry_ = reinterpret_cast<BYTE*>(info.lpStartAddress);
    SIZE_T done = 0;
    if (!entry_ || !ReadProcessMemory(process_, entry_, &savedByte_, 1, &done) || done != 1 ||
        !WriteProcessMemory(process_, entry_, &kBreakpointInstruction, 1, &done) || done != 1) {
      Abandon();
      return;
    }
    FlushInstructionCache(process_, entry_, 1);
    armed_ = true;
  }

  DWORD OnException(const DEBUG_EVENT& event) {
    const EXCEPTION_RECORD& record = event.u.Exception.ExceptionRecord;
    auto* at = static_cast<BYTE*>(record.ExceptionAddress);
    if (record.ExceptionCode == EXCEPTION_BREAKPOINT && armed_ &&
        (at == entry_ || at == entry_ + 1)) {
      OnEntryReached(event.dwThreadId);
      return DBG_CONTINUE;
    }
    if (record.ExceptionCode == EXCEPTION_BREAKPOINT) return DBG_CONTINUE;
    if (event.u.Exception.dwFirstChance) return DBG_EXCEPTION_NOT_HANDLED;
    // Nobody in the server handled it: the server dies here rather than in a
    // crash dialog.
    result_ = kHelperCrashed;
    TerminateProcess(process_, kKilledExitCode);
    return DBG_EXCEPTION_NOT_HANDLED;
  }

  // The server stands at its entry point with its imports loaded: put the
  // instruction back, hold the thread, and load the hook in a new thread.
  void OnEntryReached(DWORD threadId) {
    armed_ = false;
    SIZE_T done = 0;
    WriteProcessMemory(process_, entry_, &savedByte_, 1, &done);
    FlushInstructionCache(process_, entry_, 1);
    auto thread = threads_.find(threadId);
    if (done != 1 || thread == threads_.end() || !RewindTo(thread->second, entry_)) {
      Abandon();
      return;
    }
    mainThread_ = thread->second;
    SuspendThread(mainThread_);
    if (!StartHookLoader()) Abandon();
  }

  static bool RewindTo(HANDLE thread, BYTE* address) {
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_CONTROL;
    if (!GetThreadContext(thread, &context)) return false;
#ifdef _WIN64
    context.Rip = reinterpret_cast<DWORD64>(address);
#else
    context.Eip = reinterpret_cast<DWORD>(address);
#endif
    return SetThreadContext(thread, &context) != FALSE;
  }

  bool StartHookLoader() {
    SIZE_T bytes = (hookPath_.size() + 1) * sizeof(wchar_t);
    void* remotePath =
        VirtualAllocEx(process_, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    SIZE_T done = 0;
    if (!remotePath || !WriteProcessMemory(process_, remotePath, hookPath_.c_str(), bytes, &done) ||
        done != bytes)
      return false;
    void* loadLibrary = RemoteLoadLibrary(process_);
    if (!loadLibrary) return false;
    twutil::Handle loader(CreateRemoteThread(process_, nullptr, 0,
                                             reinterpret_cast<LPTHREAD_START_ROUTINE>(loadLibrary),
                                             remotePath, 0, &loaderThread_));
    return loader.Valid();
  }

  // The hook has run: the server goes on only when it confirmed the
  // redirection.
  void ReleaseServer() {
    if (WaitForSingleObject(redirected_.Get(), 0) != WAIT_OBJECT_0) {
      Abandon();
      return;
    }
    injected_ = true;
    ResumeThread(mainThread_);
  }

  void Abandon() {
    result_ = kHelperNotRedirected;
    TerminateProcess(process_, kKilledExitCode);
  }

  HANDLE process_;
  std::wstring hookPath_;
  twutil::Handle redirected_;
  std::map<DWORD, HANDLE> threads_;  // closed by the debugging system
  BYTE* entry_ = nullptr;
  BYTE savedByte_ = 0;
  bool armed_ = false;
  bool injected_ = false;
  DWORD loaderThread_ = 0;
  HANDLE mainThread_ = nullptr;
  HelperResult result_ = kHelperRegistered;
};

}  // namespace

HelperResult RegisterExecutableRedirected(const wchar_t* serverPath, const wchar_t* captureRoot,
                                          const std::wstring& hookPath) {
  wchar_t commandLine[twutil::kRegistrationBufferChars];
  if (!twutil::BuildRegistrationCommandLine(commandLine, twutil::kRegistrationBufferChars,
                                            serverPath, L" /regserver"))
    return kHelperFailed;
  // The server's process inherits the capture root with the environment.
  if (!SetEnvironmentVariableW(kCaptureRootVariable, captureRoot)) return kHelperNotRedirected;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE,
                      DEBUG_ONLY_THIS_PROCESS | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                      &started))
    return kHelperFailed;
  twutil::Handle process(started.hProcess);
  twutil::Handle thread(started.hThread);
  RedirectedLaunch launch(started.hProcess, started.dwProcessId, hookPath);
  return launch.Run();
}

}  // namespace twregspy
