#include "control/PersistStreamPart.h"

namespace twutil {
namespace {

// All the bytes or a failure: a short stream is no saved control.
HRESULT ReadExactly(IStream* stream, void* buffer, ULONG size) {
  ULONG read = 0;
  HRESULT hr = stream->Read(buffer, size, &read);
  if (FAILED(hr)) return hr;
  return read == size ? S_OK : STG_E_READFAULT;
}

}  // namespace

STDMETHODIMP PersistStreamPart::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = Core().Clsid();
  return S_OK;
}

STDMETHODIMP PersistStreamPart::Load(LPSTREAM stream) {
  if (!stream) return E_POINTER;
  DWORD version = 0;
  HRESULT hr = ReadExactly(stream, &version, sizeof(version));
  if (FAILED(hr)) return hr;
  // Written by a later control that may have saved more than this one knows.
  if (version > kStreamVersion) return E_FAIL;
  DWORD extent[2] = {};
  hr = ReadExactly(stream, extent, sizeof(extent));
  if (FAILED(hr)) return hr;
  ControlCore& core = Core();
  core.SetExtent(SIZEL{static_cast<LONG>(extent[0]), static_cast<LONG>(extent[1])});
  core.SetDirty(false);
  return S_OK;
}

STDMETHODIMP PersistStreamPart::Save(LPSTREAM stream, BOOL clearDirty) {
  if (!stream) return E_POINTER;
  ControlCore& core = Core();
  SIZEL extent = core.Extent();
  DWORD data[3] = {kStreamVersion, static_cast<DWORD>(extent.cx), static_cast<DWORD>(extent.cy)};
  ULONG written = 0;
  HRESULT hr = stream->Write(data, sizeof(data), &written);
  if (FAILED(hr)) return hr;
  if (written != sizeof(data)) return STG_E_WRITEFAULT;
  if (clearDirty) core.SetDirty(false);
  return S_OK;
}

STDMETHODIMP PersistStreamPart::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  size->QuadPart = kStreamSize;
  return S_OK;
}

}  // namespace twutil
