// Rich error information for the classes that offer it for their own interface.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace twutil {

template <class Own>
class SupportErrorInfo : public ISupportErrorInfo {
 public:
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override {
    return iid == __uuidof(Own) ? S_OK : S_FALSE;
  }
};

}  // namespace twutil
