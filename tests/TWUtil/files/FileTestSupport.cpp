#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace filetest {
namespace {

constexpr wchar_t kProductKey[] = L"Software\\Tarnwick\\Harbor\\3.5";

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOfWindow(HWND window) {
  wchar_t text[1024] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000,
                      nullptr);
  return text;
}

struct Search {
  const std::wstring* windowClass;
  const std::wstring* title;
  DWORD process;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  Search* search = reinterpret_cast<Search*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if ((search->process && process != search->process) || !IsWindowVisible(window) ||
      _wcsicmp(ClassOf(window).c_str(), search->windowClass->c_str()) != 0)
    return TRUE;
  if (!search->title->empty() && TextOfWindow(window) != *search->title) return TRUE;
  search->found = window;
  return FALSE;
}

struct ChildTexts {
  std::wstring text;
  bool icon;
};

BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
  ChildTexts* texts = reinterpret_cast<ChildTexts*>(param);
  if (_wcsicmp(ClassOf(child).c_str(), L"Static") != 0) return TRUE;
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
  static const bool available = [] {
    HWND window = CreateWindowW(L"STATIC", L"probe", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                nullptr, nullptr);
    if (window) DestroyWindow(window);
    return window != nullptr;
  }();
  return available;
}

InstallLocation::InstallLocation(const std::wstring* folder) {
  twutil::RegKey key;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                  key.Put(), nullptr);
  if (folder) {
    RegSetValueExW(key.Get(), L"Install Location", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(folder->c_str()),
                   static_cast<DWORD>((folder->size() + 1) * sizeof(wchar_t)));
  } else {
    RegDeleteValueW(key.Get(), L"Install Location");
  }
}

InstallLocation::~InstallLocation() {
  twutil::RegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_ALL_ACCESS, key.Put()) == ERROR_SUCCESS)
    RegDeleteValueW(key.Get(), L"Install Location");
}

LockedFile::LockedFile(const std::wstring& path)
    : handle_(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0,
                          nullptr)) {}

WindowWatcher::WindowWatcher(const wchar_t* windowClass, const wchar_t* title, DWORD process)
    : windowClass_(windowClass), title_(title ? title : L""), process_(process) {
  thread_ = std::thread(&WindowWatcher::Watch, this);
}

WindowWatcher::~WindowWatcher() { Stop(); }

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
  while (!stop_) {
    Search search = {&windowClass_, &title_, process_, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      ChildTexts texts = {L"", false};
      EnumChildWindows(search.found, CollectStatic, reinterpret_cast<LPARAM>(&texts));
      text_ = texts.text;
      hadIcon_ = texts.icon;
      if (windowClass_ == L"#32770")
        PostMessageW(search.found, WM_COMMAND, IDOK, 0);
      else
        PostMessageW(search.found, WM_CLOSE, 0, 0);
      seen_ = true;
      return;
    }
    Sleep(50);
  }
}

}  // namespace filetest
