// The spy component: what a server's registration leaves in the capture area
// while the caller looks, the order and thread of the callbacks, servers that
// crash, hang, fail or end their process, 64-bit and executable servers, the
// checks on its arguments, and ServerInfo driving it.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "SpyTestSupport.h"
#include "capture/CaptureTestDoubles.h"
#include "model/Component.h"
#include "support/TestSupport.h"

namespace {

using spytest::CallbackRecorder;
using spytest::Contains;
using spytest::Entries;
using spytest::ServerPath;
using twutil::Bstr;
using twutil::ComPtr;

const std::wstring kThing = L"HKEY_CLASSES_ROOT\\CLSID\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C02}";
const std::wstring kExeThing = L"HKEY_CLASSES_ROOT\\CLSID\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C03}";
const std::wstring kTypeLib = L"HKEY_CLASSES_ROOT\\Typelib\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C00}";
const wchar_t kTestParent[] = L"Software\\TWSpyTestRoot";

enum : LONG { kRegistered = 0, kFailed = 1, kNotAServer = 2, kEnded = 3, kTimedOut = 4 };

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
  std::wstring LastReport() {
    Bstr report;
    spy_->get_LastReport(report.Put());
    return report.Text();
  }

  ComPtr<ITWRegSpy> spy_;
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
  const std::vector<std::wstring> expected[] = {
      {kThing + L"|@=Spy Test Thing", kThing + L"\\InprocServer32|@=" + dll,
       kThing + L"\\InprocServer32|ThreadingModel=Apartment",
       L"HKEY_CLASSES_ROOT\\TWSpyTest.Thing.1\\CLSID|@={5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C02}",
       kTypeLib + L"\\1.0\\0\\win32|@=" + dll,
       L"HKEY_CLASSES_ROOT\\Interface\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C01}|@=ISpyTestThing",
       L"HKEY_LOCAL_MACHINE" + mark, L"HKEY_CURRENT_USER" + mark, L"HKEY_USERS\\.DEFAULT" + mark,
       view + L"typelib server"},
      {kThing + L"\\InprocServer32|@=" + dll64, kTypeLib + L"\\1.0\\0\\win64|@=" + dll64,
       view + L"typelib server"},
      {kExeThing + L"\\LocalServer32|@=\"" + exe + L"\"", kTypeLib + L"\\1.0\\0\\win32|@=" + exe,
       view + L"exe server"},
      {kExeThing + L"\\LocalServer32|@=\"" + exe64 + L"\"",
       kTypeLib + L"\\1.0\\0\\win64|@=" + exe64, view + L"exe server"},
      {kTypeLib + L"\\1.0\\0\\win32|@=" + tlb}};
  for (size_t i = 0; i < std::size(expected); ++i) {
    for (const std::wstring& entry : expected[i])
      EXPECT_TRUE(Contains(recorder_.Finished(i), entry)) << i << ": " << entry;
  }
  EXPECT_FALSE(Contains(recorder_.Finished(4), kThing + L"|@=Spy Test Thing"));
  EXPECT_EQ(LastReport(), L"registered");
}

TEST_F(RegSpyTest, CallbacksComeInOrderOnTheCallersThreadEachFileWithAnEmptyArea) {
  // What an earlier run left behind goes too.
  std::wstring stale = std::wstring(spytest::kTestRoot) + L"\\HKEY_CLASSES_ROOT\\Stale";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, stale.c_str(), L"v", REG_SZ, L"x", 4),
            ERROR_SUCCESS);
  spy_->AddFile(nullptr, 0, 0);
  const std::vector<std::wstring> files = {ServerPath(L"SpyTypeLibServer.dll"),
                                           ServerPath(L"SpyFailServer.dll"), L"readme.txt",
                                           std::wstring(300, L'n') + L".dll"};
  ASSERT_EQ(Capture(files), S_OK);
  ASSERT_EQ(recorder_.events.size(), 10u);
  for (size_t i = 0; i < recorder_.events.size(); ++i) {
    const spytest::CallbackEvent& event = recorder_.events[i];
    EXPECT_EQ(event.start, i % 2 == 0) << i;
    EXPECT_EQ(event.file, i < 2 ? L"" : files[i / 2 - 1]) << i;
    EXPECT_EQ(event.thread, GetCurrentThreadId()) << i;
    if (event.start) {
      EXPECT_EQ(event.captured, Entries{}) << i;
    }
  }
  EXPECT_TRUE(recorder_.events[0].nullFile);
  EXPECT_EQ(recorder_.Statuses(),
            (std::vector<LONG>{kNotAServer, kRegistered, kFailed, kNotAServer, kFailed}));
  // A registration that reports failure keeps what it wrote on the way.
  EXPECT_EQ(recorder_.Finished(2),
            Entries{L"hkey_classes_root\\twspytest.misbehaving|@=misbehaving"});
  EXPECT_EQ(LastReport(), L"registration failed");
}

