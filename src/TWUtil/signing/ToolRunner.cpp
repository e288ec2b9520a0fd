#include "signing/ToolRunner.h"

#include <windows.h>

#include <vector>

#include "com/Owners.h"
#include "signing/OutputLines.h"
#include "signing/OutputPipe.h"
#include "signing/PumpingWait.h"

namespace twutil {
namespace {
constexpr DWORD kCreationFlags = DETACHED_PROCESS | NORMAL_PRIORITY_CLASS;  // 0x28: no console
}

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
    WaitPumpingMessages(processHandle.Get(), pipe);
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(processHandle.Get(), &exitCode) || exitCode != 0) result = 0;
  }
  pipe.CloseWriteEnds();
  pipe.Drain();
  RelayOutputLines(pipe.Output(), output_);
  return result;
}

}  // namespace twutil
