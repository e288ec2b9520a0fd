// A type library's attributes, released through the library that gave them.
#pragma once

#include <oaidl.h>

#include "com/Owners.h"

namespace twutil {

class TypeLibAttributes {
 public:
  // Empty (false) when the library gives none.
  explicit TypeLibAttributes(ITypeLib* library) : library_(library) {
    if (library_ && FAILED(library_->GetLibAttr(&attributes_))) attributes_ = nullptr;
  }
  ~TypeLibAttributes() {
    if (attributes_) library_->ReleaseTLibAttr(attributes_);
  }
  TypeLibAttributes(const TypeLibAttributes&) = delete;
  TypeLibAttributes& operator=(const TypeLibAttributes&) = delete;

  explicit operator bool() const { return attributes_ != nullptr; }
  const TLIBATTR* operator->() const { return attributes_; }

 private:
  ComPtr<ITypeLib> library_;  // declared first: released after the attributes
  TLIBATTR* attributes_ = nullptr;
};

}  // namespace twutil
