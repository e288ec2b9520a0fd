#include "model/CollectionKey.h"

#include <new>

#include "com/Owners.h"

namespace twutil::model {

std::wstring KeyIndex::Fold(BSTR key) {
  std::wstring folded(key ? key : L"", SysStringLen(key));
  if (!folded.empty()) CharUpperBuffW(&folded[0], static_cast<DWORD>(folded.size()));
  return folded;
}

bool KeyIndex::Find(BSTR key, size_t* position) const {
  auto found = positions_.find(Fold(key));
  if (found == positions_.end()) return false;
  *position = found->second;
  return true;
}

void KeyIndex::Insert(BSTR key, size_t position) { positions_.emplace(Fold(key), position); }

namespace {

bool IsNumber(VARTYPE type) {
  switch (type) {
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DECIMAL:
      return true;
    default:
      return false;
  }
}

}  // namespace

HRESULT LocateItem(const VARIANT& key, const KeyIndex& keys, size_t count, size_t* position) {
  // Drops one level of reference, including a script variable's VT_VARIANT one.
  Variant plain;
  if (FAILED(VariantCopyInd(plain.Put(), const_cast<VARIANT*>(&key)))) return E_INVALIDARG;

  if (plain.Type() == VT_BSTR) {
    try {
      return keys.Find(V_BSTR(&plain.Ref()), position) ? S_OK : DISP_E_BADINDEX;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }
  if (!IsNumber(plain.Type())) return E_INVALIDARG;

  Variant number;
  if (FAILED(VariantChangeType(number.Put(), &plain.Ref(), 0, VT_I4))) return DISP_E_BADINDEX;
  LONG wanted = V_I4(&number.Ref());
  if (wanted < 1 || static_cast<size_t>(wanted) > count) return DISP_E_BADINDEX;
  *position = static_cast<size_t>(wanted) - 1;
  return S_OK;
}

}  // namespace twutil::model
