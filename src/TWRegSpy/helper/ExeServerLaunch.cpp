#include "ExeServerLaunch.h"

#include <windows.h>
// psapi.h needs the types of windows.h.
#include <psapi.h>

#include <cstring>
#include <cwchar>
#include <map>
#include <string>

#include "DialogWatcher.h"
#include "com/Owners.h"
#include "servers/ServerRegistration.h"

namespace twregspy {
namespace {

constexpr BYTE kBreakpointInstruction = 0xCC;
constexpr UINT kKilledExitCode = 0xDEAD;
constexpr SIZE_T kMaxDebugStringBytes = 2048;

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

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
  RedirectedLaunch(HANDLE process, DWORD processId, const std::wstring& hookPath, NoteSink notes)
      : process_(process), hookPath_(hookPath), notes_(notes) {
    std::wstring name = kRedirectedEventPrefix + std::to_wstring(processId);
    redirected_ = twutil::Handle(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
  }

  // Handles debug events until the server's process is gone.
  HelperOutcome Run() {
    if (!redirected_.Valid()) Abandon();
    for (;;) {
      DEBUG_EVENT event = {};
      if (!WaitForDebugEvent(&event, INFINITE)) return {kHelperNotRedirected, GetLastError()};
      DWORD status = OnEvent(event);
      bool ended = event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT;
      if (ended && outcome_.result == kHelperRegistered && event.u.ExitProcess.dwExitCode != 0)
        outcome_ = {kHelperExitCode, event.u.ExitProcess.dwExitCode};
      ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
      if (ended) break;
    }
    if (!injected_ && outcome_.result == kHelperRegistered) outcome_ = {kHelperNotRedirected, 0};
    return outcome_;
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
      case OUTPUT_DEBUG_STRING_EVENT:
        OnDebugString(event.u.DebugString);
        return DBG_CONTINUE;
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
    outcome_ = {kHelperCrashed, record.ExceptionCode};
    TerminateProcess(process_, kKilledExitCode);
    return DBG_EXCEPTION_NOT_HANDLED;
  }

  // The hook's notes; any other debug output of the server is its own.
  void OnDebugString(const OUTPUT_DEBUG_STRING_INFO& info) {
    const SIZE_T prefixBytes = sizeof(kChildNotePrefix) - 1;
    SIZE_T bytes = info.nDebugStringLength;
    if (info.fUnicode || bytes <= prefixBytes || bytes > kMaxDebugStringBytes) return;
    std::string text(bytes, '\0');
    SIZE_T done = 0;
    if (!ReadProcessMemory(process_, info.lpDebugStringData, &text[0], bytes, &done) ||
        done != bytes)
      return;
    text.resize(strnlen(text.c_str(), bytes));
    if (text.compare(0, prefixBytes, kChildNotePrefix) != 0) return;
    if (notes_) notes_(FromUtf8(text.substr(prefixBytes)));
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
    outcome_ = {kHelperNotRedirected, 0};
    TerminateProcess(process_, kKilledExitCode);
  }

  HANDLE process_;
  std::wstring hookPath_;
  NoteSink notes_;
  twutil::Handle redirected_;
  std::map<DWORD, HANDLE> threads_;  // closed by the debugging system
  BYTE* entry_ = nullptr;
  BYTE savedByte_ = 0;
  bool armed_ = false;
  bool injected_ = false;
  DWORD loaderThread_ = 0;
  HANDLE mainThread_ = nullptr;
  HelperOutcome outcome_ = {kHelperRegistered, 0};
};

}  // namespace

HelperOutcome RegisterExecutableRedirected(const wchar_t* serverPath, const wchar_t* captureRoot,
                                           const std::wstring& hookPath, NoteSink notes) {
  wchar_t commandLine[twutil::kRegistrationBufferChars];
  if (!twutil::BuildRegistrationCommandLine(commandLine, twutil::kRegistrationBufferChars,
                                            serverPath, L" /regserver"))
    return {kHelperNotStarted, ERROR_FILENAME_EXCED_RANGE};
  // The server's process inherits the capture root with the environment.
  if (!SetEnvironmentVariableW(kCaptureRootVariable, captureRoot)) return {kHelperNotRedirected, 0};
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE,
                      DEBUG_ONLY_THIS_PROCESS | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                      &started))
    return {kHelperNotStarted, GetLastError()};
  twutil::Handle process(started.hProcess);
  twutil::Handle thread(started.hThread);
  DialogWatcher dialogs(started.dwProcessId, notes);
  RedirectedLaunch launch(started.hProcess, started.dwProcessId, hookPath, notes);
  return launch.Run();
}

}  // namespace twregspy
