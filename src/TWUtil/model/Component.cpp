#include "model/Component.h"

#include <new>

#include "model/ComClass.h"
#include "model/KeyedCollection.h"
#include "model/ProgIDInfo.h"
#include "model/PropertyValue.h"
#include "model/SimpleItems.h"

namespace twutil::model {
namespace {

using TypeLibCollection = KeyedCollection<IExtractTypeLibCol, IExtractTypeLibrary, TypeLibrary>;
using ComClassCollection = KeyedCollection<IExtractComClassCol, IExtractComClass, ComClass>;
using AppIDCollection = KeyedCollection<IExtractAppIDCol, IExtractAppIDInfo, AppIDInfo>;
using ProgIDCollection = KeyedCollection<IExtractProgIDCol, IExtractProgIDInfo, ProgIDInfo>;
using ExtensionCollection =
    KeyedCollection<IExtractExtensionCol, IExtractExtensionInfo, ExtensionInfo>;
using MIMECollection = KeyedCollection<IExtractMIMECol, IExtractMIMEInfo, MIMEInfo>;

std::optional<std::wstring> OptionalText(BSTR text) {
  if (!text) return std::nullopt;
  return std::wstring(text, SysStringLen(text));
}

// This model's own component behind an interface pointer, or null.
Component* OwnComponent(IExtractComponent* component) {
  if (!component) return nullptr;
  ComPtr<IExtractComponent> ours;
  if (FAILED(component->QueryInterface(kOwnComponent, ours.PutVoid())) || !ours) return nullptr;
  return static_cast<Component*>(ours.Get());  // the caller still holds a reference
}

}  // namespace

Component::Component(IUnknown* outer)
    : ComObject(outer),
      typeLibraries_(new TypeLibCollection(nullptr)),
      classes_(new ComClassCollection(nullptr)),
      appIds_(new AppIDCollection(nullptr)),
      progIds_(new ProgIDCollection(nullptr)),
      extensions_(new ExtensionCollection(nullptr)),
      mimeTypes_(new MIMECollection(nullptr)) {}

STDMETHODIMP Component::get_KeyFile(VARIANT_BOOL bRepackager, BSTR* pVal) {
  if (bRepackager && repackagerKeyFile_) return CopyToBstr(*repackagerKeyFile_, pVal);
  return CopyToBstr(keyFile_, pVal);
}

STDMETHODIMP Component::get_Destination(BSTR* pVal) { return CopyToBstr(destination_, pVal); }

STDMETHODIMP Component::get_TypeLibCollection(IExtractTypeLibCol** pVal) {
  return HandOut(typeLibraries_, pVal);
}
STDMETHODIMP Component::get_ComClassCollection(IExtractComClassCol** pVal) {
  return HandOut(classes_, pVal);
}
STDMETHODIMP Component::get_AppInfoCollection(IExtractAppIDCol** pVal) {
  return HandOut(appIds_, pVal);
}
STDMETHODIMP Component::get_ProgIDCollection(IExtractProgIDCol** pVal) {
  return HandOut(progIds_, pVal);
}
STDMETHODIMP Component::get_ExtensionCol(IExtractExtensionCol** pVal) {
  return HandOut(extensions_, pVal);
}
STDMETHODIMP Component::get_MIMECol(IExtractMIMECol** pVal) { return HandOut(mimeTypes_, pVal); }

// Both forms are kept as they came: a hive number with a key path, or a
// predefined key's value with null names standing for a whole hive mirror.
STDMETHODIMP Component::AddMiscRegistryInfo(ERegistryHives hROOT, BSTR bstrKey, BSTR bstrValueName,
                                            VARIANT_BOOL bDeleteAllValues, LONG* lResult) {
  try {
    MiscRegistryEntry entry;
    entry.root = static_cast<ULONG>(hROOT);
    entry.key = OptionalText(bstrKey);
    entry.valueName = OptionalText(bstrValueName);
    entry.deleteAllValues = bDeleteAllValues;
    misc_.push_back(std::move(entry));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  // Nobody reads the result; a caller that passes no place for it loses nothing.
  if (lResult) *lResult = 0;
  return S_OK;
}

STDMETHODIMP Component::AddCapturedValue(ULONG ulRoot, BSTR bstrKey, BSTR bstrValueName,
                                         ULONG ulType, ULONG cbData, const BYTE* pbData) {
  if (cbData && !pbData) return E_POINTER;
  try {
    CapturedEntry entry;
    entry.root = ulRoot;
    entry.key.assign(bstrKey ? bstrKey : L"", SysStringLen(bstrKey));
    // The registry knows no difference between the default value and one
    // named by an empty text.
    if (SysStringLen(bstrValueName) != 0)
      entry.name.emplace(bstrValueName, SysStringLen(bstrValueName));
    entry.type = ulType;
    entry.data.assign(pbData, pbData + cbData);
    captured_.push_back(std::move(entry));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

STDMETHODIMP Component::AddCapturedKey(ULONG ulRoot, BSTR bstrKey) {
  try {
    CapturedEntry entry;
    entry.root = ulRoot;
    entry.key.assign(bstrKey ? bstrKey : L"", SysStringLen(bstrKey));
    entry.keyOnly = true;
    captured_.push_back(std::move(entry));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

STDMETHODIMP Component::SetCaptureOutcome(LONG lOutcome, BSTR bstrDetail) {
  try {
    outcome_ = CaptureResult{lOutcome,
                             std::wstring(bstrDetail ? bstrDetail : L"", SysStringLen(bstrDetail))};
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

void* Component::InterfaceFor(REFIID iid) {
  if (iid == kOwnComponent) return static_cast<IExtractComponent*>(this);
  if (iid == IID_IExtractCapturedRegistry) return static_cast<IExtractCapturedRegistry*>(this);
  return DualInterfaceFor<IExtractComponent>(this, iid);
}

HRESULT CreateExtractComponent(const wchar_t* keyFile, const wchar_t* destination,
                               IExtractComponent** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  try {
    ComPtr<Component> component(new Component(nullptr));
    component->SetKeyFile(keyFile);
    component->SetDestination(destination);
    *out = component.Detach();
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT SetRepackagerKeyFile(IExtractComponent* component, const wchar_t* keyFile) {
  Component* ours = OwnComponent(component);
  if (!ours) return E_INVALIDARG;
  try {
    ours->SetRepackagerKeyFile(keyFile);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

const std::vector<MiscRegistryEntry>* MiscRegistryOf(IExtractComponent* component) {
  Component* ours = OwnComponent(component);
  return ours ? &ours->MiscRegistry() : nullptr;
}

const std::vector<CapturedEntry>* CapturedRegistryOf(IExtractComponent* component) {
  Component* ours = OwnComponent(component);
  return ours ? &ours->CapturedRegistry() : nullptr;
}

const CaptureResult* CaptureResultOf(IExtractComponent* component) {
  Component* ours = OwnComponent(component);
  return ours && ours->Outcome() ? &*ours->Outcome() : nullptr;
}

}  // namespace twutil::model
