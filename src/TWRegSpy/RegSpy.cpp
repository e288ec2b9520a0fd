#include "RegSpy.h"

#include <cwchar>
#include <new>

#include "HelperProcess.h"
#include "ServerMachine.h"
#include "SpyCaptureArea.h"
#include "SpyErrors.h"
#include "capture/CaptureAreaLock.h"
#include "com/Module.h"
#include "servers/ServerRegistration.h"

namespace twregspy {
namespace {

using twutil::Bstr;
using twutil::ComPtr;

constexpr LONG kMaxTimeoutSeconds = 24 * 60 * 60;
constexpr LONG kDefaultTimeoutSeconds = 60;
const wchar_t kTimeoutVariable[] = L"TWREGSPY_TIMEOUT_SECONDS";

// The time limit a console program's environment sets: whole seconds within
// the limits, or the default.
LONG TimeoutFromEnvironment() {
  wchar_t text[16];
  DWORD length = GetEnvironmentVariableW(kTimeoutVariable, text, 16);
  if (length == 0 || length >= 16) return kDefaultTimeoutSeconds;
  LONG seconds = 0;
  for (DWORD i = 0; i < length; ++i) {
    if (text[i] < L'0' || text[i] > L'9') return kDefaultTimeoutSeconds;
    seconds = seconds * 10 + (text[i] - L'0');
    if (seconds > kMaxTimeoutSeconds) return kDefaultTimeoutSeconds;
  }
  return seconds >= 1 ? seconds : kDefaultTimeoutSeconds;
}

std::wstring HelperPath(HelperArchitecture architecture) {
  std::wstring module = twutil::Module::Path();
  std::wstring folder = module.substr(0, module.rfind(L'\\') + 1);
  return folder + (architecture == HelperArchitecture::k64Bit ? L"TWRegSpyHelper64.exe"
                                                              : L"TWRegSpyHelper32.exe");
}

// A path that can be handed to a helper: no embedded null, no quote, not
// ending in a backslash (which would escape the closing quote).
bool IsPassablePath(const Bstr& file) {
  UINT length = file.Length();
  if (length == 0 || length > 32000 || wcslen(file.Text()) != length) return false;
  return !wcschr(file.Text(), L'"') && file.Text()[length - 1] != L'\\';
}

// Keeps the object alive and marks it busy while a capture runs: the
// caller's messages are dispatched meanwhile and may call back in.
class RunGuard {
 public:
  RunGuard(IUnknown* self, bool* running) : self_(self), running_(running) { *running_ = true; }
  ~RunGuard() { *running_ = false; }
  RunGuard(const RunGuard&) = delete;
  RunGuard& operator=(const RunGuard&) = delete;

