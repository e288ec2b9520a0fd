#include "files/Encryptor.h"

#include "files/EightBitText.h"
#include "files/EncryptTransform.h"

namespace twutil {

STDMETHODIMP Encryptor::Encrypt(EEncryptAlgorithm, BSTR input, BSTR* output) {
  // The system ANSI code page, whatever the library's conversion code page is.
  std::string code = EncryptedText(EightBitText(input, CP_ACP));
  if (!output) return E_POINTER;
  std::wstring text(code.begin(), code.end());  // digits only
  BSTR result = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (!result) return E_OUTOFMEMORY;
  *output = result;
  return S_OK;
}

}  // namespace twutil
