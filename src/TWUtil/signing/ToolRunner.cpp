#include "signing/ToolRunner.h"

#include <windows.h>

#include <vector>

#include "com/MessagePumpWait.h"
#include "com/Owners.h"
#include "signing/OutputLines.h"
#include "signing/OutputPipe.h"

namespace twutil {
namespace {
constexpr DWORD kCreationFlags = DETACHED_PROCESS | NORMAL_PRIORITY_CLASS;  // 0x28: no console

// The runner's wait: woken by any input, posted, sent, timer, paint or
// hot-key message (0xFF); every message is dispatched, WM_QUIT too, and the
// process is tested after each. Finished reads of the pipe are collected as
// they come, so the tool never blocks on a full pipe; no time-out.
void WaitForTool(HANDLE process, OutputPipe& pipe) {
  static constexpr PumpRules kRules{0xFF, 0, false, true};
  for (;;) {
    HANDLE handles[2] = {process, pipe.ReadFinished()};
    const DWORD count = handles[1] ? 2 : 1;
    if (WaitPumpingMessages(handles, count, INFINITE, kRules) != 1) return;
    pipe.OnReadFinished();
  }
}

}  // namespace

long ToolRunner::Run(const std::wstring& commandLine) {
  OutputPipe pipe;
  // Without a pipe the tool would get unset handles: it is not started.
  if (!pipe.Create()) return 0;

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = pipe.OutputEnd();
  startup.hStdError = pipe.ErrorEnd();

  // CreateProcessW may write into the command line.
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  PROCESS_INFORMATION process = {};
  long result = 1;
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, kCreationFlags, nullptr,
                      nullptr, &startup, &process)) {
    result = 0;
  } else {
    Handle processHandle(process.hProcess);
    Handle threadHandle(process.hThread);
    WaitForTool(processHandle.Get(), pipe);
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(processHandle.Get(), &exitCode) || exitCode != 0) result = 0;
  }
  pipe.CloseWriteEnds();
  pipe.Drain();
  RelayOutputLines(pipe.Output(), output_);
  return result;
}

}  // namespace twutil