 private:
  ComPtr<IUnknown> self_;
  bool* running_;
};

}  // namespace

RegSpy::RegSpy(IUnknown* outer) : ComObject(outer), timeoutSeconds_(TimeoutFromEnvironment()) {}

void* RegSpy::InterfaceFor(REFIID iid) {
  if (iid == IID_ITWRegSpy || iid == IID_IDispatch) return static_cast<ITWRegSpy*>(this);
  if (iid == IID_ISupportErrorInfo) return static_cast<ISupportErrorInfo*>(this);
  if (iid == IID_IRegSpyCaptureArea) return static_cast<IRegSpyCaptureArea*>(this);
  return nullptr;
}

STDMETHODIMP RegSpy::get_TimeoutSeconds(LONG* seconds) {
  if (!seconds) return E_POINTER;
  *seconds = timeoutSeconds_;
  return S_OK;
}

STDMETHODIMP RegSpy::put_TimeoutSeconds(LONG seconds) {
  if (seconds < 1 || seconds > kMaxTimeoutSeconds)
    return ReportError(E_INVALIDARG, L"The time limit must lie between 1 second and 1 day");
  timeoutSeconds_ = seconds;
  return S_OK;
}

STDMETHODIMP RegSpy::get_FileCount(LONG* count) {
  if (!count) return E_POINTER;
  *count = static_cast<LONG>(files_.size());
  return S_OK;
}

STDMETHODIMP RegSpy::ClearFiles() {
  files_.clear();
  return S_OK;
}

STDMETHODIMP RegSpy::AddFile(BSTR file, LONG, LONG) {
  try {
    files_.push_back(file ? Bstr(file, SysStringLen(file)) : Bstr());
    if (file && !files_.back().Get()) {
      files_.pop_back();
      return E_OUTOFMEMORY;
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

STDMETHODIMP RegSpy::get_LastReport(BSTR* report) {
  if (!report) return E_POINTER;
  *report = SysAllocStringLen(lastReport_.c_str(), static_cast<UINT>(lastReport_.size()));
  return *report ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP RegSpy::SaveShowsArea(VARIANT_BOOL* shows) {
  if (!shows) return E_POINTER;
  *shows = lastSaveShowsArea_ ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP RegSpy::RunCapture(BSTR captureRoot, IUnknown* callback) {
  if (!callback) return E_POINTER;
  if (running_) return ReportError(HRESULT_FROM_WIN32(ERROR_BUSY), L"A capture is running");
  if (!IsUsableCaptureRoot(captureRoot, SysStringLen(captureRoot)))
    return ReportError(E_INVALIDARG, L"The capture root must be a relative key path");
  ComPtr<IRegSpyCallback> sink;
  if (FAILED(callback->QueryInterface(IID_IRegSpyCallback, sink.PutVoid())) || !sink)
    return E_NOINTERFACE;
  RunGuard guard(ControllingUnknown(), &running_);
  try {
    return Capture(std::wstring(captureRoot, SysStringLen(captureRoot)), sink.Get());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT RegSpy::Capture(const std::wstring& root, IRegSpyCallback* callback) {
  // The caller may add or clear files while its messages are dispatched.
  const std::vector<Bstr> files = files_;
  // Another capture into the same root, in this process or another, goes
  // first; the caller's messages are dispatched meanwhile.
  twutil::CaptureAreaLock lock(root);
  if (!lock.Acquire())
    return ReportError(HRESULT_FROM_WIN32(GetLastError()), L"The capture area cannot be locked");
  SpyCaptureArea area(root);
  HRESULT hr = area.Claim();
  if (FAILED(hr)) return ReportError(hr, L"The capture root holds keys of its own");
  for (const Bstr& file : files) {
    bool empty = area.Reset();
    VARIANT_BOOL first = VARIANT_FALSE, second = VARIANT_FALSE;
    hr = callback->OnFileStart(file.Get(), &first, &second);
    if (FAILED(hr)) break;
    FileReport report =
        empty ? RegisterFile(file, root) : NotRun(L"the capture area could not be emptied");
    if (DiscardsCapture(report.outcome)) area.Reset();
    // The caller reads it while it handles the file.
    lastReport_ = report.detail;
    lastSaveShowsArea_ = report.saveShowsArea;
    VARIANT_BOOL done = VARIANT_FALSE;
    hr = callback->OnFileFinished(file.Get(), report.outcome, &done);
    // A caller whose harvest failed ends the capture: no further file runs.
    if (FAILED(hr)) break;
  }
  area.Remove();
  return hr;
}

FileReport RegSpy::RegisterFile(const Bstr& file, const std::wstring& root) {
  const long extension = twutil::ClassifyExtension(file.Text());
  if (!IsPassablePath(file) || extension == twutil::kExtensionOther) return NotAServer();
  HelperArchitecture architecture = HelperFor(file.Text());
  if (architecture == HelperArchitecture::kNone)
    return NotRun(L"no helper for the file's machine type");
  // An executable server runs in a process of its own beside the helper.
  const DWORD processLimit = extension == twutil::kExtensionExe ? 2 : 1;
  return RunHelper(HelperPath(architecture), root, file.Text(), timeoutSeconds_, processLimit);
}

}  // namespace twregspy
