// The spy component: one capture of every kind of test server, well-behaved
// or hostile. Each file's callbacks come in order with what it registered and
// an outcome a person can act on, and the machine's registry, in both views,
// stays as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "SpyTestSupport.h"
#include "TWRegSpy.h"
#include "capture/Listings.h"
#include "com/TypeLibPlatform.h"
#include "servers/ServerWrites.h"
#include "support/TestDoubles.h"

namespace {

using spytest::NativeServer;
using spytest::ServerPath;
using twtest::Entries;
using twtest::Lines;
using twtest::Lower;

// The spy's outcomes of a file.
enum : LONG { kRegistered, kFailed, kNotAServer, kCrashed, kTimedOut, kEndedProcess = 6 };
const wchar_t kTestParent[] = L"Software\\TWSpyTestRoot";
const wchar_t kTestRoot[] = L"Software\\TWSpyTestRoot\\Capture";
const std::wstring kClasses = L"hkey_classes_root\\";
constexpr LONG kTimeLimitSeconds = 4;
// Far below the limit: what a dialog may cost, helper start included.
constexpr ULONGLONG kDialogMs = 2500;

// Wine's device manager, network driver and service manager keep writing
// their own state while a young prefix boots (and whenever a service
// starts); those keys are theirs, not a server's.
bool IsWineDeviceState(const std::wstring& key) {
  for (const std::wstring prefix :
       {L"HKLM\\System\\CurrentControlSet\\Enum", L"HKLM\\System\\CurrentControlSet\\Services",
        L"HKLM\\System\\CurrentControlSet\\Control\\DeviceClasses",
        L"HKLM\\System\\CurrentControlSet\\Control\\ServiceCurrent",
        L"HKLM\\Software\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards",
        L"HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards"}) {
    if (key.compare(0, prefix.size(), prefix) == 0 &&
        (key.size() == prefix.size() || key[prefix.size()] == L'\\'))
      return true;
  }
  return false;
}

// HKEY_LOCAL_MACHINE and HKEY_USERS in both views: each value (or key that
// holds nothing) to its type and bytes.
std::map<std::wstring, std::wstring> RegistrySnapshot() {
  std::map<std::wstring, std::wstring> snapshot;
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    for (const auto& [root, hive] :
         {std::make_pair(HKEY_LOCAL_MACHINE, L"HKLM"), std::make_pair(HKEY_USERS, L"HKU")}) {
      const std::wstring prefix = (view == KEY_WOW64_32KEY ? L"32:" : L"64:");
      twtest::WalkRegistry(root, hive, view,
                           [&](const std::wstring& path, const wchar_t* name, DWORD type,
                               const std::vector<BYTE>& data) {
                             if (IsWineDeviceState(path)) return;
                             std::wstring& text =
                                 snapshot[prefix + path + L"|" + (name ? name : L"<key>")];
                             text = std::to_wstring(type) + L":";
                             for (BYTE b : data) text += std::to_wstring(b) + L",";
                           });
    }
  }
  return snapshot;
}

HRESULT CreateSpy(twutil::ComPtr<ITWRegSpy>* spy) {
  if (!spytest::SpyRegistered()) return E_FAIL;
  return CoCreateInstance(CLSID_TWRegSpy, nullptr, CLSCTX_ALL, IID_ITWRegSpy, spy->PutVoid());
}

struct CallbackEvent {
  bool start;
  std::wstring file;
  LONG status;
  Entries captured;     // lower case, without the (empty) hive mirrors themselves
  std::wstring report;  // the spy's LastReport when the file finished
  ULONGLONG at;         // GetTickCount64()
};

