// The console front door, twutil.exe, as a user meets it before any capture
// runs: help, wrong arguments and files that are not there.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/TestSupport.h"

namespace {

struct ConsoleRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string out, err;
};

std::string ReadAll(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs twutil.exe with the arguments (a command-line tail), its streams in files.
ConsoleRun Twutil(const std::wstring& arguments) {
  twtest::TempDir temp;
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  auto stream = [&](const wchar_t* name) {
    return CreateFileW((temp.Path() + name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                       CREATE_ALWAYS, 0, nullptr);
  };
  twutil::Handle out(stream(L"out.txt")), err(stream(L"err.txt"));
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out.Get();
  startup.hStdError = err.Get();
  std::wstring commandLine = L"\"" + twtest::BinDir() + L"twutil.exe\" " + arguments;
  PROCESS_INFORMATION process = {};
  ConsoleRun run;
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process)) {
    ADD_FAILURE() << "twutil.exe does not start";
    return run;
  }
  twutil::Handle processHandle(process.hProcess), thread(process.hThread);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
  GetExitCodeProcess(process.hProcess, &run.exitCode);
  out.Reset();
  err.Reset();
  run.out = ReadAll(temp.Path() + L"out.txt");
  run.err = ReadAll(temp.Path() + L"err.txt");
  return run;
}

TEST(Console, HelpUsageErrorsAndFilesThatCannotBeServers) {
  twtest::TempDir temp;
  // Without the folder's last backslash, which would escape the quote.
  const std::wstring folder = temp.Path().substr(0, temp.Path().size() - 1);
  const struct {
    std::wstring arguments;
    DWORD exitCode;
    const char* says;
  } cases[] = {
      {L"--help", 0, "[--destination FOLDER] FILE..."},
      {L"capture --help", 0, "JSON"},
      {L"", 2, "usage: twutil COMMAND"},
      {L"frobnicate", 2, "unknown command \"frobnicate\""},
      {L"capture", 2, "no server file given"},
      {L"capture --frob x.dll", 2, "unknown option --frob"},
      {L"capture x.dll --destination", 2, "--destination needs a folder"},
      {L"capture \"" + temp.Path() + L"missing.dll\"", 1, "no such file"},
      {L"capture \"" + folder + L"\"", 1, "a folder, not a server file"},
      {L"capture " + std::wstring(300, L'x') + L".dll", 1, ""},
  };
  for (const auto& c : cases) {
    ConsoleRun run = Twutil(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "") << c.arguments;  // all of it goes to the error stream
  }
}

}  // namespace
