#include "support/ConsoleRun.h"

#include <windows.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace twtest {
namespace {

std::string Text(const std::wstring& path) {
  std::vector<uint8_t> bytes = ReadBytes(path);
  std::string text;
  for (size_t at = 0; at < bytes.size(); ++at)  // "\r\n" read as "\n"
    if (!(bytes[at] == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n'))
      text += char(bytes[at]);
  return text;
}

}  // namespace

ConsoleRun::ConsoleRun(const std::wstring& commandLine) {
  // Temporary files rather than pipes: nothing can fill up while we wait.
  wchar_t dir[MAX_PATH], name[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  twutil::Handle files[2];
  for (int i = 0; i < 2; ++i) {
    GetTempFileNameW(dir, L"con", 0, name);
    names_[i] = name;
    files[i].Reset(CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
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
  for (int attempt = 0; attempt < 2 && !process_.Valid(); ++attempt) {
    if (attempt) Sleep(500);
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr,
                       nullptr, &startup, &process)) {
      process_.Reset(process.hProcess);
      CloseHandle(process.hThread);
    } else {
      startError_ = GetLastError();
    }
  }
}

ConsoleRun::~ConsoleRun() {
  for (const std::wstring& name : names_) DeleteFileW(name.c_str());
}

std::string ConsoleRun::Err() const { return Text(names_[1]); }

ConsoleResult ConsoleRun::Finish() {
  ConsoleResult result;
  if (process_.Valid()) {
    WaitForSingleObject(process_.Get(), INFINITE);
    GetExitCodeProcess(process_.Get(), &result.exitCode);
    result.out = Text(names_[0]);
    result.err = Text(names_[1]);
  } else {
    result.err = "CreateProcess failed with error " + std::to_string(startError_);
  }
  return result;
}

ConsoleResult RunConsole(const std::wstring& commandLine) {
  return ConsoleRun(commandLine).Finish();
}

}  // namespace twtest