// Records each report with the capture area at that moment.
class CallbackRecorder : public IRegSpyCallback {
 public:
  explicit CallbackRecorder(ITWRegSpy* spy) : spy_(spy) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    return twtest::Answer<CallbackRecorder, IRegSpyCallback>(this, iid, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP OnFileStart(BSTR file, VARIANT_BOOL* first, VARIANT_BOOL* second) override {
    Record(true, file, -1);
    if (first) *first = VARIANT_TRUE;
    if (second) *second = VARIANT_TRUE;
    return S_OK;
  }
  STDMETHODIMP OnFileFinished(BSTR file, LONG status, VARIANT_BOOL* done) override {
    Record(false, file, status);
    if (done) *done = VARIANT_TRUE;
    return S_OK;
  }
  STDMETHODIMP OnQuery(LONG, LONG, LONG, LONG, VARIANT_BOOL* answer) override {
    if (answer) *answer = 1;
    return S_OK;
  }

  std::vector<CallbackEvent> events;

 private:
  void Record(bool start, BSTR file, LONG status) {
    CallbackEvent event{start, file ? file : L"", status, {}, {}, GetTickCount64()};
    twutil::Bstr report;
    if (!start && spy_->get_LastReport(report.Put()) == S_OK) event.report = report.Text();
    for (const std::wstring& entry : twtest::RegistryEntries(HKEY_CURRENT_USER, kTestRoot))
      event.captured.insert(Lower(entry));
    for (const wchar_t* mirror :
         {L"hkey_classes_root", L"hkey_current_user", L"hkey_local_machine", L"hkey_users"})
      event.captured.erase(mirror);
    events.push_back(event);
  }
  ITWRegSpy* spy_;
};

struct Expected {
  std::wstring file;
  LONG outcome;
  std::wstring detail;
  std::wstring entry;  // one entry the capture holds; nothing captured when empty
};

TEST(RegSpy, EachServerGetsItsOutcomeAndCaptureAndTheRegistryStaysAsItWas) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kTestParent);
  const std::wstring victim = L"Software\\TWSpyLinkVictim\\Inner";
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, victim.c_str(), L"Kept", REG_SZ, L"x", 4),
            ERROR_SUCCESS);
  twutil::ComPtr<ITWRegSpy> spy;
  ASSERT_EQ(CreateSpy(&spy), S_OK);
  ASSERT_EQ(spy->put_TimeoutSeconds(kTimeLimitSeconds), S_OK);
  // Taken once two snapshots in a row agree.
  auto before = RegistrySnapshot();
  for (int attempt = 0; attempt < 10; ++attempt) {
    auto again = RegistrySnapshot();
    if (again == before) break;
    before = again;
  }
  ASSERT_GT(before.size(), 1000u);

  const std::wstring dll = ServerPath(L"SpyTypeLibServer.dll");
  const std::wstring dll64 = ServerPath(L"SpyTypeLibServer64.dll");
  const std::wstring exe = ServerPath(L"SpyExeServer.exe");
  const std::wstring exe64 = ServerPath(L"SpyExeServer64.exe");
  const std::wstring tlb = ServerPath(L"SpyTestLib.tlb");
  const std::wstring thing = L"HKEY_CLASSES_ROOT\\CLSID\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C02}";
  const std::wstring exeThing = L"HKEY_CLASSES_ROOT\\CLSID\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C03}";
  const std::wstring typeLib =
      L"HKEY_CLASSES_ROOT\\Typelib\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C00}";
  const std::wstring mark = L"\\Software\\TWSpyTest|Marker=typelib server";
  const std::wstring view = L"HKEY_LOCAL_MACHINE\\Software\\TWSpyTestView|Marker=";
  // The servers without a 64 in their names are of this build's bitness.
  const std::wstring own = std::wstring(L"\\1.0\\0\\") + twutil::kTypeLibPlatform + L"|@=";
  // The child servers run reg.exe against HKEY_CLASSES_ROOT, that is
  // HKEY_LOCAL_MACHINE\Software\Classes, unless it is stopped.
  const std::wstring child = L"stopped child process: reg.exe add HKCR\\TWHostileChild /ve /d x /f";
  const std::wstring misbehaving = kClasses + L"twspytest.misbehaving|@=misbehaving";
  std::wstring deepest = kClasses + L"twspytest.deep";
  for (int level = 1; level <= spytest::kDeepLevels; ++level)
    deepest += L"\\l" + std::to_wstring(level);
  const std::wstring longName(255, L'n');
  const Expected cases[] = {
      {dll, kRegistered, L"registered", view + L"typelib server"},
      {dll64, kRegistered, L"registered", view + L"typelib server"},
      {exe, kRegistered, L"registered", view + L"exe server"},
      {exe64, kRegistered, L"registered", view + L"exe server"},
      {tlb, kRegistered, L"registered", typeLib + own + tlb},
      {NativeServer(L"SpyCrashServer", L".dll"), kCrashed, L"crashed: exception 0xC0000005", L""},
      {NativeServer(L"SpyCrashingExeServer", L".exe"), kCrashed, L"crashed: exception 0xC0000005",
       L""},
      {NativeServer(L"SpyExitServer", L".dll"), kEndedProcess, L"ended its process (exit code 7)",
       L""},
      {NativeServer(L"SpyHangServer", L".dll"), kTimedOut, L"timed out after 4 s", L""},
      {NativeServer(L"SpyFailServer", L".dll"), kFailed,
       L"registration failed: DllRegisterServer returned 0x80004005", misbehaving},
      {NativeServer(L"SpyExitCodeExeServer", L".exe"), kFailed,
       L"registration failed: /regserver exited with code 3",
       kClasses + L"twspytest.hostileexe|@=before"},
      {NativeServer(L"SpyDialogServer", L".dll"), kRegistered,
       L"registered; closed dialog \"Spy Dialog\": Registering the dialog server.",
       kClasses + L"twspytest.dialog|@=after the dialog"},
      {NativeServer(L"SpyDialogExeServer", L".exe"), kRegistered,
       L"registered; closed dialog \"Spy Exe Dialog\": Registering the executable dialog server.",
       kClasses + L"twspytest.hostileexe|@=after"},
      {NativeServer(L"SpyChildServer", L".dll"), kRegistered, L"registered; " + child,
       kClasses + L"twspytest.child|@=after the child"},
      {ServerPath(L"SpyChildServer64.dll"), kRegistered, L"registered; " + child,
       kClasses + L"twspytest.child|@=after the child"},
      {NativeServer(L"SpyChildExeServer", L".exe"), kRegistered, L"registered; " + child,
       kClasses + L"twspytest.hostileexe|@=after"},
      {L"readme.txt", kNotAServer, L"not a server file", L""},
      {NativeServer(L"SpyManyKeysServer", L".dll"), kRegistered, L"registered",
       kClasses + L"twspytest.many\\key2999|@=2999"},
      {NativeServer(L"SpyDeepKeysServer", L".dll"), kRegistered, L"registered",
       deepest + L"|@=bottom"},
      {NativeServer(L"SpyLongNamesServer", L".dll"), kRegistered, L"registered",
       kClasses + L"twspytest.long\\" + longName + L"|" + longName + L"=long"},
      {NativeServer(L"SpyLinkServer", L".dll"), kRegistered, L"registered", misbehaving},
  };
  // More of what the well-behaved servers (the first rows) registered.
  const std::vector<std::wstring> registered[] = {
      {thing + L"|@=Spy Test Thing", thing + L"\\InprocServer32|@=" + dll,
       thing + L"\\InprocServer32|ThreadingModel=Apartment",
       L"HKEY_CLASSES_ROOT\\TWSpyTest.Thing.1\\CLSID|@={5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C02}",
       typeLib + own + dll,
       L"HKEY_CLASSES_ROOT\\Interface\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C01}|@=ISpyTestThing",
       L"HKEY_LOCAL_MACHINE" + mark, L"HKEY_CURRENT_USER" + mark, L"HKEY_USERS\\.DEFAULT" + mark},
      {thing + L"\\InprocServer32|@=" + dll64, typeLib + L"\\1.0\\0\\win64|@=" + dll64},
      {exeThing + L"\\LocalServer32|@=\"" + exe + L"\"", typeLib + own + exe},
      {exeThing + L"\\LocalServer32|@=\"" + exe64 + L"\"",
       typeLib + L"\\1.0\\0\\win64|@=" + exe64}};
  const size_t kFirstHostileRow = 5, kFailRow = 9, kManyKeysRow = 17, kLongNamesRow = 19;

  CallbackRecorder recorder(spy.Get());
  for (const Expected& c : cases) spy->AddFile(twutil::Bstr(c.file.c_str()).Get(), 0, 0);
  ASSERT_EQ(spy->RunCapture(twutil::Bstr(kTestRoot).Get(), &recorder), S_OK);
  ASSERT_EQ(recorder.events.size(), 2 * std::size(cases));

  for (size_t i = 0; i < std::size(cases); ++i) {
    const Expected& expected = cases[i];
    SCOPED_TRACE(testing::Message() << testing::PrintToString(expected.file));
    const CallbackEvent& started = recorder.events[2 * i];
    const CallbackEvent& finished = recorder.events[2 * i + 1];
    // Each file starts with an empty area.
    EXPECT_TRUE(started.start && !finished.start);
    EXPECT_EQ(started.file, expected.file);
    EXPECT_EQ(finished.file, expected.file);
    EXPECT_EQ(started.captured, Entries{});
    EXPECT_EQ(finished.status, expected.outcome);
    EXPECT_EQ(finished.report, expected.detail);
    if (expected.entry.empty()) {
      EXPECT_EQ(finished.captured, Entries{});
    } else {
      EXPECT_TRUE(finished.captured.count(Lower(expected.entry)));
    }
    for (const std::wstring& entry : i < std::size(registered) ? registered[i] : Lines{})
      EXPECT_TRUE(finished.captured.count(Lower(entry))) << testing::PrintToString(entry);
    if (i < kFirstHostileRow) continue;
    // A hostile server costs no more time than it must.
    const ULONGLONG took = finished.at - started.at;
    if (expected.outcome == kTimedOut) {
      EXPECT_GE(took, kTimeLimitSeconds * 1000u);
      EXPECT_LT(took, kTimeLimitSeconds * 1000u + 5000u);
    } else {
      EXPECT_LT(took, kDialogMs);
    }
  }
  // A registration that reports failure keeps what it wrote on the way.
  EXPECT_EQ(recorder.events[2 * kFailRow + 1].captured, Entries{misbehaving});
  size_t many = 0;
  for (const std::wstring& entry : recorder.events[2 * kManyKeysRow + 1].captured)
    many += entry.compare(0, 33, L"hkey_classes_root\\twspytest.many\\") == 0;
  EXPECT_EQ(many, static_cast<size_t>(spytest::kManyKeys));
  EXPECT_TRUE(recorder.events[2 * kLongNamesRow + 1].captured.count(
      kClasses + L"twspytest.long|big=<" + std::to_wstring(spytest::kBigValueBytes) + L" bytes>"));
  EXPECT_FALSE(twtest::KeyExists(HKEY_CURRENT_USER, kTestParent));
  EXPECT_TRUE(twtest::KeyExists(HKEY_LOCAL_MACHINE, victim.c_str()));

  const auto after = RegistrySnapshot();
  std::vector<std::pair<std::wstring, std::wstring>> changed;  // as before and as after
  std::set_symmetric_difference(before.begin(), before.end(), after.begin(), after.end(),
                                std::back_inserter(changed));
  EXPECT_EQ(changed.size(), 0u) << testing::PrintToString(changed).substr(0, 4000);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\TWSpyLinkVictim");
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
    ASSERT_EQ(CreateSpy(&spy), S_OK);
    LONG got = 0;
    EXPECT_EQ(spy->get_TimeoutSeconds(&got), S_OK);
    EXPECT_EQ(got, seconds) << (text ? testing::PrintToString(std::wstring(text)) : "unset");
  }
  SetEnvironmentVariableW(L"TWREGSPY_TIMEOUT_SECONDS", nullptr);
}

}  // namespace
