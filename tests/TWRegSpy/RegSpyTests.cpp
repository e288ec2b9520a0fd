// The spy component on its own: what a server's registration leaves in the
// capture area while the caller looks, the order and thread of the
// callbacks, servers that crash, hang, fail or end their process, 64-bit and
// executable servers, and the checks on its arguments.
#include <gtest/gtest.h>

#include <string>

#include "SpyTestSupport.h"
#include "support/TestSupport.h"

namespace {

using spytest::CallbackRecorder;
using spytest::Contains;
using spytest::ServerPath;
using twutil::Bstr;
using twutil::ComPtr;

const wchar_t kThingClass[] = L"HKEY_CLASSES_ROOT\\CLSID\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C02}";
const wchar_t kTypeLib[] = L"HKEY_CLASSES_ROOT\\Typelib\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C00}";
const wchar_t kInterface[] =
    L"HKEY_CLASSES_ROOT\\Interface\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C01}";
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

TEST_F(RegSpyTest, WhatTheServerRegistersIsInTheCaptureAreaWhileTheFileFinishes) {
  std::wstring server = ServerPath(L"SpyTypeLibServer.dll");
  ASSERT_EQ(Capture({server}), S_OK);
  ASSERT_EQ(recorder_.Statuses(), std::vector<LONG>{kRegistered});
  const auto& captured = recorder_.Finish(0).captured;
  EXPECT_TRUE(Contains(captured, std::wstring(kThingClass) + L"\\InprocServer32:@=" + server));
  EXPECT_TRUE(
      Contains(captured, std::wstring(kThingClass) + L"\\InprocServer32:ThreadingModel=Apartment"));
  EXPECT_TRUE(Contains(captured,
                       L"HKEY_CLASSES_ROOT\\TWSpyTest.Thing.1\\CLSID:@="
                       L"{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C02}"));
  EXPECT_TRUE(Contains(captured, std::wstring(kTypeLib) + L"\\1.0\\0\\win32:@=" + server));
  EXPECT_TRUE(Contains(captured, std::wstring(kInterface) + L":@=ISpyTestThing"));
  for (const wchar_t* mark :
       {L"HKEY_LOCAL_MACHINE\\Software\\TWSpyTest", L"HKEY_CURRENT_USER\\Software\\TWSpyTest",
        L"HKEY_USERS\\.DEFAULT\\Software\\TWSpyTest",
        L"HKEY_LOCAL_MACHINE\\Software\\TWSpyTestView"})
    EXPECT_TRUE(Contains(captured, std::wstring(mark) + L":Marker=typelib server")) << mark;
  EXPECT_EQ(LastReport(), L"registered");
}

TEST_F(RegSpyTest, ATypeLibraryFileIsRegisteredAsSuch) {
  std::wstring library = ServerPath(L"SpyTestLib.tlb");
  ASSERT_EQ(Capture({library}), S_OK);
  ASSERT_EQ(recorder_.Statuses(), std::vector<LONG>{kRegistered});
  const auto& captured = recorder_.Finish(0).captured;
  EXPECT_TRUE(Contains(captured, std::wstring(kTypeLib) + L"\\1.0\\0\\win32:@=" + library));
  EXPECT_FALSE(Contains(captured, kThingClass));
}

TEST_F(RegSpyTest, CallbacksComeInOrderOnTheCallersThreadWithTheFilesAsAdded) {
  std::wstring longName = std::wstring(300, L'n') + L".dll";
  spy_->AddFile(nullptr, 0, 0);
  ASSERT_EQ(Capture({ServerPath(L"SpyTypeLibServer.dll"), ServerPath(L"SpyFailServer.dll"),
                     L"readme.txt", longName}),
            S_OK);
  ASSERT_EQ(recorder_.events.size(), 10u);
  const std::wstring expected[] = {L"", ServerPath(L"SpyTypeLibServer.dll"),
                                   ServerPath(L"SpyFailServer.dll"), L"readme.txt", longName};
  for (size_t i = 0; i < recorder_.events.size(); ++i) {
    const spytest::CallbackEvent& event = recorder_.events[i];
    EXPECT_EQ(event.start, i % 2 == 0) << i;
    EXPECT_EQ(event.file, expected[i / 2]) << i;
    EXPECT_EQ(event.thread, GetCurrentThreadId()) << i;
  }
  EXPECT_TRUE(recorder_.events[0].nullFile);
  EXPECT_EQ(recorder_.Statuses(),
            (std::vector<LONG>{kNotAServer, kRegistered, kFailed, kNotAServer, kFailed}));
  // A registration that reports failure keeps what it wrote on the way.
  EXPECT_TRUE(Contains(recorder_.Finish(2).captured, L"HKEY_CLASSES_ROOT\\TWSpyTest.Fail:@=fail"));
  EXPECT_EQ(LastReport(), L"registration failed");
}

TEST_F(RegSpyTest, EveryFileStartsWithAnEmptyCaptureArea) {
  // What an earlier run left behind goes too.
  std::wstring stale = std::wstring(spytest::kTestRoot) + L"\\HKEY_CLASSES_ROOT\\Stale";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, stale.c_str(), L"v", REG_SZ, L"x", 4),
            ERROR_SUCCESS);
  ASSERT_EQ(Capture({ServerPath(L"SpyTypeLibServer.dll"), ServerPath(L"SpyFailServer.dll")}), S_OK);
  ASSERT_EQ(recorder_.events.size(), 4u);
  EXPECT_TRUE(recorder_.events[0].captured.empty());
  EXPECT_TRUE(recorder_.events[2].captured.empty());
  const auto& second = recorder_.Finish(1).captured;
  EXPECT_FALSE(Contains(second, kThingClass));
  EXPECT_EQ(second.size(), 2u);  // the Fail key and its default value
}

