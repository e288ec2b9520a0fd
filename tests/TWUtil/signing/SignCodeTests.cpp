// SignCode and "twutil sign" with a tool of the tests' own: the command line
// it receives, the lines and outcome that reach the event object, and output
// far larger than a pipe holds.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "support/ConsoleRun.h"
#include "support/TestDoubles.h"
#include "support/TestSupport.h"

using twutil::Bstr;

namespace {

using Calls = std::vector<std::wstring>;

// Records the calls of one Sign; the runner calls it early bound.
class RecordingEvents : public twtest::EarlyBoundOnly<ISignCodeEvent> {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    return twtest::Answer<RecordingEvents, IDispatch, ISignCodeEvent>(this, iid, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP OutPut(BSTR line) override {
    calls.push_back(L"OutPut:" + std::wstring(line, SysStringLen(line)));
    return E_FAIL;  // ignored by the runner
  }
  STDMETHODIMP Finished(long code) override {
    calls.push_back(L"Finished:" + std::to_wstring(code));
    return S_OK;
  }
  ULONG refs = 1;
  Calls calls;
};

class SignCodeRun : public ::testing::Test {
 public:
  // Runs the tool printing output and exiting with code.
  HRESULT Run(const std::string& output, RecordingEvents* events, const wchar_t* code = L"0",
              const wchar_t* order = L"") {
    std::wstring path =
        dir_.Write(L"out" + std::to_wstring(++files_) + L".txt", {output.begin(), output.end()});
    Bstr program(Tool().c_str()), spc(path.c_str()), pvk(code), server(order);
    SignCodeOption options = {program.Get(), spc.Get(), pvk.Get(), nullptr, nullptr, server.Get()};
    return sign_->Sign(Bstr(L"C:\\signed.exe").Get(), &options, events);
  }

