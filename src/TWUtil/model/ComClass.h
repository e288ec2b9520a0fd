// A COM class of the model, with the collection of its activation contexts
// (InprocServer32, LocalServer32, ...).
#pragma once

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/Owners.h"
#include "com/TypeInfoDispatch.h"
#include "model/KeyedCollection.h"
#include "model/ModelObject.h"
#include "model/PropertyValue.h"
#include "model/SimpleItems.h"

namespace twutil::model {

using ContextCollection = KeyedCollection<IExtractContextCol, IExtractContextType, ContextType>;

class ComClass : public ComObject<TypeInfoDispatch<IExtractComClass>> {
 public:
  // Throws std::bad_alloc.
  explicit ComClass(IUnknown* outer)
      : ComObject(outer), contexts_(new ContextCollection(nullptr)) {}
  HRESULT PutKey(BSTR key) { return guid_.Put(key); }

  STDMETHODIMP get_Guid(BSTR* v) override { return guid_.Get(v); }
  STDMETHODIMP put_Guid(BSTR v) override { return guid_.Put(v); }
  STDMETHODIMP get_Description(BSTR* v) override { return description_.Get(v); }
  STDMETHODIMP put_Description(BSTR v) override { return description_.Put(v); }
  STDMETHODIMP get_ProgID(BSTR* v) override { return progId_.Get(v); }
  STDMETHODIMP put_ProgID(BSTR v) override { return progId_.Put(v); }
  STDMETHODIMP get_AppID(BSTR* v) override { return appId_.Get(v); }
  STDMETHODIMP put_AppID(BSTR v) override { return appId_.Put(v); }
  STDMETHODIMP get_DefaultIcon(BSTR* v) override { return defaultIcon_.Get(v); }
  STDMETHODIMP put_DefaultIcon(BSTR v) override { return defaultIcon_.Put(v); }
  STDMETHODIMP get_IconIndex(LONG* v) override { return iconIndex_.Get(v); }
  STDMETHODIMP put_IconIndex(LONG v) override { return iconIndex_.Put(v); }
  STDMETHODIMP get_ContextCol(IExtractContextCol** v) override { return HandOut(contexts_, v); }

 protected:
  void* InterfaceFor(REFIID iid) override { return DualInterfaceFor<IExtractComClass>(this, iid); }

 private:
  TextValue guid_, description_, progId_, appId_, defaultIcon_;
  NumberValue iconIndex_;
  ComPtr<IExtractContextCol> contexts_;
};

}  // namespace twutil::model