TEST_F(RegSpyTest, CrashHangAndExitCostOnlyTheirOwnFile) {
  ASSERT_EQ(spy_->put_TimeoutSeconds(2), S_OK);
  ULONGLONG started = GetTickCount64();
  ASSERT_EQ(Capture({ServerPath(L"SpyCrashServer.dll"), ServerPath(L"SpyHangServer.dll"),
                     ServerPath(L"SpyExitServer.dll"), ServerPath(L"SpyTypeLibServer.dll")}),
            S_OK);
  ULONGLONG took = GetTickCount64() - started;
  EXPECT_EQ(recorder_.Statuses(), (std::vector<LONG>{kEnded, kTimedOut, kEnded, kRegistered}));
  for (size_t i = 0; i < 3; ++i)
    EXPECT_TRUE(recorder_.Finish(i).captured.empty()) << "file " << i << " left entries";
  EXPECT_TRUE(Contains(recorder_.Finish(3).captured, kThingClass));
  EXPECT_GE(took, 2000u);
  EXPECT_LT(took, 30000u);
  EXPECT_FALSE(twtest::KeyExists(HKEY_CURRENT_USER, kTestParent));
}

TEST_F(RegSpyTest, ACallerThatRefusesAFileEndsTheCapture) {
  recorder_.finishResult = E_ABORT;
  EXPECT_EQ(Capture({ServerPath(L"SpyTypeLibServer.dll"), ServerPath(L"SpyFailServer.dll")}),
            E_ABORT);
  ASSERT_EQ(recorder_.events.size(), 2u);
  EXPECT_FALSE(twtest::KeyExists(HKEY_CURRENT_USER, kTestParent));
}

TEST_F(RegSpyTest, TheCaptureAreaGoesButParentsThatExistedStay) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kTestParent, L"Keep", REG_SZ, L"x", 4),
            ERROR_SUCCESS);
  ASSERT_EQ(Capture({ServerPath(L"SpyFailServer.dll")}), S_OK);
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

TEST_F(RegSpyTest, SixtyFourBitServersAreCaptured) {
  std::wstring server = ServerPath(L"SpyTypeLibServer64.dll");
  ASSERT_EQ(Capture({server}), S_OK);
  ASSERT_EQ(recorder_.Statuses(), std::vector<LONG>{kRegistered});
  const auto& captured = recorder_.Finish(0).captured;
  EXPECT_TRUE(Contains(captured, std::wstring(kThingClass) + L"\\InprocServer32:@=" + server));
  EXPECT_TRUE(Contains(captured, std::wstring(kTypeLib) + L"\\1.0\\0\\win64:@=" + server));
  EXPECT_TRUE(
      Contains(captured, L"HKEY_LOCAL_MACHINE\\Software\\TWSpyTestView:Marker=typelib server"));
}

TEST_F(RegSpyTest, ExecutableServersAreCapturedInTheirOwnProcess) {
  std::wstring exe32 = ServerPath(L"SpyExeServer.exe");
  std::wstring exe64 = ServerPath(L"SpyExeServer64.exe");
  ASSERT_EQ(Capture({exe32, exe64, ServerPath(L"SpyCrashingExeServer.exe")}), S_OK);
  EXPECT_EQ(recorder_.Statuses(), (std::vector<LONG>{kRegistered, kRegistered, kEnded}));
  const std::wstring localServer =
      L"HKEY_CLASSES_ROOT\\CLSID\\{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C03}\\LocalServer32:@=\"";
  for (size_t i = 0; i < 2; ++i) {
    const auto& captured = recorder_.Finish(i).captured;
    std::wstring exe = i == 0 ? exe32 : exe64;
    EXPECT_TRUE(Contains(captured, localServer + exe + L"\"")) << i;
    EXPECT_TRUE(Contains(captured, std::wstring(kTypeLib) + L"\\1.0\\0\\" +
                                       (i == 0 ? L"win32" : L"win64") + L":@=" + exe))
        << i;
    EXPECT_TRUE(
        Contains(captured, L"HKEY_LOCAL_MACHINE\\Software\\TWSpyTestView:Marker=exe server"))
        << i;
  }
  EXPECT_TRUE(recorder_.Finish(2).captured.empty());
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
  int dispatched = 0;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&dispatched));
  int dispatchedAtFinish = -1;
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

