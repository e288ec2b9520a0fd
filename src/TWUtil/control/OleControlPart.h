// IOleControl of a control without mnemonics, ambient-dependent looks or
// events: there is nothing to tell it, and nothing it tells.
#pragma once

#include <ocidl.h>
#include <windows.h>

namespace twutil {

class OleControlPart : public IOleControl {
 public:
  STDMETHODIMP GetControlInfo(CONTROLINFO* info) override {
    if (!info) return E_POINTER;
    return E_NOTIMPL;
  }
  STDMETHODIMP OnMnemonic(MSG*) override { return E_NOTIMPL; }
  STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
  STDMETHODIMP FreezeEvents(BOOL) override { return S_OK; }
};

}  // namespace twutil
