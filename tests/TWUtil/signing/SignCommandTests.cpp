// "twutil sign" with the stand-in tool: the tool's lines on stdout and its
// outcome as the exit code.
#include <gtest/gtest.h>

#include "ConsoleRun.h"
#include "FileFixtures.h"
#include "support/TestSupport.h"

TEST(SignCommand, RelaysTheToolsLinesAndOutcome) {
  twtest::TempDir dir;
  const std::string text = "Signing app.exe\r\nDone\r\n";
  filefixtures::WriteFile(dir.Path() + L"out.txt", filefixtures::Bytes(text.begin(), text.end()));
  const std::wstring sign = L"\"" + twtest::BinDir() + L"twutil.exe\" sign --tool \"";
  const std::wstring tool =
      twtest::BinDir() + L"sign_tool.exe\" --spc \"" + dir.Path() + L"out.txt\"";
  for (const wchar_t* code : {L"0", L"5"}) {
    twtest::ConsoleResult run = twtest::RunConsole(sign + tool + L" --pvk " + code + L" app.exe");
    EXPECT_EQ(run.exitCode, code[0] == L'0' ? 0u : 1u);
    EXPECT_EQ(run.out, "Signing app.exe\nDone\n");
    EXPECT_EQ(run.err.find("failed") != std::string::npos, code[0] != L'0') << run.err;
  }
  twtest::ConsoleResult run = twtest::RunConsole(sign + dir.Path() + L"missing.exe\" app.exe");
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_NE(run.err.find("no such signing tool"), std::string::npos);
}
