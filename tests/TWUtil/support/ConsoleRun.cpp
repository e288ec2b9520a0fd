#include "support/ConsoleRun.h"

#include <windows.h>

#include <string>
#include <vector>

#include "com/Owners.h"

namespace twtest {
namespace {

// A temporary file rather than a pipe: nothing can fill up while we wait.
class OutputFile {
 public:
  OutputFile() {
    wchar_t dir[MAX_PATH], name[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"con", 0, name);
    path_ = name;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    handle_ = twutil::Handle(CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr));
  }
  ~OutputFile() { DeleteFileW(path_.c_str()); }
  HANDLE Handle() const { return handle_.Get(); }
  // The text with "\r\n" read as "\n".
  std::string Read() {
    handle_.Reset();
    twutil::Handle file(CreateFileW(path_.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    std::string bytes(file.Valid() ? GetFileSize(file.Get(), nullptr) : 0, '\0'), text;
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(file.Get(), &bytes[0], DWORD(bytes.size()), &read, nullptr);
    for (size_t i = 0; i < bytes.size(); ++i)
      if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) text += bytes[i];
    return text;
  }

 private:
  std::wstring path_;
  twutil::Handle handle_;
};

}  // namespace

ConsoleResult RunConsole(const std::wstring& commandLine) {
  ConsoleResult result;
  OutputFile out, err;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out.Handle();
  startup.hStdError = err.Handle();
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
  if (!started) {
    result.err = "CreateProcess failed with error " + std::to_string(error);
    return result;
  }
  twutil::Handle processHandle(process.hProcess), thread(process.hThread);
  WaitForSingleObject(processHandle.Get(), INFINITE);
  GetExitCodeProcess(processHandle.Get(), &result.exitCode);
  result.out = out.Read();
  result.err = err.Read();
  return result;
}

}  // namespace twtest
