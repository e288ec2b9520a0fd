// The registry-spy component: takes server files, then registers each one
// in a helper process with the hives redirected into the capture area, and
// reports each file to the caller's callback before and after, on the
// caller's thread.
#pragma once

#include <string>
#include <vector>

#include "FileOutcome.h"
#include "TWRegSpy.h"
#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/Owners.h"
#include "com/SupportErrorInfo.h"
#include "com/TypeInfoDispatch.h"

namespace twregspy {

class SpyCaptureArea;

class RegSpy : public twutil::ComObject<twutil::TypeInfoDispatch<ITWRegSpy>,
                                        twutil::SupportErrorInfo<ITWRegSpy>, IRegSpyCaptureArea> {
 public:
  // The time limit starts as TWREGSPY_TIMEOUT_SECONDS says (1 to 86400), else 60.
  explicit RegSpy(IUnknown* outer);

  STDMETHODIMP get_TimeoutSeconds(LONG* seconds) override;
  STDMETHODIMP put_TimeoutSeconds(LONG seconds) override;
  STDMETHODIMP get_FileCount(LONG* count) override;
  STDMETHODIMP ClearFiles() override;
  STDMETHODIMP AddFile(BSTR file, LONG flags, LONG reserved) override;
  STDMETHODIMP get_LastReport(BSTR* report) override;
  STDMETHODIMP RunCapture(BSTR captureRoot, IUnknown* callback) override;
  STDMETHODIMP SaveShowsArea(VARIANT_BOOL* shows) override;

 protected:
  void* InterfaceFor(REFIID iid) override;

 private:
  HRESULT Capture(const std::wstring& root, IRegSpyCallback* callback);
  FileReport RegisterFile(const twutil::Bstr& file, const std::wstring& root);

  std::vector<twutil::Bstr> files_;
  LONG timeoutSeconds_;
  std::wstring lastReport_;
  bool lastSaveShowsArea_ = false;
  bool running_ = false;
};

}  // namespace twregspy
