// The self-registration runner: which names count as servers, how paths are
// quoted, the command line an executable server gets, and what a DLL's entry
// point result becomes.
#include <gtest/gtest.h>

#include <string>

#include "capture/ServerRegistration.h"
#include "support/TestSupport.h"

namespace {

using namespace twutil;

bool FileExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(ServerKind, LastThreeCharactersDecideWithoutRegardToCaseOrDot) {
  const struct {
    const wchar_t* path;
    long extension, kind;
  } cases[] = {{L"x.tlb", kExtensionTypeLibrary, kServerNeither},
               {L"x.OLB", kExtensionTypeLibrary, kServerNeither},
               {L"x.Ocx", kExtensionOcx, kServerInProcess},
               {L"C:\\A\\SERVER.EXE", kExtensionExe, kServerExecutable},
               {L"xdll", kExtensionDll, kServerInProcess},
               {L"x.dll ", kExtensionOther, kServerNeither},
               {L"ll", kExtensionOther, kServerNeither},
               {L"", kExtensionOther, kServerNeither},
               {nullptr, kExtensionOther, kServerNoPath}};
  for (const auto& c : cases) {
    EXPECT_EQ(ClassifyExtension(c.path), c.extension) << (c.path ? c.path : L"null");
    EXPECT_EQ(GetServerKind(c.path), c.kind) << (c.path ? c.path : L"null");
  }
  for (const wchar_t* other : {L"x.tlb", L"x.olb", L"x.txt"})
    EXPECT_EQ(RegisterServerFile(other), kRegistrationNotAServer) << other;
  EXPECT_EQ(UnregisterServerFile(L"x.txt"), kRegistrationNotAServer);
  EXPECT_EQ(RunServerRegistration(nullptr, nullptr), kRegistrationNotAServer);
}

class Runner : public testing::Test {
 protected:
  // A copy of a built server (they live away from the tests' own folder)
  // under a name of the test's choice.
  std::wstring Install(const wchar_t* built, const wchar_t* name) {
    std::wstring target = dir_.Path() + name;
    EXPECT_TRUE(CopyFileW((twtest::BinDir() + L"testdata\\runner\\" + built).c_str(),
                          target.c_str(), FALSE))
        << built;
    return target;
  }
  twtest::TempDir dir_;
};

// The command line that the recorder server wrote beside itself.
std::wstring RecordedCommandLine(const std::wstring& exe) {
  std::wstring record = exe + L".cmdline";
  twutil::Handle file(CreateFileW(record.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
  wchar_t text[1024] = {};
  DWORD read = 0;
  if (!file.Valid() || !ReadFile(file.Get(), text, sizeof(text) - sizeof(wchar_t), &read, nullptr))
    return L"<none>";
  file.Reset();
  DeleteFileW(record.c_str());
  return std::wstring(text, read / sizeof(wchar_t));
}

TEST_F(Runner, ExecutableServerGetsItsQuotedPathAndTheSwitch) {
  std::wstring exe = Install(L"RunnerRecorder.exe", L"SERVER.EXE");
  const std::wstring quoted = L"\"" + exe + L"\"  ";
  EXPECT_EQ(RegisterServerFile(exe.c_str()), kRegistrationDone);
  EXPECT_EQ(RecordedCommandLine(exe), quoted + L"/regserver");
  EXPECT_EQ(UnregisterServerFile(exe.c_str()), kRegistrationDone);
  EXPECT_EQ(RecordedCommandLine(exe), quoted + L"/unregserver");
  EXPECT_EQ(RunServerRegistration(exe.c_str(), L""), kRegistrationDone);
  EXPECT_EQ(RecordedCommandLine(exe), quoted + L"/regserver");
  EXPECT_EQ(RunServerRegistration(exe.c_str(), L" /custom"), kRegistrationDone);
  EXPECT_EQ(RecordedCommandLine(exe), quoted + L"/custom");
}

TEST_F(Runner, InProcessEntryPointsRunOnlySOkCountsAndTheLibraryIsFreed) {
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
  // S_FALSE is a success code, but not a registration.
  std::wstring falseDll = Install(L"RunnerFalse.dll", L"false.dll");
  EXPECT_EQ(RegisterServerFile(falseDll.c_str()), kRegistrationFailed);
  EXPECT_EQ(CallServerEntry(falseDll.c_str(), L"DllRegisterServer"), FALSE);
  // A library beside the server is found.
  Install(L"RunnerDependency.dll", L"RunnerDependency.dll");
  EXPECT_EQ(RegisterServerFile(Install(L"RunnerDependent.dll", L"dependent.dll").c_str()),
            kRegistrationDone);
  for (const std::wstring& loaded : {ocx, dll, falseDll})
    EXPECT_TRUE(DeleteFileW(loaded.c_str())) << "library still loaded";
}

TEST_F(Runner, WhatCannotRunFails) {
  const std::wstring folder = dir_.Path() + L"folder.dll";
  CreateDirectoryW(folder.c_str(), nullptr);
  for (const std::wstring& file :
       {dir_.Path() + L"missing.exe", dir_.Path() + std::wstring(250, L'e') + L".exe",
        dir_.Path() + L"missing.dll", folder, Install(L"RunnerDependency.dll", L"noentry.dll"),
        dir_.Path() + std::wstring(300, L'l') + L".dll"})
    EXPECT_EQ(RegisterServerFile(file.c_str()), kRegistrationFailed) << file;
  std::wstring marker = Install(L"RunnerMarker.dll", L"marker.dll");
  EXPECT_EQ(CallServerEntry(marker.c_str(), L"NoSuchEntry"), FALSE);
  EXPECT_EQ(CallServerEntry(marker.c_str(), nullptr), FALSE);
  EXPECT_EQ(CallServerEntry(marker.c_str(), std::wstring(300, L'D').c_str()), FALSE);
  EXPECT_EQ(CallServerEntry(nullptr, L"DllRegisterServer"), FALSE);
  EXPECT_FALSE(FileExists(marker + L".registered"));
}

}  // namespace
