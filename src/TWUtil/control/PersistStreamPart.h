// IPersistStreamInit of a control whose saved state is its extent behind a
// version word: version (0x300), width, height, each 32 bits.
#pragma once

#include <ocidl.h>
#include <windows.h>

#include "control/ControlPart.h"

namespace twutil {

class PersistStreamPart : public IPersistStreamInit, protected ControlPart {
 public:
  static constexpr DWORD kStreamVersion = 0x300;
  static constexpr ULONG kStreamSize = 3 * sizeof(DWORD);

  // IPersist
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  // IPersistStreamInit
  STDMETHODIMP IsDirty() override { return Core().Dirty() ? S_OK : S_FALSE; }
  STDMETHODIMP Load(LPSTREAM stream) override;
  STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
  STDMETHODIMP InitNew() override { return S_OK; }  // the defaults stand
};

}  // namespace twutil