TEST_F(RegSpyTest, CrashHangAndExitCostOnlyTheirOwnFile) {
  ASSERT_EQ(spy_->put_TimeoutSeconds(2), S_OK);
  ULONGLONG started = GetTickCount64();
  ASSERT_EQ(Capture({ServerPath(L"SpyCrashServer.dll"), ServerPath(L"SpyHangServer.dll"),
                     ServerPath(L"SpyExitServer.dll"), ServerPath(L"SpyCrashingExeServer.exe"),
                     ServerPath(L"SpyTypeLibServer.dll")}),
            S_OK);
  ULONGLONG took = GetTickCount64() - started;
  EXPECT_EQ(recorder_.Statuses(),
            (std::vector<LONG>{kEnded, kTimedOut, kEnded, kEnded, kRegistered}));
  for (size_t i = 0; i < 4; ++i)
    EXPECT_EQ(recorder_.Finished(i), Entries{}) << "file " << i << " left entries";
  EXPECT_TRUE(Contains(recorder_.Finished(4), kThing + L"|@=Spy Test Thing"));
  EXPECT_GE(took, 2000u);
  EXPECT_LT(took, 30000u);
  EXPECT_FALSE(twtest::KeyExists(HKEY_CURRENT_USER, kTestParent));
}

TEST_F(RegSpyTest, TheCaptureAreaGoesWhateverHappensButParentsThatExistedStay) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kTestParent, L"Keep", REG_SZ, L"x", 4),
            ERROR_SUCCESS);
  // A caller that refuses a file ends the capture.
  recorder_.finishResult = E_ABORT;
  EXPECT_EQ(Capture({ServerPath(L"SpyTypeLibServer.dll"), ServerPath(L"SpyFailServer.dll")}),
            E_ABORT);
  EXPECT_EQ(recorder_.events.size(), 2u);
  EXPECT_FALSE(twtest::KeyExists(HKEY_CURRENT_USER, spytest::kTestRoot));
  std::wstring kept;
  EXPECT_TRUE(twtest::ReadString(HKEY_CURRENT_USER, kTestParent, L"Keep", &kept));
  // Without files the area is made and removed all the same.
  RegDeleteTreeW(HKEY_CURRENT_USER, kTestParent);
  spy_->ClearFiles();
  EXPECT_EQ(Capture({}), S_OK);
  EXPECT_EQ(recorder_.events.size(), 2u);
  EXPECT_FALSE(twtest::KeyExists(HKEY_CURRENT_USER, kTestParent));
}

LRESULT CALLBACK CountingWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP) ++*reinterpret_cast<int*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(RegSpyTest, TheCallersMessagesAreDispatchedWhileAServerRuns) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = CountingWindow;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"SpyTestCounter";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowW(L"SpyTestCounter", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              windowClass.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  int dispatched = 0, dispatchedAtFinish = -1;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&dispatched));
  recorder_.duringStart = [&] { PostMessageW(window, WM_APP, 0, 0); };
  recorder_.duringFinish = [&] { dispatchedAtFinish = dispatched; };
  ASSERT_EQ(spy_->put_TimeoutSeconds(2), S_OK);
  ASSERT_EQ(Capture({ServerPath(L"SpyHangServer.dll")}), S_OK);
  EXPECT_EQ(dispatchedAtFinish, 1);
  DestroyWindow(window);
}

TEST_F(RegSpyTest, RunCaptureIsNotEnteredTwice) {
  HRESULT inner = S_OK;
  recorder_.duringStart = [&] {
    CallbackRecorder other;
    inner = spy_->RunCapture(Bstr(L"Software\\TWSpyTestRoot\\Other").Get(), &other);
  };
  ASSERT_EQ(Capture({L"readme.txt"}), S_OK);
  EXPECT_EQ(inner, HRESULT_FROM_WIN32(ERROR_BUSY));
}

