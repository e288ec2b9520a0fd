// The one shape of all eight model collections: Add by key, Item by key or
// 1-based position, Count; items stay in the order they were first added.
#pragma once

#include <windows.h>

#include <new>
#include <vector>

#include "com/ComObject.h"
#include "com/Owners.h"
#include "com/TypeInfoDispatch.h"
#include "model/CollectionKey.h"
#include "model/ModelObject.h"

namespace twutil::model {

// ItemT is the item class: constructible from an outer unknown, implementing
// ItemI, with PutKey(BSTR) setting its key property. An item stays filed under
// the key that Add was given, whatever is later put into its key property.
template <class CollectionI, class ItemI, class ItemT>
class KeyedCollection : public ComObject<TypeInfoDispatch<CollectionI>> {
  using Base = ComObject<TypeInfoDispatch<CollectionI>>;

 public:
  explicit KeyedCollection(IUnknown* outer) : Base(outer) {}

  // A key added before hands back the item it made then, so later puts
  // overwrite the earlier ones instead of making a second item.
  STDMETHODIMP Add(BSTR key, ItemI** item) override {
    if (!item) return E_POINTER;
    *item = nullptr;
    try {
      size_t position = 0;
      if (keys_.Find(key, &position)) {
        *item = ComPtr<ItemI>(items_[position].Get()).Detach();
        return S_OK;
      }
      ItemT* fresh = new ItemT(nullptr);
      ComPtr<ItemI> created(fresh);
      HRESULT hr = fresh->PutKey(key);
      if (FAILED(hr)) return hr;
      items_.reserve(items_.size() + 1);
      keys_.Insert(key, items_.size());
      items_.push_back(created);
      *item = created.Detach();
      return S_OK;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }

  STDMETHODIMP get_Item(VARIANT key, ItemI** item) override {
    if (!item) return E_POINTER;
    *item = nullptr;
    size_t position = 0;
    HRESULT hr = LocateItem(key, keys_, items_.size(), &position);
    if (FAILED(hr)) return hr;
    *item = ComPtr<ItemI>(items_[position].Get()).Detach();
    return S_OK;
  }

  STDMETHODIMP get_Count(LONG* count) override {
    if (!count) return E_POINTER;
    *count = static_cast<LONG>(items_.size());
    return S_OK;
  }

 protected:
  void* InterfaceFor(REFIID iid) override {
    return DualInterfaceFor<CollectionI>(static_cast<CollectionI*>(this), iid);
  }

 private:
  KeyIndex keys_;
  std::vector<ComPtr<ItemI>> items_;
};

}  // namespace twutil::model
