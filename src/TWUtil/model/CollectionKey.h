// How the in-memory model's collections find an item: by its key or by its
// 1-based position, as a VARIANT from early- or late-bound callers.
#pragma once

#include <ole2.h>

#include <string>
#include <unordered_map>

namespace twutil::model {

// Positions of the keys of one collection. Keys are GUIDs, ProgIDs, registry
// key names, extensions and content types, all of which Windows compares
// without regard to case, so the index does too.
class KeyIndex {
 public:
  bool Find(BSTR key, size_t* position) const;
  // Throws std::bad_alloc.
  void Insert(BSTR key, size_t position);

 private:
  static std::wstring Fold(BSTR key);
  std::unordered_map<std::wstring, size_t> positions_;
};

// The 0-based position that key selects among count items. key is a text
// (VT_BSTR) or a number from 1 to count, either of them also by reference.
// Fails with DISP_E_BADINDEX for a missing key or a position out of range,
// E_INVALIDARG for any other kind of VARIANT.
HRESULT LocateItem(const VARIANT& key, const KeyIndex& keys, size_t count, size_t* position);

}  // namespace twutil::model
