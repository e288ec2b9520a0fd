// Small helpers of the model suites: building keys and reading properties.
#pragma once

#include <ole2.h>

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

// A VARIANT of the type, its value left for the caller to fill; it owns nothing.
inline VARIANT Typed(VARTYPE type) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = type;
  return v;
}

// A key that borrows text (the Bstr must outlive it).
inline VARIANT ByText(const Bstr& text) {
  VARIANT v = Typed(VT_BSTR);
  V_BSTR(&v) = text.Get();
  return v;
}

inline VARIANT ByPosition(LONG position) {
  VARIANT v = Typed(VT_I4);
  V_I4(&v) = position;
  return v;
}

// A text property read through its getter; "<failed>" when the getter fails.
template <class Item, class Getter>
std::wstring Text(Item* item, Getter get) {
  Bstr value;
  if (FAILED((item->*get)(value.Put()))) return L"<failed>";
  return std::wstring(value.Text(), value.Length());
}

inline bool SameObject(IUnknown* a, IUnknown* b) {
  ComPtr<IUnknown> left, right;
  if (!a || !b) return false;
  a->QueryInterface(IID_IUnknown, left.PutVoid());
  b->QueryInterface(IID_IUnknown, right.PutVoid());
  return left.Get() == right.Get();
}

// Adds key to a collection; item receives what Add hands back.
template <class Collection, class Item>
HRESULT AddKey(Collection* collection, const wchar_t* key, ComPtr<Item>* item) {
  Bstr text(key);
  return collection->Add(text.Get(), item->Put());
}

}  // namespace modeltest
