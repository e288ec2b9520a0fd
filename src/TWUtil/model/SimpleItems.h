// The model items that are plain property bags: type libraries, activation
// contexts, AppIDs, extensions and MIME types. Each item's key property is the
// one its collection's Add names.
#pragma once

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/TypeInfoDispatch.h"
#include "model/ModelObject.h"
#include "model/PropertyValue.h"

namespace twutil::model {

class TypeLibrary : public ComObject<TypeInfoDispatch<IExtractTypeLibrary>> {
 public:
  explicit TypeLibrary(IUnknown* outer) : ComObject(outer) {}
  HRESULT PutKey(BSTR key) { return libId_.Put(key); }

  STDMETHODIMP get_LibID(BSTR* v) override { return libId_.Get(v); }
  STDMETHODIMP put_LibID(BSTR v) override { return libId_.Put(v); }
  STDMETHODIMP get_LibLCID(LONG* v) override { return lcid_.Get(v); }
  STDMETHODIMP put_LibLCID(LONG v) override { return lcid_.Put(v); }
  STDMETHODIMP get_LibDescription(BSTR* v) override { return description_.Get(v); }
  STDMETHODIMP put_LibDescription(BSTR v) override { return description_.Put(v); }
  STDMETHODIMP get_LibVersion(BSTR* v) override { return version_.Get(v); }
  STDMETHODIMP put_LibVersion(BSTR v) override { return version_.Put(v); }
  STDMETHODIMP get_HelpDir(BSTR* v) override { return helpDir_.Get(v); }
  STDMETHODIMP put_HelpDir(BSTR v) override { return helpDir_.Put(v); }

 protected:
  void* InterfaceFor(REFIID iid) override {
    return DualInterfaceFor<IExtractTypeLibrary>(this, iid);
  }

 private:
  TextValue libId_, description_, version_, helpDir_;
  NumberValue lcid_;
};

class ContextType : public ComObject<TypeInfoDispatch<IExtractContextType>> {
 public:
  explicit ContextType(IUnknown* outer) : ComObject(outer) {}
  HRESULT PutKey(BSTR key) { return name_.Put(key); }

  STDMETHODIMP get_Name(BSTR* v) override { return name_.Get(v); }
  STDMETHODIMP put_Name(BSTR v) override { return name_.Put(v); }
  STDMETHODIMP get_DefInprocHandler(LONG* v) override { return defInprocHandler_.Get(v); }
  STDMETHODIMP put_DefInprocHandler(LONG v) override { return defInprocHandler_.Put(v); }
  STDMETHODIMP get_Argument(BSTR* v) override { return argument_.Get(v); }
  STDMETHODIMP put_Argument(BSTR v) override { return argument_.Put(v); }

 protected:
  void* InterfaceFor(REFIID iid) override {
    return DualInterfaceFor<IExtractContextType>(this, iid);
  }

 private:
  TextValue name_, argument_;
  NumberValue defInprocHandler_;
};

class AppIDInfo : public ComObject<TypeInfoDispatch<IExtractAppIDInfo>> {
 public:
  explicit AppIDInfo(IUnknown* outer) : ComObject(outer) {}
  HRESULT PutKey(BSTR key) { return guid_.Put(key); }

  STDMETHODIMP get_Guid(BSTR* v) override { return guid_.Get(v); }
  STDMETHODIMP put_Guid(BSTR v) override { return guid_.Put(v); }
  STDMETHODIMP get_RemoteServerName(BSTR* v) override { return remoteServerName_.Get(v); }
  STDMETHODIMP put_RemoteServerName(BSTR v) override { return remoteServerName_.Put(v); }
  STDMETHODIMP get_LocalService(BSTR* v) override { return localService_.Get(v); }
  STDMETHODIMP put_LocalService(BSTR v) override { return localService_.Put(v); }
  STDMETHODIMP get_ServiceParameters(BSTR* v) override { return serviceParameters_.Get(v); }
  STDMETHODIMP put_ServiceParameters(BSTR v) override { return serviceParameters_.Put(v); }
  STDMETHODIMP get_DllSurrogate(BSTR* v) override { return dllSurrogate_.Get(v); }
  STDMETHODIMP put_DllSurrogate(BSTR v) override { return dllSurrogate_.Put(v); }
  STDMETHODIMP get_Description(BSTR* v) override { return description_.Get(v); }
  STDMETHODIMP put_Description(BSTR v) override { return description_.Put(v); }
  STDMETHODIMP get_ActivateAtStorage(LONG* v) override { return activateAtStorage_.Get(v); }
  STDMETHODIMP put_ActivateAtStorage(LONG v) override { return activateAtStorage_.Put(v); }
  STDMETHODIMP get_RunAsInteractiveUser(LONG* v) override { return runAsInteractiveUser_.Get(v); }
  STDMETHODIMP put_RunAsInteractiveUser(LONG v) override { return runAsInteractiveUser_.Put(v); }

 protected:
  void* InterfaceFor(REFIID iid) override { return DualInterfaceFor<IExtractAppIDInfo>(this, iid); }

 private:
  TextValue guid_, remoteServerName_, localService_, serviceParameters_, dllSurrogate_,
      description_;
  NumberValue activateAtStorage_, runAsInteractiveUser_;
};

class ExtensionInfo : public ComObject<TypeInfoDispatch<IExtractExtensionInfo>> {
 public:
  explicit ExtensionInfo(IUnknown* outer) : ComObject(outer) {}
  HRESULT PutKey(BSTR key) { return extension_.Put(key); }

  STDMETHODIMP get_Extension(BSTR* v) override { return extension_.Get(v); }
  STDMETHODIMP put_Extension(BSTR v) override { return extension_.Put(v); }
  STDMETHODIMP get_ProgID(BSTR* v) override { return progId_.Get(v); }
  STDMETHODIMP put_ProgID(BSTR v) override { return progId_.Put(v); }
  STDMETHODIMP get_MIME(BSTR* v) override { return mime_.Get(v); }
  STDMETHODIMP put_MIME(BSTR v) override { return mime_.Put(v); }

 protected:
  void* InterfaceFor(REFIID iid) override {
    return DualInterfaceFor<IExtractExtensionInfo>(this, iid);
  }

 private:
  TextValue extension_, progId_, mime_;
};

// Keyed by its content type.
class MIMEInfo : public ComObject<TypeInfoDispatch<IExtractMIMEInfo>> {
 public:
  explicit MIMEInfo(IUnknown* outer) : ComObject(outer) {}
  HRESULT PutKey(BSTR key) { return content_.Put(key); }

  STDMETHODIMP get_Extension(BSTR* v) override { return extension_.Get(v); }
  STDMETHODIMP put_Extension(BSTR v) override { return extension_.Put(v); }
  STDMETHODIMP get_Content(BSTR* v) override { return content_.Get(v); }
  STDMETHODIMP put_Content(BSTR v) override { return content_.Put(v); }
  STDMETHODIMP get_CLSID(BSTR* v) override { return clsid_.Get(v); }
  STDMETHODIMP put_CLSID(BSTR v) override { return clsid_.Put(v); }

 protected:
  void* InterfaceFor(REFIID iid) override { return DualInterfaceFor<IExtractMIMEInfo>(this, iid); }

 private:
  TextValue extension_, content_, clsid_;
};

}  // namespace twutil::model
