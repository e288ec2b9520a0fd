#include "model/PropertyValue.h"

#include <new>

namespace twutil::model {

HRESULT CopyToBstr(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (text.size() > 0x7FFFFFF0u / sizeof(wchar_t)) return E_OUTOFMEMORY;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT TextValue::Get(BSTR* out) const { return CopyToBstr(text_, out); }

HRESULT TextValue::Put(BSTR in) {
  try {
    text_.assign(in ? in : L"", SysStringLen(in));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

}  // namespace twutil::model
