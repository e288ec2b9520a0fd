// The self-registration runner: which names count as servers, how paths are
// quoted, the command line an executable server gets, and what a DLL's entry
// point result becomes.
#include <gtest/gtest.h>

#include <string>

#include "capture/ServerRegistration.h"
#include "support/TestSupport.h"

namespace {

using namespace twutil;

std::wstring ServerSource(const wchar_t* name) {
  return twtest::BinDir() + L"testdata\\runner\\" + name;
}

bool FileExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The command line that the recorder server wrote beside itself.
std::wstring RecordedCommandLine(const std::wstring& exe) {
  std::wstring record = exe + L".cmdline";
  HANDLE file = CreateFileW(record.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return L"<none>";
  wchar_t text[1024] = {};
  DWORD read = 0;
  ReadFile(file, text, sizeof(text) - sizeof(wchar_t), &read, nullptr);
  CloseHandle(file);
  DeleteFileW(record.c_str());
  return std::wstring(text, read / sizeof(wchar_t));
}

class RunnerTest : public testing::Test {
 protected:
  // A copy of a built server under a name of the test's choice.
  std::wstring Install(const wchar_t* built, const wchar_t* name) {
    std::wstring target = dir_.Path() + name;
    EXPECT_TRUE(CopyFileW(ServerSource(built).c_str(), target.c_str(), FALSE)) << built;
    return target;
  }
  twtest::TempDir dir_;
};

TEST(ServerKindTest, LastThreeCharactersDecideWithoutRegardToCaseOrDot) {
  EXPECT_EQ(ClassifyExtension(L"x.tlb"), kExtensionTypeLibrary);
  EXPECT_EQ(ClassifyExtension(L"x.OLB"), kExtensionTypeLibrary);
  EXPECT_EQ(ClassifyExtension(L"x.Ocx"), kExtensionOcx);
  EXPECT_EQ(ClassifyExtension(L"C:\\A\\SERVER.EXE"), kExtensionExe);
  EXPECT_EQ(ClassifyExtension(L"xdll"), kExtensionDll);
  EXPECT_EQ(ClassifyExtension(L"x.dll "), kExtensionOther);
  EXPECT_EQ(ClassifyExtension(L"ll"), kExtensionOther);
  EXPECT_EQ(ClassifyExtension(nullptr), kExtensionOther);
  EXPECT_EQ(GetServerKind(L"x.OCX"), kServerInProcess);
  EXPECT_EQ(GetServerKind(L"x.Dll"), kServerInProcess);
  EXPECT_EQ(GetServerKind(L"C:\\A\\SERVER.EXE"), kServerExecutable);
  EXPECT_EQ(GetServerKind(L"x.tlb"), kServerNeither);
  EXPECT_EQ(GetServerKind(L""), kServerNeither);
  EXPECT_EQ(GetServerKind(nullptr), kServerNoPath);
}

TEST(ServerKindTest, TypeLibrariesAndOtherFilesAreNotRegistered) {
  EXPECT_EQ(RegisterServerFile(L"x.tlb"), kRegistrationNotAServer);
  EXPECT_EQ(RegisterServerFile(L"x.olb"), kRegistrationNotAServer);
  EXPECT_EQ(RegisterServerFile(L"x.txt"), kRegistrationNotAServer);
  EXPECT_EQ(UnregisterServerFile(L"x.txt"), kRegistrationNotAServer);
  EXPECT_EQ(RunServerRegistration(nullptr, nullptr), kRegistrationNotAServer);
}

TEST(QuotingTest, QuotesAreAddedOnlyWhereMissing) {
  wchar_t out[kRegistrationBufferChars];
  EXPECT_TRUE(QuotePath(out, kRegistrationBufferChars, L"C:\\A\\SERVER.EXE"));
  EXPECT_STREQ(out, L"\"C:\\A\\SERVER.EXE\"");
  EXPECT_TRUE(QuotePath(out, kRegistrationBufferChars, L"\"C:\\A\\SERVER.EXE\""));
  EXPECT_STREQ(out, L"\"C:\\A\\SERVER.EXE\"");
  EXPECT_TRUE(QuotePath(out, kRegistrationBufferChars, L"\"C:\\open"));
  EXPECT_STREQ(out, L"\"C:\\open\"");
  EXPECT_TRUE(QuotePath(out, kRegistrationBufferChars, L"C:\\close\""));
  EXPECT_STREQ(out, L"\"C:\\close\"");
  // The closing quote is judged by the result: after the opening quote of an
  // empty source it already ends with one.
  EXPECT_TRUE(QuotePath(out, kRegistrationBufferChars, L""));
  EXPECT_STREQ(out, L"\"");
}

TEST(QuotingTest, UnquoteDropsOneQuoteAtEachEnd) {
  wchar_t out[kRegistrationBufferChars];
  EXPECT_TRUE(UnquotePath(out, kRegistrationBufferChars, L"\"C:\\x y\\a.dll\""));
  EXPECT_STREQ(out, L"C:\\x y\\a.dll");
  EXPECT_TRUE(UnquotePath(out, kRegistrationBufferChars, L"\"C:\\a.dll"));
  EXPECT_STREQ(out, L"C:\\a.dll");
  EXPECT_TRUE(UnquotePath(out, kRegistrationBufferChars, L"C:\\a.dll\""));
  EXPECT_STREQ(out, L"C:\\a.dll");
  EXPECT_TRUE(UnquotePath(out, kRegistrationBufferChars, L"\""));
  EXPECT_STREQ(out, L"");
  EXPECT_TRUE(UnquotePath(out, kRegistrationBufferChars, L"\"\"x\"\""));
  EXPECT_STREQ(out, L"\"x\"");
}

TEST(QuotingTest, NullArgumentsLeaveTheDestinationAlone) {
  wchar_t out[8] = L"keep";
  EXPECT_FALSE(QuotePath(out, 8, nullptr));
  EXPECT_STREQ(out, L"keep");
  EXPECT_FALSE(QuotePath(nullptr, 8, L"x"));
  EXPECT_FALSE(UnquotePath(out, 8, nullptr));
  EXPECT_STREQ(out, L"keep");
}

TEST(QuotingTest, TextsThatDoNotFitTheBufferAreRefused) {
  std::wstring longPath(300, L'a');
  wchar_t out[kRegistrationBufferChars];
  EXPECT_FALSE(QuotePath(out, kRegistrationBufferChars, longPath.c_str()));
  EXPECT_STREQ(out, L"");
  EXPECT_FALSE(UnquotePath(out, kRegistrationBufferChars, longPath.c_str()));
  EXPECT_STREQ(out, L"");
  // 258 characters and two quotes leave no room for the terminator.
  std::wstring edge(258, L'b');
  EXPECT_FALSE(QuotePath(out, kRegistrationBufferChars, edge.c_str()));
  edge.pop_back();
  EXPECT_TRUE(QuotePath(out, kRegistrationBufferChars, edge.c_str()));
  EXPECT_EQ(wcslen(out), 259u);
}

TEST(QuotingTest, CommandLineHasTwoSpacesBeforeTheSwitch) {
  wchar_t out[kRegistrationBufferChars];
  EXPECT_TRUE(BuildRegistrationCommandLine(out, kRegistrationBufferChars, L"C:\\A\\SERVER.EXE",
                                           L" /regserver"));
  EXPECT_STREQ(out, L"\"C:\\A\\SERVER.EXE\"  /regserver");
  EXPECT_TRUE(BuildRegistrationCommandLine(out, kRegistrationBufferChars, L"\"C:\\A\\SERVER.EXE\"",
                                           L" /unregserver"));
  EXPECT_STREQ(out, L"\"C:\\A\\SERVER.EXE\"  /unregserver");
  std::wstring nearlyFull(250, L'c');
  EXPECT_FALSE(BuildRegistrationCommandLine(out, kRegistrationBufferChars, nearlyFull.c_str(),
                                            L" /regserver"));
}

TEST_F(RunnerTest, ExecutableServerGetsItsQuotedPathAndTheSwitch) {
  std::wstring exe = Install(L"RunnerRecorder.exe", L"SERVER.EXE");
  EXPECT_EQ(RegisterServerFile(exe.c_str()), kRegistrationDone);
  EXPECT_EQ(RecordedCommandLine(exe), L"\"" + exe + L"\"  /regserver");
  EXPECT_EQ(UnregisterServerFile(exe.c_str()), kRegistrationDone);
  EXPECT_EQ(RecordedCommandLine(exe), L"\"" + exe + L"\"  /unregserver");
  EXPECT_EQ(RunServerRegistration(exe.c_str(), L""), kRegistrationDone);
  EXPECT_EQ(RecordedCommandLine(exe), L"\"" + exe + L"\"  /regserver");
  EXPECT_EQ(RunServerRegistration(exe.c_str(), L" /custom"), kRegistrationDone);
  EXPECT_EQ(RecordedCommandLine(exe), L"\"" + exe + L"\"  /custom");
}

TEST_F(RunnerTest, ExecutableThatCannotStartFails) {
  EXPECT_EQ(RegisterServerFile((dir_.Path() + L"missing.exe").c_str()), kRegistrationFailed);
  std::wstring tooLong = dir_.Path() + std::wstring(250, L'e') + L".exe";
  EXPECT_EQ(RegisterServerFile(tooLong.c_str()), kRegistrationFailed);
}

TEST_F(RunnerTest, InProcessServerEntryPointsRunAndTheLibraryIsFreed) {
  std::wstring ocx = Install(L"RunnerMarker.dll", L"x.OCX");
  EXPECT_EQ(RegisterServerFile(ocx.c_str()), kRegistrationDone);
  EXPECT_TRUE(FileExists(ocx + L".registered"));
  EXPECT_EQ(UnregisterServerFile(ocx.c_str()), kRegistrationDone);
  EXPECT_TRUE(FileExists(ocx + L".unregistered"));
  // A switch means nothing to a DLL: the registration entry still runs.
  std::wstring dll = Install(L"RunnerMarker.dll", L"x.Dll");
  EXPECT_EQ(RunServerRegistration(dll.c_str(), L" /unregserver"), kRegistrationDone);
  EXPECT_TRUE(FileExists(dll + L".registered"));
  EXPECT_FALSE(FileExists(dll + L".unregistered"));
  EXPECT_TRUE(DeleteFileW(ocx.c_str())) << "library still loaded";
  EXPECT_TRUE(DeleteFileW(dll.c_str())) << "library still loaded";
}

TEST_F(RunnerTest, OnlySOkCountsAsSuccess) {
  std::wstring dll = Install(L"RunnerFalse.dll", L"false.dll");
  EXPECT_EQ(RegisterServerFile(dll.c_str()), kRegistrationFailed);
  EXPECT_EQ(CallServerEntry(dll.c_str(), L"DllRegisterServer"), FALSE);
  EXPECT_TRUE(DeleteFileW(dll.c_str())) << "library still loaded";
}

TEST_F(RunnerTest, MissingLibrariesAndEntryPointsFail) {
  EXPECT_EQ(RegisterServerFile((dir_.Path() + L"missing.dll").c_str()), kRegistrationFailed);
  std::wstring folder = dir_.Path() + L"folder.dll";
  CreateDirectoryW(folder.c_str(), nullptr);
  EXPECT_EQ(RegisterServerFile(folder.c_str()), kRegistrationFailed);
  std::wstring noEntry = Install(L"RunnerDependency.dll", L"noentry.dll");
  EXPECT_EQ(RegisterServerFile(noEntry.c_str()), kRegistrationFailed);
  std::wstring marker = Install(L"RunnerMarker.dll", L"marker.dll");
  EXPECT_EQ(CallServerEntry(marker.c_str(), L"NoSuchEntry"), FALSE);
  EXPECT_EQ(CallServerEntry(marker.c_str(), nullptr), FALSE);
  EXPECT_EQ(CallServerEntry(marker.c_str(), std::wstring(300, L'D').c_str()), FALSE);
  EXPECT_EQ(CallServerEntry(nullptr, L"DllRegisterServer"), FALSE);
  EXPECT_FALSE(FileExists(marker + L".registered"));
  std::wstring longName = dir_.Path() + std::wstring(300, L'l') + L".dll";
  EXPECT_EQ(RegisterServerFile(longName.c_str()), kRegistrationFailed);
}

TEST_F(RunnerTest, LibrariesBesideTheServerAreFound) {
  Install(L"RunnerDependency.dll", L"RunnerDependency.dll");
  std::wstring dll = Install(L"RunnerDependent.dll", L"dependent.dll");
  EXPECT_EQ(RegisterServerFile(dll.c_str()), kRegistrationDone);
}

}  // namespace
