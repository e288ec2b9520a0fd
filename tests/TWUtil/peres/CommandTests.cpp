// "twutil stamp" and "twutil copy-icon" as a user runs them: what they print
// where, and their exit codes.
#include <gtest/gtest.h>

#include "PeresTestSupport.h"
#include "support/ConsoleRun.h"

namespace perestest {
namespace {

twtest::ConsoleResult Twutil(const std::wstring& arguments) {
  return twtest::RunConsole(L"\"" + twtest::BinDir() + L"twutil.exe\" " + arguments);
}
std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

TEST(Commands, StampAndCopyIconTellWhatTheyDidOrWhyNotAndMisuseIsAUsageError) {
  twtest::TempDir dir;
  const std::wstring file = dir.Write(L"app.exe", PeWithVersion()),
                     text = dir.Write(L"notes.txt", {'M', 'Z'}), missing = dir.Path() + L"m.exe";
  const std::wstring from =
      dir.Write(L"source.dll", BuildPe({false, {GroupResource(3, {30}), ImageResource(30)}}));
  twtest::ConsoleResult run =
      Twutil(L"stamp --company Tarnwick --version 2.5.0.12 --language 0x0407 " + Quoted(file));
  EXPECT_EQ(run.exitCode, 0u);
  const std::string cut = " has room for 7 characters; \"2.5.0.12\" was cut to fit\n";
  EXPECT_EQ(run.out, "warning: StringFileInfo\\040904b0\\FileVersion" + cut +
                         "warning: StringFileInfo\\040904b0\\ProductVersion" + cut);
  EXPECT_EQ(VersionString(file, L"\\StringFileInfo\\040904b0\\CompanyName"), L"Tarnwick   ");
  EXPECT_EQ(Translation(file), 0x04B00407u);
  run = Twutil(L"stamp " + Quoted(text));
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.out, "error: " + Ansi(text) + " is not a Win32 EXE or DLL\n");

  run = Twutil(L"copy-icon --from " + Quoted(from) + L" --slot 2 " + Quoted(file));
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(run.out, "copied into slot 2: group 28, images from 29\n");
  EXPECT_EQ(ReadResource(file, RT_ICON, 29), ImageBytes(30));
  run = Twutil(L"copy-icon --from " + Quoted(missing) + L" " + Quoted(file));
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_NE(run.err.find("no such source file"), std::string::npos);

  // Wrong arguments are usage errors.
  for (const wchar_t* arguments :
       {L"stamp", L"stamp --language 0x1FFFFFFFF a.exe", L"stamp --colour red a.exe",
        L"copy-icon a.exe", L"copy-icon --from a.exe --slot -2 b.exe", L"sign a.exe"}) {
    run = Twutil(arguments);
    EXPECT_EQ(run.exitCode, 2u) << arguments;
    EXPECT_EQ(run.out, "") << arguments;
    EXPECT_NE(run.err.find("--help"), std::string::npos) << arguments;
  }
  run = Twutil(L"stamp --help");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.err.rfind("usage: twutil stamp", 0), 0u) << run.err;
}

}  // namespace
}  // namespace perestest
