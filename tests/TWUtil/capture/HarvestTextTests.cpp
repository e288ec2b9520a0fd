// The text rules of the harvest: verb commands, icon references, local-server
// arguments and the numbers read from key names and icon indexes.
#include <gtest/gtest.h>

#include <climits>

#include "capture/HarvestText.h"

using twutil::LeadingDecimal;
using twutil::LocalServerArgument;
using twutil::SplitIconText;
using twutil::SplitVerbCommand;

namespace {

std::wstring Split(const std::wstring& command) {
  auto split = SplitVerbCommand(command);
  return split ? split->file + L" | " + split->arguments : L"<not recognised>";
}

TEST(VerbCommand, QuotedProgramWithArguments) {
  EXPECT_EQ(Split(L"\"C:\\Prog\\App.EXE\" /p \"%1\""), L"c:\\prog\\app.exe | /p \"%1\"");
  EXPECT_EQ(Split(L"C:\\Program Files\\App\\app.exe"), L"c:\\program files\\app\\app.exe | ");
  // The arguments begin after the first space behind ".exe", wherever it is.
  EXPECT_EQ(Split(L"C:\\x.exe\\tool.exe -a"), L"c:\\x.exe | -a");
}

TEST(VerbCommand, Rundll32NamesTheLibraryAndItsEntry) {
  EXPECT_EQ(Split(L"rundll32.exe shell32.dll,OpenAs_RunDLL %1"), L"shell32.dll | openas_rundll %1");
  EXPECT_EQ(Split(L"C:\\Windows\\RUNDLL32.EXE C:\\x\\a.dll,Entry"), L"c:\\x\\a.dll | entry");
  // Without a comma, or with nothing after the name, nothing is split off.
  EXPECT_EQ(Split(L"rundll32.exe shell32.dll"), L" | ");
  EXPECT_EQ(Split(L"rundll32.exe"), L" | ");
  EXPECT_EQ(Split(L"rundll32.exe,"), L" | ");
}

TEST(VerbCommand, CommandsWithoutAProgramAreNotRecognised) {
  EXPECT_EQ(Split(L"%1"), L"<not recognised>");
  EXPECT_EQ(Split(L""), L"<not recognised>");
  EXPECT_EQ(Split(L"\""), L"<not recognised>");
  EXPECT_EQ(Split(L"C:\\tools\\open.com %1"), L"<not recognised>");
  EXPECT_EQ(Split(L"\".exe"), L".exe | ");
}

TEST(IconText, FileAndIndex) {
  auto icon = SplitIconText(L"\"C:\\x\\srv.dll\",-101");
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->file, L"C:\\x\\srv.dll");
  EXPECT_EQ(icon->index, -101);
  icon = SplitIconText(L"srv.dll,   12abc");
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->file, L"srv.dll");
  EXPECT_EQ(icon->index, 12);
  icon = SplitIconText(L",");
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->file, L"");
  EXPECT_EQ(icon->index, 0);
  icon = SplitIconText(L"\",5");
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->file, L"");
  // Only the first comma divides.
  icon = SplitIconText(L"a,b.dll,3");
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->file, L"a");
  EXPECT_EQ(icon->index, 0);
  EXPECT_FALSE(SplitIconText(L"C:\\x\\srv.dll"));
  EXPECT_FALSE(SplitIconText(L""));
}

TEST(LocalServer, ArgumentsFollowExeAndOneSeparator) {
  EXPECT_EQ(LocalServerArgument(L"C:\\a\\srv.exe /automation").value_or(L"<none>"), L"/automation");
  EXPECT_EQ(LocalServerArgument(L"\"C:\\a\\srv.exe\" -Embedding").value_or(L"<none>"),
            L" -Embedding");
  EXPECT_EQ(LocalServerArgument(L"C:\\a\\srv.exe ").value_or(L"<none>"), L"<none>");
  EXPECT_EQ(LocalServerArgument(L"C:\\a\\srv.exe").value_or(L"<none>"), L"<none>");
  EXPECT_EQ(LocalServerArgument(L"C:\\A\\SRV.EXE /x").value_or(L"<none>"), L"<none>");
  EXPECT_EQ(LocalServerArgument(L"").value_or(L"<none>"), L"<none>");
}

TEST(LeadingNumber, DigitsUpToTheFirstOtherCharacter) {
  EXPECT_EQ(LeadingDecimal(L"409"), 409);
  EXPECT_EQ(LeadingDecimal(L"0"), 0);
  EXPECT_EQ(LeadingDecimal(L"-101"), -101);
  EXPECT_EQ(LeadingDecimal(L"+7x"), 7);
  EXPECT_EQ(LeadingDecimal(L"win32"), 0);
  EXPECT_EQ(LeadingDecimal(L""), 0);
  EXPECT_EQ(LeadingDecimal(L"-"), 0);
  EXPECT_EQ(LeadingDecimal(L"99999999999999999999999"), LONG_MAX);
  EXPECT_EQ(LeadingDecimal(L"-99999999999999999999999"), LONG_MIN);
  EXPECT_EQ(LeadingDecimal(L"-2147483648"), LONG_MIN);
}

}  // namespace
