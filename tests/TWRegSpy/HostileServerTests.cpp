// Servers that crash, end the process, hang, fail, show dialogs, start child
// processes, write a great deal or link out of the capture: each gets its
// outcome and a detail a person can act on, dialogs cost no time limit, bulk
// writes arrive whole, and emptying the capture never follows a link.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "SpyTestSupport.h"
#include "servers/ServerWrites.h"
#include "support/TestSupport.h"

namespace {

using spytest::Contains;
using spytest::Entries;
using spytest::NativeServer;

enum : LONG {
  kRegistered = 0,
  kFailed = 1,
  kNotAServer = 2,
  kCrashed = 3,
  kTimedOut = 4,
  kEndedProcess = 6
};
const wchar_t kTestParent[] = L"Software\\TWSpyTestRoot";
const wchar_t kClasses[] = L"hkey_classes_root\\";
constexpr LONG kTimeLimitSeconds = 4;
// Far below the limit: what a dialog may cost, helper start included.
constexpr ULONGLONG kDialogMs = 2500;

struct Expected {
  std::wstring file;
  LONG outcome;
  std::wstring detail;
  std::wstring entry;  // one entry the capture holds; none captured when empty
};

TEST(HostileServers, EachGetsItsOutcomeAndDetailAndCostsNoMoreThanItMust) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kTestParent);
  const std::wstring victim = L"Software\\TWSpyLinkVictim\\Inner";
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, victim.c_str(), L"Kept", REG_SZ, L"x", 4),
            ERROR_SUCCESS);
  twutil::ComPtr<ITWRegSpy> spy;
  ASSERT_EQ(spytest::CreateSpy(&spy), S_OK);
  ASSERT_EQ(spy->put_TimeoutSeconds(kTimeLimitSeconds), S_OK);
  const std::wstring child = L"stopped child process: reg.exe add HKCR\\TWHostileChild /ve /d x /f";
  std::wstring deepest = std::wstring(kClasses) + L"twspytest.deep";
  for (int level = 1; level <= spytest::kDeepLevels; ++level)
    deepest += L"\\l" + std::to_wstring(level);
  const std::wstring longName(255, L'n');
  const Expected cases[] = {
      {NativeServer(L"SpyCrashServer", L".dll"), kCrashed, L"crashed: exception 0xC0000005", L""},
      {NativeServer(L"SpyCrashingExeServer", L".exe"), kCrashed, L"crashed: exception 0xC0000005",
       L""},
      {NativeServer(L"SpyExitServer", L".dll"), kEndedProcess, L"ended its process (exit code 7)",
       L""},
      {NativeServer(L"SpyHangServer", L".dll"), kTimedOut, L"timed out after 4 s", L""},
      {NativeServer(L"SpyFailServer", L".dll"), kFailed,
       L"registration failed: DllRegisterServer returned 0x80004005",
       std::wstring(kClasses) + L"twspytest.misbehaving|@=misbehaving"},
      {NativeServer(L"SpyExitCodeExeServer", L".exe"), kFailed,
       L"registration failed: /regserver exited with code 3",
       std::wstring(kClasses) + L"twspytest.hostileexe|@=before"},
      {NativeServer(L"SpyDialogServer", L".dll"), kRegistered,
       L"registered; closed dialog \"Spy Dialog\": Registering the dialog server.",
       std::wstring(kClasses) + L"twspytest.dialog|@=after the dialog"},
      {NativeServer(L"SpyDialogExeServer", L".exe"), kRegistered,
       L"registered; closed dialog \"Spy Exe Dialog\": Registering the executable dialog server.",
       std::wstring(kClasses) + L"twspytest.hostileexe|@=after"},
      {NativeServer(L"SpyChildServer", L".dll"), kRegistered, L"registered; " + child,
       std::wstring(kClasses) + L"twspytest.child|@=after the child"},
      {NativeServer(L"SpyChildExeServer", L".exe"), kRegistered, L"registered; " + child,
       std::wstring(kClasses) + L"twspytest.hostileexe|@=after"},
      {NativeServer(L"SpyManyKeysServer", L".dll"), kRegistered, L"registered",
       std::wstring(kClasses) + L"twspytest.many\\key2999|@=2999"},
      {NativeServer(L"SpyDeepKeysServer", L".dll"), kRegistered, L"registered",
       deepest + L"|@=bottom"},
      {NativeServer(L"SpyLongNamesServer", L".dll"), kRegistered, L"registered",
       std::wstring(kClasses) + L"twspytest.long\\" + longName + L"|" + longName + L"=long"},
      {NativeServer(L"SpyLinkServer", L".dll"), kRegistered, L"registered",
       std::wstring(kClasses) + L"twspytest.misbehaving|@=misbehaving"},
      {L"readme.txt", kNotAServer, L"not a server file", L""},
  };
  std::vector<std::wstring> files;
  for (const Expected& expected : cases) files.push_back(expected.file);

  spytest::CallbackRecorder recorder;
  DWORD bigValueBytes = 0;
  recorder.whileFinished = [&] {
    twutil::RegKey key;
    if (RegOpenKeyExW(
            HKEY_CURRENT_USER,
            (std::wstring(kTestParent) + L"\\Capture\\HKEY_CLASSES_ROOT\\TWSpyTest.Long").c_str(),
            0, KEY_READ, key.Put()) == ERROR_SUCCESS)
      RegQueryValueExW(key.Get(), L"Big", nullptr, nullptr, nullptr, &bigValueBytes);
  };
  ASSERT_EQ(spytest::Capture(spy.Get(), files, &recorder), S_OK);
  ASSERT_EQ(recorder.events.size(), 2 * std::size(cases));

  for (size_t i = 0; i < std::size(cases); ++i) {
    const Expected& expected = cases[i];
    SCOPED_TRACE(testing::Message() << testing::PrintToString(expected.file));
    const spytest::CallbackEvent& finished = recorder.events[2 * i + 1];
    const ULONGLONG took = finished.at - recorder.events[2 * i].at;
    EXPECT_EQ(finished.status, expected.outcome);
    EXPECT_EQ(finished.report, expected.detail);
    if (expected.entry.empty()) {
      EXPECT_EQ(finished.captured, Entries{});
    } else {
      EXPECT_TRUE(Contains(finished.captured, expected.entry));
    }
    if (expected.outcome == kTimedOut) {
      EXPECT_GE(took, kTimeLimitSeconds * 1000u);
      EXPECT_LT(took, kTimeLimitSeconds * 1000u + 5000u);
    } else {
      EXPECT_LT(took, kDialogMs);
    }
  }
  size_t many = 0;
  for (const std::wstring& entry : recorder.Finished(10))
    many += entry.compare(0, 33, L"hkey_classes_root\\twspytest.many\\") == 0;
  EXPECT_EQ(many, static_cast<size_t>(spytest::kManyKeys));
  EXPECT_EQ(bigValueBytes, spytest::kBigValueBytes);
  EXPECT_FALSE(twtest::KeyExists(HKEY_CURRENT_USER, kTestParent));
  EXPECT_TRUE(twtest::KeyExists(HKEY_LOCAL_MACHINE, victim.c_str()));
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\TWSpyLinkVictim");
}

}  // namespace
