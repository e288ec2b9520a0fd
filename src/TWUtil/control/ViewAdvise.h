// The one view advise sink a control keeps for IViewObject::SetAdvise.
#pragma once

#include <objidl.h>
#include <windows.h>

#include "com/Owners.h"

namespace twutil {

class ViewAdvise {
 public:
  // A null sink cancels the advise. ADVF_PRIMEFIRST notifies at once.
  void Set(DWORD aspects, DWORD flags, IAdviseSink* sink);
  // Each out-pointer may be null.
  void Get(DWORD* aspects, DWORD* flags, IAdviseSink** sink) const;
  // Tells the sink, when it asked for this aspect; ADVF_ONLYONCE ends the
  // advise after the first notice.
  void SendViewChange(DWORD aspect);

 private:
  ComPtr<IAdviseSink> sink_;
  DWORD aspects_ = 0;
  DWORD flags_ = 0;
};

}  // namespace twutil
