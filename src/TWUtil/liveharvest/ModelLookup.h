// Asking a model collection for an item by key text or by 1-based position.
#pragma once

#include <string>

#include "com/Owners.h"

namespace twutil {

template <class Collection, class Item>
HRESULT ItemByName(Collection* collection, const std::wstring& name, ComPtr<Item>* item) {
  Variant key;
  V_VT(key.Put()) = VT_BSTR;
  V_BSTR(&key.Ref()) = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
  return collection->get_Item(key.Ref(), item->Put());
}

template <class Collection, class Item>
HRESULT ItemAt(Collection* collection, LONG position, ComPtr<Item>* item) {
  Variant key;
  V_VT(key.Put()) = VT_I4;
  V_I4(&key.Ref()) = position;
  return collection->get_Item(key.Ref(), item->Put());
}

}  // namespace twutil