TEST_F(RegSpyTest, BadArgumentsAreRefusedBeforeAnythingRuns) {
  spy_->AddFile(Bstr(ServerPath(L"SpyFailServer.dll").c_str()).Get(), 0, 0);
  EXPECT_EQ(spy_->RunCapture(Bstr(spytest::kTestRoot).Get(), nullptr), E_POINTER);
  // An object that is no callback.
  EXPECT_EQ(spy_->RunCapture(Bstr(spytest::kTestRoot).Get(), spy_.Get()), E_NOINTERFACE);
  const std::wstring roots[] = {L"",
                                L"\\Software\\X",
                                L"Software\\X\\",
                                L"Software\\\\X",
                                L"Software\\X\"Y",
                                std::wstring(201, L'r'),
                                std::wstring(L"Software\0X", 10)};
  for (const std::wstring& root : roots) {
    Bstr text(root.c_str(), static_cast<UINT>(root.size()));
    EXPECT_EQ(spy_->RunCapture(text.Get(), &recorder_), E_INVALIDARG) << root.size();
  }
  EXPECT_EQ(spy_->RunCapture(nullptr, &recorder_), E_INVALIDARG);
  EXPECT_TRUE(recorder_.events.empty());
}

TEST_F(RegSpyTest, KeysOfSomeoneElseAtTheRootAreLeftAlone) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, spytest::kTestRoot, L"Owner", REG_SZ, L"me", 6),
            ERROR_SUCCESS);
  EXPECT_EQ(Capture({ServerPath(L"SpyFailServer.dll")}), HRESULT_FROM_WIN32(ERROR_DIR_NOT_EMPTY));
  EXPECT_TRUE(recorder_.events.empty());
  std::wstring owner;
  EXPECT_TRUE(twtest::ReadString(HKEY_CURRENT_USER, spytest::kTestRoot, L"Owner", &owner));
  ComPtr<IErrorInfo> error;
  ASSERT_EQ(GetErrorInfo(0, error.Put()), S_OK);
  Bstr source;
  error->GetSource(source.Put());
  EXPECT_STREQ(source.Text(), L"TWRegSpy");
}

TEST_F(RegSpyTest, TimeLimitAndFileList) {
  LONG value = 0;
  ASSERT_EQ(spy_->get_TimeoutSeconds(&value), S_OK);
  EXPECT_EQ(value, 60);
  for (LONG bad : {0L, -5L, 86401L}) EXPECT_EQ(spy_->put_TimeoutSeconds(bad), E_INVALIDARG);
  EXPECT_EQ(spy_->put_TimeoutSeconds(86400), S_OK);
  EXPECT_EQ(spy_->get_TimeoutSeconds(nullptr), E_POINTER);
  EXPECT_EQ(spy_->AddFile(Bstr(L"a.dll").Get(), 0, 0), S_OK);
  EXPECT_EQ(spy_->AddFile(nullptr, 7, 9), S_OK);
  ASSERT_EQ(spy_->get_FileCount(&value), S_OK);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(spy_->ClearFiles(), S_OK);
  ASSERT_EQ(spy_->get_FileCount(&value), S_OK);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(LastReport(), L"");
  EXPECT_EQ(spy_->get_LastReport(nullptr), E_POINTER);
}

TEST_F(RegSpyTest, LateBoundCallersReachTheSpy) {
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(spy_.As(&dispatch), S_OK);
  const wchar_t* names[] = {L"TimeoutSeconds", L"AddFile", L"FileCount"};
  DISPID ids[3] = {};
  for (int i = 0; i < 3; ++i) {
    LPOLESTR name = const_cast<LPOLESTR>(names[i]);
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &ids[i]), S_OK) << i;
  }
  DISPPARAMS none = {};
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(
      dispatch->Invoke(ids[0], IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
      S_OK);
  EXPECT_EQ(V_VT(&result), VT_I4);
  EXPECT_EQ(V_I4(&result), 60);
  VARIANT arguments[3];  // reversed: reserved, flags, file
  for (VARIANT& argument : arguments) {
    VariantInit(&argument);
    V_VT(&argument) = VT_I4;
    V_I4(&argument) = 0;
  }
  Bstr file(L"late.dll");
  V_VT(&arguments[2]) = VT_BSTR;
  V_BSTR(&arguments[2]) = file.Get();
  DISPPARAMS params = {arguments, nullptr, 3, 0};
  ASSERT_EQ(
      dispatch->Invoke(ids[1], IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
      S_OK);
  ASSERT_EQ(
      dispatch->Invoke(ids[2], IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
      S_OK);
  EXPECT_EQ(V_I4(&result), 1);
}

}  // namespace
