// Encryptor: encodes a text as a number.
#pragma once

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/SupportErrorInfo.h"
#include "com/TypeInfoDispatch.h"

namespace twutil {

class Encryptor : public ComObject<TypeInfoDispatch<IEncryptor>, SupportErrorInfo<IEncryptor>> {
 public:
  explicit Encryptor(IUnknown* outer) : ComObject(outer) {}

  // Every algorithm value selects the one transform.
  STDMETHODIMP Encrypt(EEncryptAlgorithm algorithm, BSTR input, BSTR* output) override;

 protected:
  void* InterfaceFor(REFIID iid) override {
    if (iid == IID_IEncryptor || iid == IID_IDispatch) return static_cast<IEncryptor*>(this);
    if (iid == IID_ISupportErrorInfo) return static_cast<ISupportErrorInfo*>(this);
    return nullptr;
  }
};

}  // namespace twutil
