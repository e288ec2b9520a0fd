// Small helpers of the model suites: building trees, keys and reading items.
#pragma once

#include <ole2.h>

#include <cstring>
#include <string>

#include "TWUtil.h"
#include "com/Owners.h"
#include "model/Component.h"

namespace modeltest {

using twutil::Bstr;
using twutil::ComPtr;

inline ComPtr<IExtractComponent> NewComponent(const wchar_t* keyFile = L"C:\\srv\\a.dll",
                                              const wchar_t* destination = L"[INSTALLDIR]") {
  IExtractComponent* raw = nullptr;
  twutil::model::CreateExtractComponent(keyFile, destination, &raw);
  return ComPtr<IExtractComponent>::Adopt(raw);
}

// The item that Add of the owner's collection hands back for key.
template <class Item, class Owner, class Collection>
ComPtr<Item> Add(Owner* owner, HRESULT (STDMETHODCALLTYPE Owner::*get)(Collection**),
                 const wchar_t* key) {
  ComPtr<Collection> collection;
  ComPtr<Item> item;
  if (SUCCEEDED((owner->*get)(collection.Put()))) collection->Add(Bstr(key).Get(), item.Put());
  return item;
}

// A VARIANT of the type with value in its union; it owns nothing.
template <class T>
VARIANT Of(VARTYPE type, T value) {
  static_assert(sizeof(T) <= sizeof(LONGLONG), "a VARIANT value");
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = type;
  std::memcpy(&V_R8(&v), &value, sizeof(T));  // the start of the value union
  return v;
}

inline bool SameObject(IUnknown* a, IUnknown* b) {
  ComPtr<IUnknown> left, right;
  if (!a || !b) return false;
  a->QueryInterface(IID_IUnknown, left.PutVoid());
  b->QueryInterface(IID_IUnknown, right.PutVoid());
  return left.Get() == right.Get();
}

}  // namespace modeltest
