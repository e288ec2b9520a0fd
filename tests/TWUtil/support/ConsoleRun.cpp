#include "support/ConsoleRun.h"

#include <windows.h>

#include <string>
#include <vector>

#include "com/Owners.h"
#include "support/TestSupport.h"

namespace twtest {

ConsoleResult RunConsole(const std::wstring& commandLine) {
  ConsoleResult result;
  // Temporary files rather than pipes: nothing can fill up while we wait.
  wchar_t dir[MAX_PATH], names[2][MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  twutil::Handle files[2];
  for (int i = 0; i < 2; ++i) {
    GetTempFileNameW(dir, L"con", 0, names[i]);
    files[i].Reset(CreateFileW(names[i], GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_TEMPORARY, nullptr));
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = files[0].Get();
  startup.hStdError = files[1].Get();
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  PROCESS_INFORMATION process = {};
  // Seen once under a loaded CI machine: Wine failed to start the program.
  // A second try tells a passing hiccup from a real failure, which then
  // shows its error code.
  bool started = false;
  DWORD error = 0;
  for (int attempt = 0; attempt < 2 && !started; ++attempt) {
    if (attempt) Sleep(500);
    started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS,
                             nullptr, nullptr, &startup, &process) != FALSE;
    if (!started) error = GetLastError();
  }
  if (started) {
    twutil::Handle processHandle(process.hProcess), thread(process.hThread);
    WaitForSingleObject(processHandle.Get(), INFINITE);
    GetExitCodeProcess(processHandle.Get(), &result.exitCode);
  }
  std::string* texts[] = {&result.out, &result.err};
  for (int i = 0; i < 2; ++i) {
    files[i].Reset();
    std::vector<uint8_t> bytes = ReadBytes(names[i]);
    DeleteFileW(names[i]);
    for (size_t at = 0; at < bytes.size(); ++at)  // "\r\n" read as "\n"
      if (!(bytes[at] == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n'))
        *texts[i] += char(bytes[at]);
  }
  if (!started) result.err = "CreateProcess failed with error " + std::to_string(error);
  return result;
}

}  // namespace twtest
