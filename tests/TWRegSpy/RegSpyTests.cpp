// The spy component: what a server's registration leaves in the capture area
// while the caller looks, the order of the callbacks, and where its time
// limit comes from. Servers that misbehave: HostileServerTests.cpp.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "SpyTestSupport.h"
#include "com/TypeLibPlatform.h"
#include "support/TestSupport.h"

namespace {

using spytest::CallbackRecorder;
using spytest::Contains;
using spytest::Entries;
using spytest::ServerPath;

const std::wstring kThing = L"HKEY_CLASSES_ROOT\\CLSID\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C02}";
const std::wstring kExeThing = L"HKEY_CLASSES_ROOT\\CLSID\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C03}";
const std::wstring kTypeLib = L"HKEY_CLASSES_ROOT\\Typelib\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C00}";
const wchar_t kTestParent[] = L"Software\\TWSpyTestRoot";

enum : LONG { kRegistered = 0, kFailed = 1, kNotAServer = 2 };

class RegSpyTest : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestParent);
    ASSERT_EQ(spytest::CreateSpy(&spy_), S_OK);
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kTestParent); }

  HRESULT Capture(const std::vector<std::wstring>& files) {
    return spytest::Capture(spy_.Get(), files, &recorder_);
  }

  twutil::ComPtr<ITWRegSpy> spy_;
  CallbackRecorder recorder_;
};

TEST_F(RegSpyTest, EachKindOfServerIsInTheCaptureAreaWhileItsFileFinishes) {
  const std::wstring dll = ServerPath(L"SpyTypeLibServer.dll");
  const std::wstring dll64 = ServerPath(L"SpyTypeLibServer64.dll");
  const std::wstring exe = ServerPath(L"SpyExeServer.exe");
  const std::wstring exe64 = ServerPath(L"SpyExeServer64.exe");
  const std::wstring tlb = ServerPath(L"SpyTestLib.tlb");
  ASSERT_EQ(Capture({dll, dll64, exe, exe64, tlb}), S_OK);
  ASSERT_EQ(recorder_.Statuses(), std::vector<LONG>(5, kRegistered));
  const std::wstring mark = L"\\Software\\TWSpyTest|Marker=typelib server";
  const std::wstring view = L"HKEY_LOCAL_MACHINE\\Software\\TWSpyTestView|Marker=";
  // The servers without a 64 in their names are of this build's bitness.
  const std::wstring own = std::wstring(L"\\1.0\\0\\") + twutil::kTypeLibPlatform + L"|@=";
  const std::vector<std::wstring> expected[] = {
      {kThing + L"|@=Spy Test Thing", kThing + L"\\InprocServer32|@=" + dll,
       kThing + L"\\InprocServer32|ThreadingModel=Apartment",
       L"HKEY_CLASSES_ROOT\\TWSpyTest.Thing.1\\CLSID|@={5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C02}",
       kTypeLib + own + dll,
       L"HKEY_CLASSES_ROOT\\Interface\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C01}|@=ISpyTestThing",
       L"HKEY_LOCAL_MACHINE" + mark, L"HKEY_CURRENT_USER" + mark, L"HKEY_USERS\\.DEFAULT" + mark,
       view + L"typelib server"},
      {kThing + L"\\InprocServer32|@=" + dll64, kTypeLib + L"\\1.0\\0\\win64|@=" + dll64,
       view + L"typelib server"},
      {kExeThing + L"\\LocalServer32|@=\"" + exe + L"\"", kTypeLib + own + exe,
       view + L"exe server"},
      {kExeThing + L"\\LocalServer32|@=\"" + exe64 + L"\"",
       kTypeLib + L"\\1.0\\0\\win64|@=" + exe64, view + L"exe server"},
      {kTypeLib + own + tlb}};
  for (size_t i = 0; i < std::size(expected); ++i) {
    for (const std::wstring& entry : expected[i])
      EXPECT_TRUE(Contains(recorder_.Finished(i), entry)) << i << ": " << entry;
  }
}

TEST_F(RegSpyTest, CallbacksComeInOrderEachFileWithAnEmptyArea) {
  const std::vector<std::wstring> files = {spytest::NativeServer(L"SpyTypeLibServer", L".dll"),
                                           spytest::NativeServer(L"SpyFailServer", L".dll"),
                                           L"readme.txt"};
  ASSERT_EQ(Capture(files), S_OK);
  ASSERT_EQ(recorder_.events.size(), 6u);
  for (size_t i = 0; i < recorder_.events.size(); ++i) {
    const spytest::CallbackEvent& event = recorder_.events[i];
    EXPECT_EQ(event.start, i % 2 == 0) << i;
    EXPECT_EQ(event.file, files[i / 2]) << i;
    if (event.start) {
      EXPECT_EQ(event.captured, Entries{}) << i;
    }
  }
  EXPECT_EQ(recorder_.Statuses(), (std::vector<LONG>{kRegistered, kFailed, kNotAServer}));
  // A registration that reports failure keeps what it wrote on the way.
  EXPECT_EQ(recorder_.Finished(1),
            Entries{L"hkey_classes_root\\twspytest.misbehaving|@=misbehaving"});
}

// A console program that creates the spy sets its time limit through the
// environment; anything but whole seconds from 1 to 86400 leaves 60.
TEST(RegSpyTimeLimit, TheEnvironmentSetsItWhenTheSpyIsCreated) {
  const std::pair<const wchar_t*, LONG> cases[] = {
      {nullptr, 60}, {L"5", 5},    {L"86400", 86400}, {L"0", 60},    {L"86401", 60},
      {L"-5", 60},   {L"7 s", 60}, {L"", 60},         {L"0012", 12}, {L"99999999999", 60},
  };
  for (const auto& [text, seconds] : cases) {
    SetEnvironmentVariableW(L"TWREGSPY_TIMEOUT_SECONDS", text);
    twutil::ComPtr<ITWRegSpy> spy;
    ASSERT_EQ(spytest::CreateSpy(&spy), S_OK);
    LONG got = 0;
    EXPECT_EQ(spy->get_TimeoutSeconds(&got), S_OK);
    EXPECT_EQ(got, seconds) << (text ? testing::PrintToString(std::wstring(text)) : "unset");
  }
  SetEnvironmentVariableW(L"TWREGSPY_TIMEOUT_SECONDS", nullptr);
}

}  // namespace
