#include "files/Guid.h"

#include <cwctype>

namespace twutil {

STDMETHODIMP Guid::CreateGuid(BSTR* guidText) {
  if (!guidText) return S_OK;
  *guidText = nullptr;
  GUID guid;
  if (FAILED(CoCreateGuid(&guid))) return S_OK;
  wchar_t text[40];
  if (StringFromGUID2(guid, text, 40) == 0) return S_OK;
  for (wchar_t* c = text; *c; ++c) *c = static_cast<wchar_t>(towupper(*c));
  *guidText = SysAllocString(text);
  return S_OK;
}

}  // namespace twutil
