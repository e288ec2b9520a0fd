// What every object of the in-memory model shares: its interface map, handing
// out the objects it holds, and the identifiers that tell its own objects apart
// from other implementations of the same interfaces.
#pragma once

#include <windows.h>

#include "com/Owners.h"

namespace twutil::model {

// Only this model's objects answer these; they are never registered and never
// cross an apartment.
// Answered by ProgIDInfo with its IExtractProgIDInfo pointer.
inline constexpr GUID kOwnProgIDInfo = {
    0xdc65d7e7, 0xf75d, 0x4a9a, {0xaf, 0x13, 0x13, 0xc3, 0x91, 0xc0, 0xf8, 0x7a}};
// Answered by Component with its IExtractComponent pointer.
inline constexpr GUID kOwnComponent = {
    0xfd3d828d, 0xd0f4, 0x4b8b, {0xa9, 0x1e, 0x9b, 0xcd, 0x4f, 0x9d, 0x1b, 0x61}};

// The interface map of an object with one dual interface.
template <class Dual>
void* DualInterfaceFor(Dual* self, REFIID iid) {
  if (iid == __uuidof(Dual) || iid == IID_IDispatch) return self;
  return nullptr;
}

// A new reference to an object held, for an [out, retval] parameter.
template <class I>
HRESULT HandOut(const ComPtr<I>& held, I** out) {
  if (!out) return E_POINTER;
  *out = ComPtr<I>(held.Get()).Detach();
  return S_OK;
}

}  // namespace twutil::model
