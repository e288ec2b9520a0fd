// "twutil sign" with the stand-in tool: the tool's lines on stdout and its
// outcome as the exit code.
#include <gtest/gtest.h>

#include "ConsoleRun.h"
#include "com/Owners.h"
#include "support/TestSupport.h"

namespace {

twtest::ConsoleResult Sign(const std::wstring& arguments) {
  return twtest::RunConsole(L"\"" + twtest::BinDir() + L"twutil.exe\" sign --tool \"" +
                            twtest::BinDir() + L"sign_tool.exe\" " + arguments);
}

TEST(SignCommand, RelaysTheToolsLinesAndOutcome) {
  twtest::TempDir dir;
  const std::wstring output = dir.Path() + L"out.txt";
  {
    twutil::Handle file(CreateFileW(output.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.Get(), "Signing app.exe\r\nDone\r\n", 23, &written, nullptr);
  }
  twtest::ConsoleResult run = Sign(L"--spc \"" + output + L"\" --pvk 0 app.exe");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.out, "Signing app.exe\nDone\n");

  run = Sign(L"--spc \"" + output + L"\" --pvk 5 app.exe");
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.out, "Signing app.exe\nDone\n");
  EXPECT_NE(run.err.find("failed"), std::string::npos);

  run = twtest::RunConsole(L"\"" + twtest::BinDir() + L"twutil.exe\" sign --tool \"" + dir.Path() +
                           L"missing.exe\" app.exe");
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_NE(run.err.find("no such signing tool"), std::string::npos);
}

}  // namespace