TEST_F(RegSpyTest, BadArgumentsAndKeysOfSomeoneElseAreRefusedBeforeAnythingRuns) {
  spy_->AddFile(Bstr(ServerPath(L"SpyFailServer.dll").c_str()).Get(), 0, 0);
  const Bstr root(spytest::kTestRoot);
  EXPECT_EQ(spy_->RunCapture(root.Get(), nullptr), E_POINTER);
  EXPECT_EQ(spy_->RunCapture(root.Get(), spy_.Get()), E_NOINTERFACE);  // no callback
  // Roots that are no plain relative key path.
  for (const wchar_t* bad : {L"", L"\\Software\\X", L"Software\\X\\", L"Software\\\\X"})
    EXPECT_EQ(spy_->RunCapture(Bstr(bad).Get(), &recorder_), E_INVALIDARG) << bad;
  EXPECT_EQ(spy_->RunCapture(Bstr(std::wstring(201, L'r').c_str()).Get(), &recorder_),
            E_INVALIDARG);
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, spytest::kTestRoot, L"Owner", REG_SZ, L"me", 6),
            ERROR_SUCCESS);
  EXPECT_EQ(spy_->RunCapture(root.Get(), &recorder_), HRESULT_FROM_WIN32(ERROR_DIR_NOT_EMPTY));
  std::wstring owner;
  EXPECT_TRUE(twtest::ReadString(HKEY_CURRENT_USER, spytest::kTestRoot, L"Owner", &owner));
  ComPtr<IErrorInfo> error;
  ASSERT_EQ(GetErrorInfo(0, error.Put()), S_OK);
  Bstr source;
  error->GetSource(source.Put());
  EXPECT_STREQ(source.Text(), L"TWRegSpy");
  EXPECT_TRUE(recorder_.events.empty());
}

// ServerInfo with the real spy: progress in tens, a text at each end, the
// model filled from the capture area, and no capture area left.
TEST(SpyThroughServerInfo, NineFilesGiveProgressInTensAndATextAtEachEnd) {
  ASSERT_TRUE(spytest::SpyRegistered());
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tarnwick\\Foundry\\7.0");
  ComPtr<IServerInfo> info;
  ComPtr<IRegistry> registry;
  ASSERT_EQ(twtest::Create(CLSID_ServerInfo, &info), S_OK);
  ASSERT_EQ(twtest::Create(CLSID_Registry, &registry), S_OK);
  const std::vector<std::wstring> files = {ServerPath(L"SpyTypeLibServer.dll"),
                                           ServerPath(L"SpyFailServer.dll"),
                                           ServerPath(L"SpyCrashServer.dll"),
                                           ServerPath(L"SpyExitServer.dll"),
                                           ServerPath(L"SpyExeServer.exe"),
                                           ServerPath(L"SpyTypeLibServer64.dll"),
                                           L"C:\\nowhere\\readme.txt",
                                           ServerPath(L"SpyExeServer64.exe"),
                                           ServerPath(L"SpyCrashingExeServer.exe")};
  std::vector<ComPtr<IExtractComponent>> components(files.size());
  std::vector<IDispatch*> handed;
  for (size_t i = 0; i < files.size(); ++i) {
    ASSERT_EQ(
        twutil::model::CreateExtractComponent(files[i].c_str(), L"C:\\dest", components[i].Put()),
        S_OK);
    handed.push_back(components[i].Get());
  }
  twtest::ProgressRecorder status(true);
  LONG result = 7;
  ASSERT_EQ(info->SetServer(static_cast<LONG>(handed.size()), handed.data(), registry.Get(), 0, 0,
                            0, &status, &result),
            S_OK);
  EXPECT_EQ(result, 7);
  EXPECT_EQ(status.progress, (std::vector<LONG>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
  std::vector<std::wstring> texts;
  for (const std::wstring& file : files) {
    texts.push_back(L"Starting to extract COM data from file " + file);
    texts.push_back(L"Finished extracting COM data from file " + file);
  }
  EXPECT_EQ(status.texts, texts);
  EXPECT_FALSE(twtest::KeyExists(HKEY_CURRENT_USER, L"Software\\Tarnwick\\RegSpyProxy"));
  EXPECT_EQ(twtest::ModelLines(components[0].Get(), "ComClass"),
            twtest::Lines{L"ComClass {5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C02}|Spy Test Thing||||0"});
}

}  // namespace
