// "twutil stamp" and "twutil copy-icon" as a user runs them: what they print
// where, and their exit codes.
#include <gtest/gtest.h>

#include "ConsoleRun.h"
#include "IconTestSupport.h"
#include "PeBuilder.h"
#include "PeresTestSupport.h"
#include "support/TestSupport.h"

namespace {

class Commands : public ::testing::Test {
 protected:
  twtest::ConsoleResult Twutil(const std::wstring& arguments) {
    return twtest::RunConsole(L"\"" + twtest::BinDir() + L"twutil.exe\" " + arguments);
  }
  std::wstring Write(const wchar_t* name, const pefixture::Bytes& bytes) {
    std::wstring path = dir_.Path() + name;
    EXPECT_TRUE(perestest::WriteBytes(path, bytes));
    return path;
  }
  static std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }
  twtest::TempDir dir_;
};

TEST_F(Commands, StampWritesTheDiagnosticsToStdout) {
  pefixture::VersionPlan plan;
  plan.tables = {pefixture::StandardTable()};
  std::wstring file = Write(L"app.exe", pefixture::PeWithVersion(plan));
  twtest::ConsoleResult run =
      Twutil(L"stamp --company Tarnwick --version 2.5.0.12 --language 0x0407 " + Quoted(file));
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.out,
            "warning: StringFileInfo\\040904b0\\FileVersion has room for 7 characters; "
            "\"2.5.0.12\" was cut to fit\n"
            "warning: StringFileInfo\\040904b0\\ProductVersion has room for 7 "
            "characters; \"2.5.0.12\" was cut to fit\n");
  std::wstring value;
  perestest::QueryVersionString(file, L"\\StringFileInfo\\040904b0\\CompanyName", &value);
  EXPECT_EQ(value, L"Tarnwick   ");
  EXPECT_EQ(perestest::QueryTranslation(file), 0x04B00407u);

  const std::wstring missing = dir_.Path() + L"missing.exe";
  run = Twutil(L"stamp --company X " + Quoted(missing));
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.out, "error: Couldn't open " + perestest::Ansi(missing) + " for writing (" +
                         perestest::SystemMessage(ERROR_FILE_NOT_FOUND) + ")\n");

  const std::wstring text = Write(L"notes.txt", {'M', 'Z'});
  run = Twutil(L"stamp " + Quoted(text));
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.out, "error: " + perestest::Ansi(text) + " is not a Win32 EXE or DLL\n");
}

TEST_F(Commands, WrongArgumentsAreUsageErrors) {
  for (const wchar_t* arguments :
       {L"stamp", L"stamp --language 0x1FFFFFFFF a.exe", L"stamp --company",
        L"stamp --colour red a.exe", L"copy-icon a.exe", L"copy-icon --from a.exe --slot -2 b.exe",
        L"sign a.exe", L"sign --tool t.exe"}) {
    twtest::ConsoleResult run = Twutil(arguments);
    EXPECT_EQ(run.exitCode, 2u) << arguments;
    EXPECT_EQ(run.out, "") << arguments;
    EXPECT_NE(run.err.find("--help"), std::string::npos) << arguments;
  }
  for (const wchar_t* command : {L"stamp", L"copy-icon", L"sign"}) {
    twtest::ConsoleResult help = Twutil(std::wstring(command) + L" --help");
    EXPECT_EQ(help.exitCode, 0u);
    EXPECT_EQ(help.err.rfind("usage: twutil " + perestest::Ansi(command), 0), 0u) << help.err;
  }
}

TEST_F(Commands, CopyIconTellsTheSlotOrWhyNot) {
  pefixture::PePlan source;
  source.resources = {icontest::GroupResource(3, {30}),
                      icontest::ImageResource(30, icontest::ImageBytes(30))};
  std::wstring from = Write(L"source.dll", pefixture::BuildPe(source));
  pefixture::VersionPlan plan;
  plan.tables = {pefixture::StandardTable()};
  std::wstring to = Write(L"dest.exe", pefixture::PeWithVersion(plan));

  twtest::ConsoleResult run =
      Twutil(L"copy-icon --from " + Quoted(from) + L" --slot 2 " + Quoted(to));
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(run.out, "copied into slot 2: group 28, images from 29\n");
  EXPECT_EQ(icontest::ReadResource(to, RT_ICON, 29), icontest::ImageBytes(30));

  run = Twutil(L"copy-icon --from " + Quoted(from) + L" --index -4 " + Quoted(to));
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_NE(run.err.find("could not be copied"), std::string::npos);

  run = Twutil(L"copy-icon --from " + Quoted(dir_.Path() + L"none.dll") + L" " + Quoted(to));
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_NE(run.err.find("no such source file"), std::string::npos);
}

}  // namespace
