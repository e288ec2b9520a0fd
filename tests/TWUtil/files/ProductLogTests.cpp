// LogError and LogMessage: the line format of twide.log, the cut of long
// messages, the trim of a long log, and the error box when nothing can be
// written (every call runs under a watcher, so a box never blocks a test).
// ShowDemo, whose demo closes itself after 30 seconds should a test fail.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "FileFixtures.h"

using filefixtures::Bytes;
using twutil::Bstr;

namespace {

const std::wstring kNoBox = L"(no box)";

// Sets HKLM "Software\Tarnwick\Harbor\3.5" "Install Location" (or removes it
// for null) and removes it again at the end.
struct InstallLocation {
  explicit InstallLocation(const std::wstring* folder) {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, L"Install Location");
    if (folder)
      RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, L"Install Location", REG_SZ, folder->c_str(),
                      DWORD((folder->size() + 1) * sizeof(wchar_t)));
  }
  ~InstallLocation() { RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, L"Install Location"); }
  static constexpr const wchar_t* kKey = L"Software\\Tarnwick\\Harbor\\3.5";
};

// Watches, from a thread of its own, for a visible top-level window of the
// class and title, owned by process (any for 0); reads the texts of its
// "Static" children, one a line, and closes it (OK for a dialog, WM_CLOSE
// otherwise).
struct WindowWatcher {
  WindowWatcher(const std::wstring& windowClass, const std::wstring& title, DWORD process)
      : thread([=] {
          for (; !stop; Sleep(50)) {
            HWND found = FindWindowW(windowClass.c_str(), title.c_str());
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            if (!found || !IsWindowVisible(found) || (process && owner != process)) continue;
            EnumChildWindows(found, CollectStatic, reinterpret_cast<LPARAM>(this));
            const bool dialog = windowClass == L"#32770";
            PostMessageW(found, dialog ? WM_COMMAND : WM_CLOSE, dialog ? IDOK : 0, 0);
            seen = true;
            return;
          }
        }) {}
  ~WindowWatcher() { WaitSeen(0); }
  // Waits up to timeoutMs for the window, then stops watching.
  bool WaitSeen(DWORD timeoutMs) {
    for (DWORD waited = 0; !seen && waited < timeoutMs; waited += 50) Sleep(50);
    stop = true;
    if (thread.joinable()) thread.join();
    return seen;
  }
  static BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
    auto* watcher = reinterpret_cast<WindowWatcher*>(param);
    wchar_t name[16] = {}, text[1024] = {};
    GetClassNameW(child, name, 16);
    if (_wcsicmp(name, L"Static") != 0) return TRUE;
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) watcher->hadIcon = true;
    SendMessageTimeoutW(child, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000,
                        nullptr);
    if (*text) watcher->text += (watcher->text.empty() ? L"" : L"\n") + std::wstring(text);
    return TRUE;
  }
  std::atomic<bool> seen{false}, stop{false};
  bool hadIcon = false;
  std::wstring text;
  std::thread thread;  // started last, when the rest is set up
};

class ProductLog : public filefixtures::FileTest {
 protected:
  std::string Log(const std::wstring& folder = L"") const {
    Bytes bytes = twtest::ReadBytes((folder.empty() ? folder_ : folder) + L"\\twide.log");
    return std::string(bytes.begin(), bytes.end());
  }

  // Runs a call and answers the text of the error box it showed, or kNoBox.
  template <class Call>
  std::wstring Box(Call call) {
    WindowWatcher watcher(L"#32770", L"Error", GetCurrentProcessId());
    call();
    if (!watcher.WaitSeen(0)) return kNoBox;
    EXPECT_TRUE(watcher.hadIcon);
    return watcher.text;
  }
  std::wstring LogError(const wchar_t* message, const wchar_t* url, const wchar_t* line) {
    return Box([&] {
      EXPECT_EQ(file_->LogError(Bstr(message).Get(), Bstr(url).Get(), Bstr(line).Get()), S_OK);
    });
  }
  std::wstring LogMessage(const wchar_t* message) {
    return Box([&] { EXPECT_EQ(file_->LogMessage(Bstr(message).Get(), Bstr(L"x").Get()), S_OK); });
  }

  std::wstring folder_ = dir_.Path().substr(0, dir_.Path().size() - 1);
};

