// Helpers of the spy suites: the registered spy, the built test servers, and
// a callback that records what the spy reports and what the capture area
// holds at that moment.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "TWRegSpy.h"
#include "TWUtil.h"
#include "capture/Listings.h"
#include "com/Owners.h"

namespace spytest {

using twtest::Entries;

const wchar_t kTestRoot[] = L"Software\\TWSpyTestRoot\\Capture";

// A built test server by file name.
std::wstring ServerPath(const wchar_t* name);

// Registers TWRegSpy.dll (from beside the tests) once per process; fails the
// calling test when that is not possible.
bool SpyRegistered();
HRESULT CreateSpy(twutil::ComPtr<ITWRegSpy>* spy);

// The capture area as twtest::RegistryEntries lists it, lower case, without
// the four (empty) hive mirrors themselves.
Entries CapturedEntries();
bool Contains(const Entries& entries, const std::wstring& entry);

struct CallbackEvent {
  bool start = false, nullFile = false;
  std::wstring file;
  DWORD thread = 0;
  LONG status = -1;
  Entries captured;  // at the time of the call
};

class CallbackRecorder : public IRegSpyCallback {
 public:
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
  const Entries& Finished(size_t index) const;  // what the index-th finish saw

 private:
  void Record(bool start, BSTR file, LONG status);
};

// Adds the files and runs a capture into kTestRoot.
HRESULT Capture(ITWRegSpy* spy, const std::vector<std::wstring>& files, CallbackRecorder* recorder);

}  // namespace spytest
