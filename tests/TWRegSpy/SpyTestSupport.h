// Helpers of the spy suite: the registered spy, the built test servers, a
// callback that records what the spy reports (and what the capture area
// holds at that moment), and registry snapshots and exports.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "TWRegSpy.h"
#include "TWUtil.h"
#include "com/Owners.h"

namespace spytest {

const wchar_t kTestRoot[] = L"Software\\TWSpyTestRoot\\Capture";

// A built test server by file name.
std::wstring ServerPath(const wchar_t* name);

// Registers TWRegSpy.dll (from beside the tests) once per process; fails the
// calling test when that is not possible.
bool SpyRegistered();
HRESULT CreateSpy(twutil::ComPtr<ITWRegSpy>* spy);

// Every key below root\path as its relative path, and every string value as
// "key:name=value" ("@" for the default value), all lower case. Empty when
// the key is missing.
std::set<std::wstring> Snapshot(HKEY root, const std::wstring& path);
// The snapshot without the four (empty) hive mirrors themselves.
std::set<std::wstring> CapturedEntries(const std::wstring& root);
bool Contains(const std::set<std::wstring>& entries, std::wstring entry);

struct CallbackEvent {
  bool start = false;
  std::wstring file;
  bool nullFile = false;
  DWORD thread = 0;
  LONG status = -1;
  std::set<std::wstring> captured;  // at the time of the call
};

class CallbackRecorder : public IRegSpyCallback {
 public:
  explicit CallbackRecorder(std::wstring root = kTestRoot) : root_(std::move(root)) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP OnFileStart(BSTR file, VARIANT_BOOL* first, VARIANT_BOOL* second) override;
  STDMETHODIMP OnFileFinished(BSTR file, LONG status, VARIANT_BOOL* done) override;
  STDMETHODIMP OnQuery(LONG, LONG, LONG, LONG, VARIANT_BOOL* answer) override;

  std::vector<CallbackEvent> events;
  // Run inside the callbacks, after recording.
  std::function<void()> duringStart, duringFinish;
  HRESULT finishResult = S_OK;

  std::vector<LONG> Statuses() const;
  const CallbackEvent& Finish(size_t index) const;

 private:
  CallbackEvent Record(bool start, BSTR file, LONG status);
  std::wstring root_;
};

// Adds the files and runs a capture into kTestRoot.
HRESULT Capture(ITWRegSpy* spy, const std::vector<std::wstring>& files, CallbackRecorder* recorder);

// The exported text of HKEY_LOCAL_MACHINE and HKEY_USERS in one registry
// view ("32" or "64"), as reg.exe writes it.
std::string ExportRegistry(const wchar_t* view);

}  // namespace spytest
