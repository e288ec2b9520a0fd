// A shell verb of a ProgID, with its link back to a ProgID item.
#pragma once

#include <memory>

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/Owners.h"
#include "com/TypeInfoDispatch.h"
#include "model/ModelObject.h"
#include "model/PropertyValue.h"

namespace twutil::model {

class ProgIDInfo;

class VerbInfo : public ComObject<TypeInfoDispatch<IExtractVerbInfo>> {
 public:
  explicit VerbInfo(IUnknown* outer) : ComObject(outer) {}
  HRESULT PutKey(BSTR key) { return verb_.Put(key); }

  STDMETHODIMP get_Verb(BSTR* v) override { return verb_.Get(v); }
  STDMETHODIMP put_Verb(BSTR v) override { return verb_.Put(v); }
  STDMETHODIMP get_Command(BSTR* v) override { return command_.Get(v); }
  STDMETHODIMP put_Command(BSTR v) override { return command_.Put(v); }
  // Null when no ProgID was set or when the model's ProgID item is gone.
  STDMETHODIMP get_ProgID(IExtractProgIDInfo** v) override;
  STDMETHODIMP putref_ProgID(IExtractProgIDInfo* v) override;
  STDMETHODIMP get_Argument(BSTR* v) override { return argument_.Get(v); }
  STDMETHODIMP put_Argument(BSTR v) override { return argument_.Put(v); }
  STDMETHODIMP get_Sequence(LONG* v) override { return sequence_.Get(v); }
  STDMETHODIMP put_Sequence(LONG v) override { return sequence_.Put(v); }
  STDMETHODIMP get_PEFile(BSTR* v) override { return peFile_.Get(v); }
  STDMETHODIMP put_PEFile(BSTR v) override { return peFile_.Put(v); }
  STDMETHODIMP get_Extension(BSTR* v) override { return extension_.Get(v); }
  STDMETHODIMP put_Extension(BSTR v) override { return extension_.Put(v); }

 protected:
  void* InterfaceFor(REFIID iid) override { return DualInterfaceFor<IExtractVerbInfo>(this, iid); }

 private:
  TextValue verb_, command_, argument_, peFile_, extension_;
  NumberValue sequence_;
  // The ProgID set is nearly always the item whose verb collection holds this
  // verb, so an owning reference would close a cycle (ProgID -> verbs -> verb
  // -> ProgID) that nothing ever breaks. A ProgID item of this model is
  // therefore held weakly; another implementation's object cannot be watched
  // that way and is held by reference.
  std::weak_ptr<ProgIDInfo> modelProgId_;
  ComPtr<IExtractProgIDInfo> otherProgId_;
};

}  // namespace twutil::model
