// Helpers of the spy suites: the registered spy, the built test servers, and
// a callback that records each report with the capture area at that moment.
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

// A built test server by file name.
std::wstring ServerPath(const wchar_t* name);
// A built test server of the suite's own architecture ("64" after the stem
// in a 64-bit build).
std::wstring NativeServer(const std::wstring& stem, const wchar_t* extension);

// Registers TWRegSpy.dll once per process; fails the test when it cannot.
bool SpyRegistered();
HRESULT CreateSpy(twutil::ComPtr<ITWRegSpy>* spy);

// Whether entries (lower case, as the recorder keeps them) hold entry.
bool Contains(const Entries& entries, const std::wstring& entry);

struct CallbackEvent {
  bool start = false;
  std::wstring file;
  LONG status = -1;
  Entries captured;     // lower case, without the (empty) hive mirrors themselves
  std::wstring report;  // the spy's LastReport when the file finished
  ULONGLONG at = 0;     // GetTickCount64()
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
  ITWRegSpy* spy = nullptr;             // asked for LastReport; Capture sets it
  std::function<void()> whileFinished;  // runs in each finish callback

 private:
  void Record(bool start, BSTR file, LONG status);
};

// Adds the files and runs a capture into a test root below HKEY_CURRENT_USER.
HRESULT Capture(ITWRegSpy* spy, const std::vector<std::wstring>& files, CallbackRecorder* recorder);

}  // namespace spytest