 protected:
  void SetUp() override { ASSERT_HRESULT_SUCCEEDED(twtest::Create(CLSID_SignCode, &sign_)); }
  std::wstring Tool() const { return twtest::BinDir() + L"sign_tool.exe"; }
  // The object keeps the latest event object, so they outlive it.
  RecordingEvents& NewEvents() { return events_.emplace_back(); }
  std::deque<RecordingEvents> events_;
  twutil::ComPtr<ISignCode> sign_;
  twtest::TempDir dir_;
  int files_ = 0;
};

TEST_F(SignCodeRun, TheCommandLineLinesOfAnySizeAndTheExitCodeReachTheEvents) {
  const struct {
    std::string output;
    const wchar_t *code, *order;
    Calls calls;
  } cases[] = {
      {"one\r\n\r\ntwo", L"0", L"", {L"OutPut:one", L"OutPut:", L"OutPut:two", L"Finished:1"}},
      {"a\rb\nc\r\n", L"0", L"", {L"OutPut:a\rb\nc", L"Finished:1"}},  // a lone CR or LF: no break
      {"Error: no certificate\r\n", L"-1", L"", {L"OutPut:Error: no certificate", L"Finished:0"}},
      {"", L"0", L"stderr=warning: weak key\r\n", {L"OutPut:warning: weak key", L"Finished:1"}},
  };
  for (const auto& c : cases) {
    RecordingEvents& events = NewEvents();
    EXPECT_EQ(Run(c.output, &events, c.code, c.order), S_OK);
    EXPECT_EQ(events.calls, c.calls) << c.output;
  }
  // A missing program, no options, or a file that is no program: failure, no output.
  Bstr missing((dir_.Path() + L"no such tool.exe").c_str()),
      text(dir_.Write(L"notes.txt", {'t', 'e', 'x', 't'}).c_str());
  SignCodeOption options = {missing.Get(), nullptr, nullptr, nullptr, nullptr, nullptr};
  RecordingEvents& events = NewEvents();
  EXPECT_EQ(sign_->Sign(nullptr, &options, &events), S_OK);
  EXPECT_EQ(sign_->Sign(nullptr, nullptr, &events), S_OK);
  options.sFullPathSignCode = text.Get();
  EXPECT_EQ(sign_->Sign(text.Get(), &options, &events), S_OK);
  EXPECT_EQ(events.calls, Calls(3, L"Finished:0"));

  // The tool prints the command line it gets when there is no output file.
  Bstr program(Tool().c_str()), spc(L"my cert.spc"), pvk(L"key.pvk"), name(L""),
      url(L"http://x/?a=1");
  options = {program.Get(), spc.Get(), pvk.Get(), name.Get(), url.Get(), nullptr};
  RecordingEvents& commandLine = NewEvents();
  EXPECT_EQ(sign_->Sign(Bstr(L"C:\\dir\\app.exe").Get(), &options, &commandLine), S_OK);
  options.sTxtName = options.sURL = nullptr;
  EXPECT_EQ(sign_->Sign(nullptr, &options, &commandLine), S_OK);
  const std::wstring start = L"OutPut:\"" + Tool() + L"\" -spc \"my cert.spc\" -v \"key.pvk\" ";
  EXPECT_EQ(commandLine.calls,
            (Calls{start + L"-n \"\" -i \"http://x/?a=1\" -a MD5 -t \"\" \"C:\\dir\\app.exe\"",
                   L"Finished:1", start + L"-a MD5 -t \"\" \"\"", L"Finished:1"}));

  // 30 lines of 100 bytes: the lines across 1024 and 2048 arrive in two pieces.
  std::string output;
  for (int i = 0; i < 30; ++i) {
    std::string line = "line " + std::to_string(100 + i) + " ";
    line.resize(98, static_cast<char>('a' + i % 26));
    output += line + "\r\n";
  }
  RecordingEvents& chunked = NewEvents();
  Run(output, &chunked);
  ASSERT_EQ(chunked.calls.size(), 33u);
  EXPECT_EQ(chunked.calls[10], L"OutPut:line 110 " + std::wstring(15, L'k'));  // bytes 1000..1023
  EXPECT_EQ(chunked.calls[11], L"OutPut:" + std::wstring(74, L'k'));
  EXPECT_EQ(chunked.calls[21], L"OutPut:line 120 " + std::wstring(39, L'u'));  // bytes 2000..2047
  EXPECT_EQ(chunked.calls[22], L"OutPut:" + std::wstring(50, L'u'));
  EXPECT_EQ(chunked.calls.back(), L"Finished:1");

  // A megabyte, 16 lines a chunk, none split.
  output.clear();
  while (output.size() < 1024 * 1024) output += std::string(62, 'x') + "\r\n";
  RecordingEvents& large = NewEvents();
  Run(output, &large);
  Calls expected(16384, L"OutPut:" + std::wstring(62, L'x'));
  expected.push_back(L"Finished:1");
  EXPECT_EQ(large.calls, expected);
}

// Sent by the tool while it runs and handled within the runner's wait: a
// second Sign, which takes over the event object, so the first call's lines
// go there.
SignCodeRun* g_fixture = nullptr;
RecordingEvents* g_inner = nullptr;
LRESULT CALLBACK SignInside(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
  g_fixture->Run("inner\r\n", g_inner);
  return 0;
}

TEST_F(SignCodeRun, TheEventObjectIsHeldUntilTheNextCallAndMessagesFlow) {
  RecordingEvents &events = NewEvents(), &other = NewEvents();
  Run("", &events);
  EXPECT_EQ(events.refs, 2u);
  Run("", &other);
  EXPECT_EQ(events.refs, 1u);
  Run("", nullptr);
  EXPECT_EQ(other.refs, 1u);

  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = SignInside;
  windowClass.lpszClassName = L"TWTestSignPump";
  RegisterClassW(&windowClass);
  HWND window =
      CreateWindowW(L"TWTestSignPump", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  RecordingEvents& first = NewEvents();
  g_fixture = this;
  g_inner = &NewEvents();
  Run("outer\r\n", &first, L"0", (L"send=" + std::to_wstring(uintptr_t(window))).c_str());
  DestroyWindow(window);
  EXPECT_EQ(first.calls, Calls{});
  EXPECT_EQ(g_inner->calls,
            (Calls{L"OutPut:inner", L"Finished:1", L"OutPut:outer", L"Finished:1"}));
}

TEST(SignCommand, RelaysTheToolsLinesAndOutcome) {
  twtest::TempDir dir;
  const std::string text = "Signing app.exe\r\nDone\r\n";
  dir.Write(L"out.txt", {text.begin(), text.end()});
  const std::wstring sign = L"\"" + twtest::BinDir() + L"twutil.exe\" sign --tool \"";
  const std::wstring tool =
      twtest::BinDir() + L"sign_tool.exe\" --spc \"" + dir.Path() + L"out.txt\"";
  for (const wchar_t* code : {L"0", L"5"}) {
    twtest::ConsoleResult run = twtest::RunConsole(sign + tool + L" --pvk " + code + L" app.exe");
    EXPECT_EQ(run.exitCode, code[0] == L'0' ? 0u : 1u);
    EXPECT_EQ(run.out, "Signing app.exe\nDone\n");
  }
  twtest::ConsoleResult run = twtest::RunConsole(sign + dir.Path() + L"missing.exe\" app.exe");
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_NE(run.err.find("no such signing tool"), std::string::npos);
}

}  // namespace
