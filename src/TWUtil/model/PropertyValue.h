// Storage of the text and number properties of the in-memory model's items.
#pragma once

#include <ole2.h>

#include <string>

namespace twutil::model {

// A text property. A null BSTR put reads back as the empty text; the getter
// never answers a null BSTR.
class TextValue {
 public:
  HRESULT Get(BSTR* out) const;
  HRESULT Put(BSTR in);
  const std::wstring& Text() const { return text_; }

 private:
  std::wstring text_;
};

class NumberValue {
 public:
  HRESULT Get(LONG* out) const {
    if (!out) return E_POINTER;
    *out = value_;
    return S_OK;
  }
  HRESULT Put(LONG in) {
    value_ = in;
    return S_OK;
  }

 private:
  LONG value_ = 0;
};

// A fresh BSTR holding text (embedded nulls kept); E_OUTOFMEMORY when it cannot
// be allocated, E_POINTER for a null out.
HRESULT CopyToBstr(const std::wstring& text, BSTR* out);

}  // namespace twutil::model
