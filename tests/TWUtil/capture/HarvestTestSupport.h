// Helpers of the harvest suites: filling and reading the capture area as a
// registering server would have left it, model doubles that record or fail,
// and an editor whose deletions can be refused.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "TWUtil.h"
#include "capture/CaptureArea.h"
#include "com/Owners.h"

namespace harvesttest {

using twutil::Bstr;
using twutil::ComPtr;

// Paths below "Software\Tarnwick\RegSpyProxy", e.g. L"HKEY_CLASSES_ROOT\\CLSID".
void SetText(const std::wstring& key, const wchar_t* name, const std::wstring& text);
void MakeKey(const std::wstring& key);
bool HasKey(const std::wstring& key);
bool HasValue(const std::wstring& key, const wchar_t* name);
// The capture area gone, and the four hive mirrors made empty.
void ResetCaptureArea();
void RemoveCaptureArea();
// Every key and value left below a mirror key, one "key" or "key|name=text"
// line each, sorted (text shortened to what tests need).
std::vector<std::wstring> Leftovers(const std::wstring& key);

// The in-memory model's component.
ComPtr<IExtractComponent> NewComponent(const wchar_t* keyFile = L"C:\\srv\\server.dll",
                                       const wchar_t* destination = L"[INSTALLDIR]");
// The component's AddMiscRegistryInfo calls as "HKEY_...|key|value|delete" lines.
std::vector<std::wstring> MiscCalls(IExtractComponent* component);

// Harvests the capture area into component with the ordinary deletions.
void Harvest(IExtractComponent* component);

// Refuses to delete the keys and values named in refused (by their last path
// element, without regard to case; "*" refuses all). A harvest that keeps
// retrying is stopped by an exception after too many attempts.
class RefusingEditor : public twutil::CaptureAreaEditor {
 public:
  explicit RefusingEditor(std::set<std::wstring> refused) : refused_(std::move(refused)) {}
  bool DeleteTree(HKEY parent, const wchar_t* subkey) const override;
  bool DeleteValue(HKEY key, const wchar_t* name) const override;
  int Refusals() const { return refusals_; }

 private:
  bool Refuses(const wchar_t* name) const;
  std::set<std::wstring> refused_;
  mutable int refusals_ = 0;
  mutable int attempts_ = 0;
};

// A component that passes everything to an in-memory one, except where a
// test changes an answer.
class ComponentDouble : public IExtractComponent {
 public:
  explicit ComponentDouble(ComPtr<IExtractComponent> inner) : inner_(std::move(inner)) {}
  virtual ~ComponentDouble() = default;

  // Getter answers: the result given, or the inner one when S_OK. A failure
  // leaves an error object with failureText (none when it is empty).
  HRESULT typeLibs = S_OK, classes = S_OK, appIds = S_OK, progIds = S_OK, extensions = S_OK,
          mimeTypes = S_OK;
  bool nullCollections = false;  // success with nothing
  std::wstring failureText = L"The model refused";
  // When set, the type-library collection hands out a fresh item for every
  // Add, so each Add shows (the in-memory one keeps one item per LIBID).
  bool recordTypeLibAdds = false;
  std::vector<ComPtr<IExtractTypeLibrary>> typeLibAdds;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP get_KeyFile(VARIANT_BOOL repackager, BSTR* out) override {
    return inner_->get_KeyFile(repackager, out);
  }
  STDMETHODIMP get_Destination(BSTR* out) override { return inner_->get_Destination(out); }
  STDMETHODIMP get_TypeLibCollection(IExtractTypeLibCol** out) override;
  STDMETHODIMP get_ComClassCollection(IExtractComClassCol** out) override {
    return Answer(classes, out, [&] { return inner_->get_ComClassCollection(out); });
  }
  STDMETHODIMP get_AppInfoCollection(IExtractAppIDCol** out) override {
    return Answer(appIds, out, [&] { return inner_->get_AppInfoCollection(out); });
  }
  STDMETHODIMP get_ProgIDCollection(IExtractProgIDCol** out) override {
    return Answer(progIds, out, [&] { return inner_->get_ProgIDCollection(out); });
  }
  STDMETHODIMP get_ExtensionCol(IExtractExtensionCol** out) override {
    return Answer(extensions, out, [&] { return inner_->get_ExtensionCol(out); });
  }
  STDMETHODIMP get_MIMECol(IExtractMIMECol** out) override {
    return Answer(mimeTypes, out, [&] { return inner_->get_MIMECol(out); });
  }
  STDMETHODIMP AddMiscRegistryInfo(ERegistryHives root, BSTR key, BSTR value,
                                   VARIANT_BOOL deleteAll, LONG* result) override {
    return inner_->AddMiscRegistryInfo(root, key, value, deleteAll, result);
  }

  IExtractComponent* Inner() const { return inner_.Get(); }

 private:
  template <class T>
  HRESULT Answer(HRESULT given, T** out, const std::function<HRESULT()>& inner) {
    if (FAILED(given)) return Fail(given, out);
    if (nullCollections) {
      *out = nullptr;
      return S_OK;
    }
    return inner();
  }
  template <class T>
  HRESULT Fail(HRESULT hr, T** out) {
    *out = nullptr;
    SetFailureInfo();
    return hr;
  }
  void SetFailureInfo();

  ComPtr<IExtractComponent> inner_;
  ULONG refs_ = 1;
};

// Runs the four hives of this process into the capture area's mirrors while
// alive, as the spy component does for a registering server.
class RedirectedHives {
 public:
  RedirectedHives();
  ~RedirectedHives();
  RedirectedHives(const RedirectedHives&) = delete;
  RedirectedHives& operator=(const RedirectedHives&) = delete;

 private:
  twutil::RegKey mirrors_[4];
};

}  // namespace harvesttest
