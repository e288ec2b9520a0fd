// The self-registration runner: which names count as servers, the command
// line an executable server gets, and what a DLL's entry point result becomes.
#include <gtest/gtest.h>

#include <string>

#include "../../TWRegSpy/SpyTestSupport.h"
#include "servers/ServerRegistration.h"

namespace {

using namespace twutil;

TEST(ServerKind, LastThreeCharactersDecideWithoutRegardToCaseOrDot) {
  const struct {
    const wchar_t* path;
    long extension, kind;
  } cases[] = {{L"x.OLB", kExtensionTypeLibrary, kServerNeither},
               {L"x.Ocx", kExtensionOcx, kServerInProcess},
               {L"C:\\A\\SERVER.EXE", kExtensionExe, kServerExecutable},
               {L"xdll", kExtensionDll, kServerInProcess},
               {L"x.dll ", kExtensionOther, kServerNeither},
               {nullptr, kExtensionOther, kServerNoPath}};
  for (const auto& c : cases) {
    EXPECT_EQ(ClassifyExtension(c.path), c.extension) << (c.path ? c.path : L"null");
    EXPECT_EQ(GetServerKind(c.path), c.kind) << (c.path ? c.path : L"null");
  }
  EXPECT_EQ(RegisterServerFile(L"x.tlb"), kRegistrationNotAServer);
}

class Runner : public testing::Test {
 protected:
  // A copy of a built server under a name of the test's choice.
  std::wstring Install(const wchar_t* stem, const wchar_t* extension, const wchar_t* name) {
    std::wstring target = dir_.Path() + name;
    EXPECT_TRUE(CopyFileW(spytest::NativeServer(stem, extension).c_str(), target.c_str(), FALSE))
        << stem;
    return target;
  }
  twtest::TempDir dir_;
};

// The command line that the recorder server wrote beside itself, taken away.
std::wstring RecordedCommandLine(const std::wstring& exe) {
  const std::vector<uint8_t> text = twtest::ReadBytes(exe + L".cmdline");
  DeleteFileW((exe + L".cmdline").c_str());
  if (text.empty()) return L"<none>";
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size() / sizeof(wchar_t));
}

TEST_F(Runner, ExecutableServerGetsItsQuotedPathAndTheSwitch) {
  std::wstring exe = Install(L"SpyRecorderExeServer", L".exe", L"SERVER.EXE");
  const std::wstring quoted = L"\"" + exe + L"\"  ";
  EXPECT_EQ(RegisterServerFile(exe.c_str()), kRegistrationDone);
  EXPECT_EQ(RecordedCommandLine(exe), quoted + L"/regserver");
  EXPECT_EQ(UnregisterServerFile(exe.c_str()), kRegistrationDone);
  EXPECT_EQ(RecordedCommandLine(exe), quoted + L"/unregserver");
}

TEST_F(Runner, InProcessEntryPointsRunOnlySOkCountsAndTheLibraryIsFreed) {
  std::wstring ocx = Install(L"SpyMarkerServer", L".dll", L"x.OCX");
  EXPECT_EQ(RegisterServerFile(ocx.c_str()), kRegistrationDone);
  EXPECT_TRUE(DeleteFileW((ocx + L".registered").c_str()));
  EXPECT_EQ(UnregisterServerFile(ocx.c_str()), kRegistrationDone);
  EXPECT_TRUE(DeleteFileW((ocx + L".unregistered").c_str()));
  // S_FALSE is a success code, but not a registration.
  std::wstring falseDll = Install(L"SpySFalseServer", L".dll", L"false.dll");
  EXPECT_EQ(RegisterServerFile(falseDll.c_str()), kRegistrationFailed);
  EXPECT_EQ(RegisterServerFile((dir_.Path() + L"missing.dll").c_str()), kRegistrationFailed);
  for (const std::wstring& loaded : {ocx, falseDll})
    EXPECT_TRUE(DeleteFileW(loaded.c_str())) << "library still loaded";
}

}  // namespace
