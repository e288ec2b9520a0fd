// The console front door, twutil.exe, as a user meets it before any capture
// runs: help, wrong arguments and files that are not there.
#include <gtest/gtest.h>

#include <string>

#include "support/TestSupport.h"

namespace {

struct ConsoleRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string out, err;
};

std::string ReadAll(const std::wstring& path) {
  std::string text;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
    text.append(buffer, read);
  CloseHandle(file);
  return text;
}

// Runs twutil.exe with the arguments (a command-line tail), its streams in files.
ConsoleRun Twutil(const std::wstring& arguments) {
  twtest::TempDir temp;
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  std::wstring outPath = temp.Path() + L"out.txt", errPath = temp.Path() + L"err.txt";
  twutil::Handle out(CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, 0, nullptr));
  twutil::Handle err(CreateFileW(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, 0, nullptr));
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
  run.out = ReadAll(outPath);
  run.err = ReadAll(errPath);
  return run;
}

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

TEST(Console, HelpListsTheCommandsAndExplainsCapture) {
  ConsoleRun help = Twutil(L"--help");
  EXPECT_EQ(help.exitCode, 0u);
  EXPECT_TRUE(Contains(help.err, "capture [--destination FOLDER] FILE...")) << help.err;
  EXPECT_TRUE(help.out.empty());
  ConsoleRun capture = Twutil(L"capture --help");
  EXPECT_EQ(capture.exitCode, 0u);
  EXPECT_TRUE(Contains(capture.err, "JSON")) << capture.err;
}

TEST(Console, WrongArgumentsExitWithTwoAndSayWhy) {
  ConsoleRun none = Twutil(L"");
  EXPECT_EQ(none.exitCode, 2u);
  EXPECT_TRUE(Contains(none.err, "usage: twutil COMMAND"));
  ConsoleRun unknown = Twutil(L"frobnicate");
  EXPECT_EQ(unknown.exitCode, 2u);
  EXPECT_TRUE(Contains(unknown.err, "unknown command \"frobnicate\""));
  ConsoleRun noFile = Twutil(L"capture");
  EXPECT_EQ(noFile.exitCode, 2u);
  EXPECT_TRUE(Contains(noFile.err, "no server file given"));
  ConsoleRun option = Twutil(L"capture --frob x.dll");
  EXPECT_EQ(option.exitCode, 2u);
  EXPECT_TRUE(Contains(option.err, "unknown option --frob"));
  ConsoleRun destination = Twutil(L"capture x.dll --destination");
  EXPECT_EQ(destination.exitCode, 2u);
  EXPECT_TRUE(Contains(destination.err, "--destination needs a folder"));
}

TEST(Console, FilesThatCannotBeServersFailBeforeAnyCapture) {
  twtest::TempDir temp;
  ConsoleRun missing = Twutil(L"capture \"" + temp.Path() + L"missing.dll\"");
  EXPECT_EQ(missing.exitCode, 1u);
  EXPECT_TRUE(Contains(missing.err, "no such file")) << missing.err;
  EXPECT_TRUE(missing.out.empty());
  // Without the folder's last backslash, which would escape the quote.
  std::wstring folderPath = temp.Path().substr(0, temp.Path().size() - 1);
  ConsoleRun folder = Twutil(L"capture \"" + folderPath + L"\"");
  EXPECT_EQ(folder.exitCode, 1u);
  EXPECT_TRUE(Contains(folder.err, "a folder, not a server file")) << folder.err;
  ConsoleRun overlong = Twutil(L"capture " + std::wstring(300, L'x') + L".dll");
  EXPECT_EQ(overlong.exitCode, 1u);
  EXPECT_TRUE(overlong.out.empty());
}

}  // namespace