TEST_F(ProductLog, AppendsLocationLineAndMessageAndKeepsTheLast10000BytesPast20000) {
  InstallLocation location(&folder_);
  EXPECT_EQ(LogError(L"Object required", L"page.htm", L"12"), kNoBox);
  for (const wchar_t* message : {L"hello", L"ends\n", L"two\nlines"})
    EXPECT_EQ(LogMessage(message), kNoBox);
  // The line number is read like atol.
  for (const wchar_t* line : {L"  -7xyz", L"abc", L"99999999999", L"-99999999999"})
    EXPECT_EQ(LogError(L"m", L"u", line), kNoBox);
  EXPECT_EQ(LogError(nullptr, nullptr, nullptr), kNoBox);
  // Characters are written one byte each; messages are cut to 511.
  EXPECT_EQ(LogError(L"caf\u00E9 \u00FF \u0416", L"\u00E0.htm", L"3"), kNoBox);
  EXPECT_EQ(LogMessage((std::wstring(511, L'a') + L"bbb").c_str()), kNoBox);
  EXPECT_EQ(Log(),
            "page.htm 12: Object required\r\n 0: hello\r\n 0: ends\r\n 0: two\r\nlines\r\n"
            "u -7: m\r\nu 0: m\r\nu 2147483647: m\r\nu -2147483648: m\r\n 0: \r\n"
            "\xE0.htm 3: caf\xE9 \xFF ?\r\n 0: " +
                std::string(511, 'a') + "\r\n");

  // 19,993 + 7 bytes make exactly 20,000: not yet trimmed.
  ASSERT_TRUE(twtest::WriteBytes(dir_.Path() + L"twide.log", Bytes(19993, 'a')));
  LogMessage(L"x");
  EXPECT_EQ(Log(), std::string(19993, 'a') + " 0: x\r\n");
  LogMessage(L"y");  // 20,007 bytes
  EXPECT_EQ(Log(), std::string(9986, 'a') + " 0: x\r\n 0: y\r\n");

  // The kept part begins just after a carriage return: its line feed comes back.
  Bytes old(20000, 'b');
  old[10006] = '\r';
  old[10007] = '\n';
  ASSERT_TRUE(twtest::WriteBytes(dir_.Path() + L"twide.log", old));
  LogMessage(L"x");
  EXPECT_EQ(Log(), "\r\n" + std::string(20000 - 10008, 'b') + " 0: x\r\n");
}

TEST_F(ProductLog, FolderMayHave124CharactersAtMost) {
  std::wstring longest = dir_.Path() + std::wstring(124 - dir_.Path().size(), L'd');
  std::wstring tooLong = longest + L"e";
  ASSERT_TRUE(CreateDirectoryW(longest.c_str(), nullptr) &&
              CreateDirectoryW(tooLong.c_str(), nullptr));
  {
    InstallLocation location(&longest);
    EXPECT_EQ(LogMessage(L"fits"), kNoBox);
  }
  EXPECT_EQ(Log(longest), " 0: fits\r\n");
  InstallLocation location(&tooLong);
  EXPECT_EQ(LogMessage(L"does not fit"), L"does not fit");
}

TEST_F(ProductLog, WithoutAWritableLogTheMessageIsShown) {
  {
    InstallLocation none(nullptr);
    EXPECT_EQ(LogError(L"Object required", L"page.htm", L"12"), L"Object required");
    EXPECT_EQ(LogMessage(std::wstring(600, L'm').c_str()), std::wstring(511, L'm'));
    const std::wstring fixed = L"Unknown exception encountered when trying to log exception";
    EXPECT_EQ(LogError(L"", L"page.htm", L"1"), fixed);
    EXPECT_EQ(LogMessage(nullptr), fixed);
  }
  InstallLocation location(&folder_);
  twutil::Handle lock = filefixtures::Lock(dir_.Path() + L"twide.log");
  ASSERT_TRUE(lock.Valid());
  EXPECT_EQ(LogError(L"locked", L"u", L"1"), L"locked");
}

TEST_F(ProductLog, ShowDemoStartsTheDemoWithParametersAndFolder) {
  WindowWatcher watcher(L"TarnwickHarborDemo32", L"Tarnwick Harbor Demo", 0);
  VARIANT_BOOL success = 7;
  ASSERT_EQ(file_->ShowDemo(Bstr(folder_.c_str()).Get(), Bstr(L"/seconds:30 My Project.twp").Get(),
                            &success),
            S_OK);
  EXPECT_EQ(success, VARIANT_TRUE);
  ASSERT_TRUE(watcher.WaitSeen(15000));
  EXPECT_EQ(watcher.text, L"Project: My Project.twp\r\nFolder: " + folder_);
}

}  // namespace
