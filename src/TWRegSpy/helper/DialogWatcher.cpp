#include "DialogWatcher.h"

#include <cwchar>
#include <vector>

namespace twregspy {
namespace {

constexpr DWORD kLookEveryMs = 50;
// A dialog still there this long after its button was pressed gets WM_CLOSE.
constexpr ULONGLONG kCloseAfterMs = 1000;
constexpr int kTextChars = 400;

std::wstring WindowText(HWND window) {
  wchar_t text[kTextChars];
  int n = InternalGetWindowText(window, text, kTextChars);
  return n > 0 ? std::wstring(text, static_cast<size_t>(n)) : std::wstring();
}

bool HasClass(HWND window, const wchar_t* name) {
  wchar_t found[32];
  return GetClassNameW(window, found, 32) > 0 && _wcsicmp(found, name) == 0;
}

// The texts of the dialog's static controls, pictures left out.
BOOL CALLBACK CollectText(HWND child, LPARAM out) {
  auto* text = reinterpret_cast<std::wstring*>(out);
  const LONG type = GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK;
  if (!HasClass(child, L"Static") || type == SS_ICON || type == SS_BITMAP || type == SS_ENHMETAFILE)
    return TRUE;
  std::wstring part = WindowText(child);
  if (!part.empty() && text->size() < kTextChars) *text += (text->empty() ? L"" : L" ") + part;
  return TRUE;
}

// The button a user's Enter would press: the default one, else OK, else Cancel.
int DefaultButton(HWND dialog) {
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutW(dialog, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, 500, &answer) &&
      HIWORD(answer) == DC_HASDEFID && GetDlgItem(dialog, LOWORD(answer)))
    return LOWORD(answer);
  return GetDlgItem(dialog, IDOK) ? IDOK : IDCANCEL;
}

}  // namespace

DialogWatcher::DialogWatcher(DWORD processId, DialogSink sink)
    : processId_(processId), sink_(sink), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (stop_.Valid()) thread_ = twutil::Handle(CreateThread(nullptr, 0, &Run, this, 0, nullptr));
}

DialogWatcher::~DialogWatcher() {
  if (!thread_.Valid()) return;
  SetEvent(stop_.Get());
  WaitForSingleObject(thread_.Get(), INFINITE);
}

DWORD WINAPI DialogWatcher::Run(void* self) {
  auto* watcher = static_cast<DialogWatcher*>(self);
  while (WaitForSingleObject(watcher->stop_.Get(), kLookEveryMs) == WAIT_TIMEOUT) watcher->Look();
  return 0;
}

BOOL CALLBACK DialogWatcher::OnWindow(HWND window, LPARAM self) {
  auto* found = reinterpret_cast<std::vector<HWND>*>(self);
  found->push_back(window);
  return TRUE;
}

void DialogWatcher::Look() {
  std::vector<HWND> windows;
  EnumWindows(&OnWindow, reinterpret_cast<LPARAM>(&windows));
  const ULONGLONG now = GetTickCount64();
  for (auto it = pressed_.begin(); it != pressed_.end();) {
    it = IsWindow(it->first) ? std::next(it) : pressed_.erase(it);
  }
  for (HWND window : windows) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != processId_ || !IsWindowVisible(window) || !HasClass(window, L"#32770")) continue;
    auto pressed = pressed_.find(window);
    if (pressed == pressed_.end()) {
      Close(window);
      pressed_[window] = now;
    } else if (now - pressed->second > kCloseAfterMs) {
      PostMessageW(window, WM_CLOSE, 0, 0);
      pressed->second = now;
    }
  }
}

void DialogWatcher::Close(HWND dialog) {
  std::wstring text;
  EnumChildWindows(dialog, &CollectText, reinterpret_cast<LPARAM>(&text));
  if (sink_) sink_(L"closed dialog \"" + WindowText(dialog) + L"\": " + text);
  const int button = DefaultButton(dialog);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

}  // namespace twregspy
