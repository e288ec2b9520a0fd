// A ProgID of the model, with the collection of its shell verbs.
#pragma once

#include <memory>

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/Owners.h"
#include "com/TypeInfoDispatch.h"
#include "model/KeyedCollection.h"
#include "model/ModelObject.h"
#include "model/PropertyValue.h"
#include "model/VerbInfo.h"

namespace twutil::model {

using VerbCollection = KeyedCollection<IExtractVerbCol, IExtractVerbInfo, VerbInfo>;

class ProgIDInfo : public ComObject<TypeInfoDispatch<IExtractProgIDInfo>> {
 public:
  // Throws std::bad_alloc.
  explicit ProgIDInfo(IUnknown* outer)
      : ComObject(outer), verbs_(new VerbCollection(nullptr)), self_(this, [](ProgIDInfo*) {}) {}
  // Verbs that link here see the link go null from now on.
  ~ProgIDInfo() override { self_.reset(); }

  HRESULT PutKey(BSTR key) { return progId_.Put(key); }
  // A non-owning handle that expires with this object.
  std::weak_ptr<ProgIDInfo> WeakSelf() const { return self_; }

  STDMETHODIMP get_ProgID(BSTR* v) override { return progId_.Get(v); }
  STDMETHODIMP put_ProgID(BSTR v) override { return progId_.Put(v); }
  STDMETHODIMP get_ClassID(BSTR* v) override { return classId_.Get(v); }
  STDMETHODIMP put_ClassID(BSTR v) override { return classId_.Put(v); }
  STDMETHODIMP get_Description(BSTR* v) override { return description_.Get(v); }
  STDMETHODIMP put_Description(BSTR v) override { return description_.Put(v); }
  STDMETHODIMP get_Parent(BSTR* v) override { return parent_.Get(v); }
  STDMETHODIMP put_Parent(BSTR v) override { return parent_.Put(v); }
  STDMETHODIMP get_DefaultIcon(BSTR* v) override { return defaultIcon_.Get(v); }
  STDMETHODIMP put_DefaultIcon(BSTR v) override { return defaultIcon_.Put(v); }
  STDMETHODIMP get_IconIndex(LONG* v) override { return iconIndex_.Get(v); }
  STDMETHODIMP put_IconIndex(LONG v) override { return iconIndex_.Put(v); }
  STDMETHODIMP get_VerbCollection(IExtractVerbCol** v) override { return HandOut(verbs_, v); }

 protected:
  void* InterfaceFor(REFIID iid) override {
    if (iid == kOwnProgIDInfo) return static_cast<IExtractProgIDInfo*>(this);
    return DualInterfaceFor<IExtractProgIDInfo>(this, iid);
  }

 private:
  TextValue progId_, classId_, description_, parent_, defaultIcon_;
  NumberValue iconIndex_;
  ComPtr<IExtractVerbCol> verbs_;
  std::shared_ptr<ProgIDInfo> self_;
};

}  // namespace twutil::model
