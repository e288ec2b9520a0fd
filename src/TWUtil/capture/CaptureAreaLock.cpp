#include "capture/CaptureAreaLock.h"

#include <cwctype>

#include "com/MessagePumpWait.h"

namespace twutil {

std::wstring CaptureAreaLockName(const std::wstring& root) {
  std::wstring name = L"Local\\TWRegSpyCapture-";
  for (wchar_t c : root) name.push_back(c == L'\\' ? L'/' : static_cast<wchar_t>(std::towlower(c)));
  return name;
}

bool CaptureAreaLock::Acquire(const std::function<void()>& beforeWaiting) {
  if (held_) return true;
  if (!mutex_.Valid()) mutex_ = Handle(CreateMutexW(nullptr, FALSE, name_.c_str()));
  if (!mutex_.Valid()) return false;
  DWORD now = WaitForSingleObject(mutex_.Get(), 0);
  if (now == WAIT_OBJECT_0 || now == WAIT_ABANDONED) {
    held_ = true;
    return true;
  }
  if (now != WAIT_TIMEOUT) return false;
  if (beforeWaiting) beforeWaiting();
  held_ = WaitPumpingMessages(mutex_.Get(), INFINITE);
  return held_;
}

void CaptureAreaLock::Release() {
  if (held_) ReleaseMutex(mutex_.Get());
  held_ = false;
}

}  // namespace twutil
