// The in-memory extraction component: one server file's key file, destination,
// the six collections of its findings and the registry entries handed over
// through AddMiscRegistryInfo. It takes the caller's place where the library
// runs without its usual caller.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/Owners.h"
#include "com/TypeInfoDispatch.h"
#include "model/CapturedRegistry.h"
#include "model/ModelObject.h"

namespace twutil::model {

// One AddMiscRegistryInfo call as it came.
struct MiscRegistryEntry {
  // An ERegistryHives number, or a predefined key's value (0x80000000 + hive).
  ULONG root = 0;
  std::optional<std::wstring> key;        // nullopt when a null BSTR came
  std::optional<std::wstring> valueName;  // likewise
  VARIANT_BOOL deleteAllValues = VARIANT_FALSE;
};

class Component : public ComObject<TypeInfoDispatch<IExtractComponent>, IExtractCapturedRegistry> {
 public:
  // Throws std::bad_alloc.
  explicit Component(IUnknown* outer);

  // Throw std::bad_alloc.
  void SetKeyFile(const wchar_t* path) { keyFile_ = path ? path : L""; }
  void SetRepackagerKeyFile(const wchar_t* path) { repackagerKeyFile_ = path ? path : L""; }
  void SetDestination(const wchar_t* path) { destination_ = path ? path : L""; }
  const std::vector<MiscRegistryEntry>& MiscRegistry() const { return misc_; }
  const std::vector<CapturedEntry>& CapturedRegistry() const { return captured_; }
  const std::optional<CaptureResult>& Outcome() const { return outcome_; }

  STDMETHODIMP get_KeyFile(VARIANT_BOOL bRepackager, BSTR* pVal) override;
  STDMETHODIMP get_Destination(BSTR* pVal) override;
  STDMETHODIMP get_TypeLibCollection(IExtractTypeLibCol** pVal) override;
  STDMETHODIMP get_ComClassCollection(IExtractComClassCol** pVal) override;
  STDMETHODIMP get_AppInfoCollection(IExtractAppIDCol** pVal) override;
  STDMETHODIMP get_ProgIDCollection(IExtractProgIDCol** pVal) override;
  STDMETHODIMP get_ExtensionCol(IExtractExtensionCol** pVal) override;
  STDMETHODIMP get_MIMECol(IExtractMIMECol** pVal) override;
  STDMETHODIMP AddMiscRegistryInfo(ERegistryHives hROOT, BSTR bstrKey, BSTR bstrValueName,
                                   VARIANT_BOOL bDeleteAllValues, LONG* lResult) override;

  // IExtractCapturedRegistry
  STDMETHODIMP AddCapturedValue(ULONG ulRoot, BSTR bstrKey, BSTR bstrValueName, ULONG ulType,
                                ULONG cbData, const BYTE* pbData) override;
  STDMETHODIMP AddCapturedKey(ULONG ulRoot, BSTR bstrKey) override;
  STDMETHODIMP SetCaptureOutcome(LONG lOutcome, BSTR bstrDetail) override;

 protected:
  void* InterfaceFor(REFIID iid) override;

 private:
  std::wstring keyFile_, destination_;
  std::optional<std::wstring> repackagerKeyFile_;
  ComPtr<IExtractTypeLibCol> typeLibraries_;
  ComPtr<IExtractComClassCol> classes_;
  ComPtr<IExtractAppIDCol> appIds_;
  ComPtr<IExtractProgIDCol> progIds_;
  ComPtr<IExtractExtensionCol> extensions_;
  ComPtr<IExtractMIMECol> mimeTypes_;
  std::vector<MiscRegistryEntry> misc_;
  std::vector<CapturedEntry> captured_;
  std::optional<CaptureResult> outcome_;
};

// A new, empty component. KeyFile answers keyFile for both values of
// bRepackager until SetRepackagerKeyFile gives the repackaging one.
HRESULT CreateExtractComponent(const wchar_t* keyFile, const wchar_t* destination,
                               IExtractComponent** out);

// E_INVALIDARG when component is not one of this model's.
HRESULT SetRepackagerKeyFile(IExtractComponent* component, const wchar_t* keyFile);

// The AddMiscRegistryInfo calls that component received, in order; null when
// component is not one of this model's.
const std::vector<MiscRegistryEntry>* MiscRegistryOf(IExtractComponent* component);

// What the capture handed over through IExtractCapturedRegistry, in the order
// it came; null when component is not one of this model's.
const std::vector<CapturedEntry>* CapturedRegistryOf(IExtractComponent* component);
// The outcome of the component's registration; null when none was reported
// or component is not one of this model's.
const CaptureResult* CaptureResultOf(IExtractComponent* component);

}  // namespace twutil::model
