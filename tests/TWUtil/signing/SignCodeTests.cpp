// SignCode with a tool of the tests' own: the command line it receives, the
// lines and the outcome that reach the event object, and a tool whose output
// is far larger than a pipe holds.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "TWUtil.h"
#include "com/Owners.h"
#include "support/TestSupport.h"

using twutil::Bstr;
using twutil::ComPtr;

namespace {

// Records the calls of one Sign; implements the interface itself, since the
// runner calls it early bound.
class RecordingEvents : public ISignCodeEvent {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_ISignCodeEvent) {
      *out = static_cast<ISignCodeEvent*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP OutPut(BSTR sOutput) override {
    calls.push_back(L"OutPut:" + std::wstring(sOutput, SysStringLen(sOutput)));
    lines.emplace_back(sOutput, SysStringLen(sOutput));
    return E_FAIL;  // ignored by the runner
  }
  STDMETHODIMP Finished(long lRetCode) override {
    calls.push_back(L"Finished:" + std::to_wstring(lRetCode));
    ++finished;
    result = lRetCode;
    return S_OK;
  }
  ULONG refs = 1;
  std::vector<std::wstring> calls;
  std::vector<std::wstring> lines;
  int finished = 0;
  long result = -1;
};

class SignCodeRun : public ::testing::Test {
 public:
  // For calls made from a window procedure.
  void RunForTest(const std::string& output, RecordingEvents* events) { Run(output, L"0", events); }

 protected:
  void SetUp() override { ASSERT_HRESULT_SUCCEEDED(twtest::Create(CLSID_SignCode, &sign_)); }
  void TearDown() override { SetEnvironmentVariableW(L"TWTEST_SIGN_COMMAND_LINE", nullptr); }

  std::wstring Tool() const { return twtest::BinDir() + L"sign_tool.exe"; }
  // A file of exactly these bytes, for the tool to print.
  std::wstring Output(const std::string& bytes) {
    std::wstring path = dir_.Path() + L"out" + std::to_wstring(++files_) + L".txt";
    twutil::Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return path;
  }
  // Runs the tool printing output and exiting with code.
  HRESULT Run(const std::string& output, const wchar_t* code, RecordingEvents* events,
              const wchar_t* order = L"") {
    Bstr program(Tool().c_str());
    Bstr spc(Output(output).c_str());
    Bstr pvk(code);
    Bstr server(order);
    SignCodeOption options = {program.Get(), spc.Get(), pvk.Get(), nullptr, nullptr, server.Get()};
    Bstr file(L"C:\\signed.exe");
    return sign_->Sign(file.Get(), &options, events);
  }
  std::wstring CommandLineFile() {
    std::wstring path = dir_.Path() + L"cmdline.txt";
    SetEnvironmentVariableW(L"TWTEST_SIGN_COMMAND_LINE", path.c_str());
    return path;
  }
  static std::wstring ReadUtf16(const std::wstring& path) {
    twutil::Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    if (!file.Valid()) return L"<none>";
    std::wstring text(GetFileSize(file.Get(), nullptr) / 2, L'\0');
    DWORD read = 0;
    ReadFile(file.Get(), &text[0], static_cast<DWORD>(text.size() * 2), &read, nullptr);
    return text;
  }

