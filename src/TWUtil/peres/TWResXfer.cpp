#include "peres/TWResXfer.h"

#include <cwchar>
#include <new>

#include "peres/IconGroupCopy.h"
#include "peres/VariantLong.h"

namespace twutil {
namespace {

constexpr long kSuccess = 0;
constexpr long kFailure = -1;
constexpr long kAutomaticSlot = -1;

void SetResult(VARIANT* result, long value) {
  VariantInit(result);
  V_VT(result) = VT_I4;
  V_I4(result) = value;
}

// A copy of name, or false when it cannot be made.
bool CopyName(BSTR name, Bstr* copy) {
  Bstr made = name ? Bstr(name, SysStringLen(name)) : Bstr();
  if (name && !made.Get()) return false;
  *copy = std::move(made);
  return true;
}

bool SameName(BSTR a, BSTR b) {
  if (!a || !b) return a == b;
  const UINT length = SysStringLen(a);
  return length == SysStringLen(b) && std::wmemcmp(a, b, length) == 0;
}

HRESULT GetName(const Bstr& name, VARIANT* out, VARIANT* result) {
  if (!out || !result) return E_POINTER;
  Bstr copy = name;
  VariantInit(out);
  V_VT(out) = VT_BSTR;
  V_BSTR(out) = copy.Detach();
  SetResult(result, name.Get() && !V_BSTR(out) ? kFailure : kSuccess);
  return S_OK;
}

}  // namespace

STDMETHODIMP TWResXfer::SetSourceFile(BSTR bSourceFileName, VARIANT* varResult) {
  if (!varResult) return E_POINTER;
  if (!SameName(source_.Get(), bSourceFileName)) sourceModule_.Reset();
  SetResult(varResult, CopyName(bSourceFileName, &source_) ? kSuccess : kFailure);
  return S_OK;
}

STDMETHODIMP TWResXfer::GetSourceFile(VARIANT* pbSourceFileName, VARIANT* varResult) {
  return GetName(source_, pbSourceFileName, varResult);
}

STDMETHODIMP TWResXfer::SetDestinationFile(BSTR bDestFileName, VARIANT* varResult) {
  if (!varResult) return E_POINTER;
  SetResult(varResult, CopyName(bDestFileName, &destination_) ? kSuccess : kFailure);
  return S_OK;
}

STDMETHODIMP TWResXfer::GetDestinationFile(VARIANT* pbDestFileName, VARIANT* varResult) {
  return GetName(destination_, pbDestFileName, varResult);
}

bool TWResXfer::Copy(const VARIANT& iconIndex, const VARIANT& outIndex, long* returned) {
  // Without a source name the resource calls look in the host's executable.
  if (source_.Get()) {
    sourceModule_ = LoadAsData(source_.Get());
    if (!sourceModule_.Valid()) return false;
  }

  long slot = 0;
  if (!VariantToLong(outIndex, &slot)) return false;
  uint32_t base = 0;
  if (slot != kAutomaticSlot) {
    base = kIdentifiersPerSlot * static_cast<uint32_t>(slot);
    *returned = slot + 1;
  } else {
    if (!destination_.Get()) return false;
    uint32_t count = 0;
    {
      // Unloaded again before the update rewrites the file.
      ModuleHandle destination = LoadAsData(destination_.Get());
      if (!destination.Valid()) return false;
      count = CountGroupIcons(destination.Get());
    }
    base = kIdentifiersPerSlot * count;
    *returned = static_cast<long>(count);
  }

  long index = 0;
  if (!VariantToLong(iconIndex, &index)) return false;
  return CopyIconGroup(sourceModule_.Get(), index, destination_.Get(), base);
}

STDMETHODIMP TWResXfer::CopyIconResource(VARIANT nIconIndex, VARIANT* nOutIndex,
                                         VARIANT* varResult) {
  if (!nOutIndex || !varResult) return E_POINTER;
  long result = kFailure;
  try {
    long returned = 0;
    if (Copy(nIconIndex, *nOutIndex, &returned)) {
      StoreLongInVariant(nOutIndex, returned);
      result = kSuccess;
    }
  } catch (const std::bad_alloc&) {
    result = kFailure;
  }
  sourceModule_.Reset();
  SetResult(varResult, result);
  return S_OK;
}

}  // namespace twutil
