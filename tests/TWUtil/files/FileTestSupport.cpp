#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace filetest {
namespace {

constexpr wchar_t kProductKey[] = L"Software\\Tarnwick\\Harbor\\3.5";

std::wstring TextOfWindow(HWND window) {
  wchar_t text[1024] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000,
                      nullptr);
  return text;
}

struct ChildTexts {
  std::wstring text;
  bool icon = false;
};

BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
  auto* texts = reinterpret_cast<ChildTexts*>(param);
  wchar_t name[16] = {};
  GetClassNameW(child, name, 16);
  if (_wcsicmp(name, L"Static") != 0) return TRUE;
  if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) texts->icon = true;
  std::wstring text = TextOfWindow(child);
  if (!text.empty()) texts->text += (texts->text.empty() ? L"" : L"\n") + text;
  return TRUE;
}

}  // namespace

twutil::ComPtr<IFileSys> CreateFileObject() {
  twutil::ComPtr<IFileSys> file;
  EXPECT_EQ(twtest::Create(CLSID_File, &file), S_OK);
  return file;
}

bool WindowsAvailable() {
  HWND window =
      CreateWindowW(L"STATIC", L"probe", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  return window && DestroyWindow(window);
}

InstallLocation::InstallLocation(const std::wstring* folder) {
  twutil::RegKey key;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                  key.Put(), nullptr);
  RegDeleteValueW(key.Get(), L"Install Location");
  if (folder)
    RegSetValueExW(key.Get(), L"Install Location", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(folder->c_str()),
                   DWORD((folder->size() + 1) * sizeof(wchar_t)));
}

InstallLocation::~InstallLocation() {
  RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kProductKey, L"Install Location");
}

WindowWatcher::WindowWatcher(const wchar_t* windowClass, const wchar_t* title, DWORD process)
    : class_(windowClass), title_(title), process_(process) {
  thread_ = std::thread(&WindowWatcher::Watch, this);
}

void WindowWatcher::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

bool WindowWatcher::WaitSeen(DWORD timeoutMs) {
  for (DWORD waited = 0; !seen_ && waited < timeoutMs; waited += 50) Sleep(50);
  Stop();
  return seen_;
}

void WindowWatcher::Watch() {
  for (; !stop_; Sleep(50)) {
    HWND found = FindWindowW(class_.c_str(), title_.c_str());
    DWORD owner = 0;
    GetWindowThreadProcessId(found, &owner);
    if (!found || !IsWindowVisible(found) || (process_ && owner != process_)) continue;
    ChildTexts texts;
    EnumChildWindows(found, CollectStatic, reinterpret_cast<LPARAM>(&texts));
    text_ = texts.text;
    hadIcon_ = texts.icon;
    if (class_ == L"#32770")
      PostMessageW(found, WM_COMMAND, IDOK, 0);
    else
      PostMessageW(found, WM_CLOSE, 0, 0);
    seen_ = true;
    return;
  }
}

}  // namespace filetest