  // The object keeps the latest event object after Sign returns, so the
  // event objects outlive it.
  RecordingEvents& NewEvents() {
    events_.emplace_back();
    return events_.back();
  }
  std::deque<RecordingEvents> events_;
  ComPtr<ISignCode> sign_;
  twtest::TempDir dir_;
  int files_ = 0;
};

using Calls = std::vector<std::wstring>;

TEST_F(SignCodeRun, TheToolGetsTheExactCommandLine) {
  std::wstring saved = CommandLineFile();
  Bstr program(Tool().c_str());
  Bstr spc(L"my cert.spc"), pvk(L"key.pvk"), name(L""), url(L"http://x/?a=1");
  SignCodeOption options = {program.Get(), spc.Get(), pvk.Get(), name.Get(), url.Get(), nullptr};
  Bstr file(L"C:\\dir\\app.exe");
  RecordingEvents& events = NewEvents();
  EXPECT_EQ(sign_->Sign(file.Get(), &options, &events), S_OK);
  EXPECT_EQ(ReadUtf16(saved), L"\"" + Tool() +
                                  L"\" -spc \"my cert.spc\" -v \"key.pvk\" -n \"\" "
                                  L"-i \"http://x/?a=1\" -a MD5 -t \"\" \"C:\\dir\\app.exe\"");

  options.sTxtName = nullptr;
  options.sURL = nullptr;
  EXPECT_EQ(sign_->Sign(nullptr, &options, &events), S_OK);
  EXPECT_EQ(ReadUtf16(saved),
            L"\"" + Tool() + L"\" -spc \"my cert.spc\" -v \"key.pvk\" -a MD5 -t \"\" \"\"");
}

TEST_F(SignCodeRun, OneLineAndSuccess) {
  RecordingEvents& events = NewEvents();
  EXPECT_EQ(Run("Succeeded\r\n", L"0", &events), S_OK);
  EXPECT_EQ(events.calls, (Calls{L"OutPut:Succeeded", L"Finished:1"}));
}

TEST_F(SignCodeRun, EmptyLinesAndALastLineWithoutBreak) {
  RecordingEvents& events = NewEvents();
  Run("first\r\n\r\nlast", L"0", &events);
  EXPECT_EQ(events.calls, (Calls{L"OutPut:first", L"OutPut:", L"OutPut:last", L"Finished:1"}));

  RecordingEvents& lone = NewEvents();  // a lone CR or LF is no line break
  Run("a\rb\nc\r\n", L"0", &lone);
  EXPECT_EQ(lone.calls, (Calls{L"OutPut:a\rb\nc", L"Finished:1"}));
}

TEST_F(SignCodeRun, ANonZeroExitCodeIsFailureAfterTheOutput) {
  RecordingEvents& silent = NewEvents();
  Run("", L"3", &silent);
  EXPECT_EQ(silent.calls, (Calls{L"Finished:0"}));

  RecordingEvents& talking = NewEvents();
  Run("Error: no certificate\r\n", L"-1", &talking);
  EXPECT_EQ(talking.calls, (Calls{L"OutPut:Error: no certificate", L"Finished:0"}));
}

TEST_F(SignCodeRun, AMissingProgramIsFailureWithoutOutput) {
  Bstr program((dir_.Path() + L"no such tool.exe").c_str());
  SignCodeOption options = {program.Get(), nullptr, nullptr, nullptr, nullptr, nullptr};
  RecordingEvents& events = NewEvents();
  EXPECT_EQ(sign_->Sign(nullptr, &options, &events), S_OK);
  EXPECT_EQ(events.calls, (Calls{L"Finished:0"}));

  RecordingEvents& noOptions = NewEvents();
  EXPECT_EQ(sign_->Sign(nullptr, nullptr, &noOptions), S_OK);
  EXPECT_EQ(noOptions.calls, (Calls{L"Finished:0"}));

  Bstr text(L"signed.txt");  // not an executable
  Bstr textFile(Output("plain text").c_str());
  options.sFullPathSignCode = textFile.Get();
  RecordingEvents& notProgram = NewEvents();
  EXPECT_EQ(sign_->Sign(text.Get(), &options, &notProgram), S_OK);
  EXPECT_EQ(notProgram.calls, (Calls{L"Finished:0"}));
}

TEST_F(SignCodeRun, StandardErrorArrivesInTheSamePipe) {
  RecordingEvents& events = NewEvents();
  Run("", L"0", &events, L"stderr=warning: weak key\r\n");
  EXPECT_EQ(events.calls, (Calls{L"OutPut:warning: weak key", L"Finished:1"}));
}

TEST_F(SignCodeRun, LinesAreSplitPerChunkOf1024Bytes) {
  // 30 lines of 100 bytes: the lines across the marks 1024 and 2048 arrive
  // in two pieces each.
  std::string output;
  for (int i = 0; i < 30; ++i) {
    std::string line = "line " + std::to_string(100 + i) + " ";
    line.resize(98, static_cast<char>('a' + i % 26));
    output += line + "\r\n";
  }
  RecordingEvents& events = NewEvents();
  Run(output, L"0", &events);
  ASSERT_EQ(events.lines.size(), 32u);
  EXPECT_EQ(events.lines[9], L"line 109 " + std::wstring(89, L'j'));
  EXPECT_EQ(events.lines[10], L"line 110 " + std::wstring(15, L'k'));  // bytes 1000..1023
  EXPECT_EQ(events.lines[11], std::wstring(74, L'k'));
  EXPECT_EQ(events.lines[21], L"line 120 " + std::wstring(39, L'u'));  // bytes 2000..2047
  EXPECT_EQ(events.lines[22], std::wstring(50, L'u'));
  EXPECT_EQ(events.lines[31], L"line 129 " + std::wstring(89, L'd'));
  EXPECT_EQ(events.result, 1);
}

TEST_F(SignCodeRun, OutputIsReadFromTheSystemAnsiCodePage) {
  RecordingEvents& events = NewEvents();
  Run("caf\xE9\r\n", L"0", &events);
  wchar_t expected[8] = {};
  MultiByteToWideChar(GetACP(), 0, "caf\xE9", 4, expected, 8);
  EXPECT_EQ(events.calls, (Calls{std::wstring(L"OutPut:") + expected, L"Finished:1"}));
}

TEST_F(SignCodeRun, AToolPrintingOneMegabyteDoesNotBlock) {
  std::string output;
  const std::string line(62, 'x');
  while (output.size() < 1024 * 1024) output += line + "\r\n";  // 64 bytes a line
  RecordingEvents& events = NewEvents();
  DWORD start = GetTickCount();
  Run(output, L"0", &events);
  EXPECT_LT(GetTickCount() - start, 60000u);
  // 16 lines a chunk, none split: every line arrives whole.
  ASSERT_EQ(events.lines.size(), 16384u);
  for (const std::wstring& received : events.lines) ASSERT_EQ(received, std::wstring(62, L'x'));
  EXPECT_EQ(events.calls.back(), L"Finished:1");
}

TEST_F(SignCodeRun, NoEventObjectStillRunsTheTool) {
  std::wstring saved = CommandLineFile();
  EXPECT_EQ(Run("ignored\r\n", L"0", nullptr), S_OK);
  EXPECT_NE(ReadUtf16(saved), L"<none>");
}

TEST_F(SignCodeRun, TheEventObjectIsHeldUntilTheNextCall) {
  RecordingEvents& events = NewEvents();
  Run("", L"0", &events);
  EXPECT_EQ(events.refs, 2u);
  RecordingEvents& other = NewEvents();
  Run("", L"0", &other);
  EXPECT_EQ(events.refs, 1u);
  EXPECT_EQ(other.refs, 2u);
  Run("", L"0", nullptr);
  EXPECT_EQ(other.refs, 1u);
}

// A window whose messages show that the caller's queue is served while the
// tool runs.
struct PumpProbe {
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
      auto* events = reinterpret_cast<RecordingEvents*>(lParam);
      events->calls.push_back(L"message");
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
};

TEST_F(SignCodeRun, WindowMessagesAreDispatchedWhileTheToolRuns) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = PumpProbe::Proc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"TWTestSignPump";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowW(L"TWTestSignPump", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  RecordingEvents& events = NewEvents();
  PostMessageW(window, WM_APP, 0, reinterpret_cast<LPARAM>(&events));
  Run("done\r\n", L"0", &events, L"sleep=300");
  DestroyWindow(window);
  EXPECT_EQ(events.calls, (Calls{L"message", L"OutPut:done", L"Finished:1"}));
}

// A Sign made from a message dispatched during the wait takes over the event
// object: the first call's lines and outcome go to the second's object.
struct ReentrantSign {
  SignCodeRun* fixture;
  RecordingEvents* events;
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP + 1) {
      auto* self = reinterpret_cast<ReentrantSign*>(lParam);
      self->fixture->RunForTest("inner\r\n", self->events);
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
};

TEST_F(SignCodeRun, ASignDuringTheWaitTakesOverTheEventObject) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = ReentrantSign::Proc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"TWTestSignReentry";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowW(L"TWTestSignReentry", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  RecordingEvents& first = NewEvents();
  RecordingEvents& second = NewEvents();
  ReentrantSign reentry = {this, &second};
  PostMessageW(window, WM_APP + 1, 0, reinterpret_cast<LPARAM>(&reentry));
  Run("outer\r\n", L"0", &first, L"sleep=300");
  DestroyWindow(window);
  EXPECT_EQ(first.calls, Calls{});
  EXPECT_EQ(first.refs, 1u) << "released when replaced";
  EXPECT_EQ(second.calls, (Calls{L"OutPut:inner", L"Finished:1", L"OutPut:outer", L"Finished:1"}));
}

TEST_F(SignCodeRun, OffersErrorInformationForItsOwnInterfaceOnly) {
  ComPtr<ISupportErrorInfo> support;
  ASSERT_HRESULT_SUCCEEDED(sign_.As(&support));
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_ISignCode), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IStampVersion), S_FALSE);
}

}  // namespace
