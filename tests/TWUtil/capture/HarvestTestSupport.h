// Helpers of the harvest suites: the capture area filled and read back as
// listings, a fixture with a fresh area and component, a component whose
// answers a test can change, and an editor whose deletions can be refused.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "Listings.h"
#include "TWUtil.h"
#include "capture/CaptureArea.h"
#include "com/Owners.h"
#include "model/Component.h"

namespace harvesttest {

using twtest::Entries;
using twtest::EntriesOf;
using twtest::Lines;
using twtest::Listing;
using twtest::ModelLines;
using twutil::Bstr;
using twutil::ComPtr;

// Keys are below the capture root; "HKCR", "HKCU", "HKLM" and "HKU" at their
// start stand for the hive mirrors. Each line of a listing either names a key
// or sets a string value as "key|name=text" ("@" names the default value).
void Fill(const std::wstring& listing);
void SetText(const std::wstring& key, const wchar_t* name, const std::wstring& text);
bool HasKey(const std::wstring& key);
// What is left below key, in Fill's form (see twtest::RegistryEntries).
Entries Leftovers(const std::wstring& key);
// The capture area with four empty mirrors, or gone.
void ResetCaptureArea();
void RemoveCaptureArea();

ComPtr<IExtractComponent> NewComponent(const wchar_t* keyFile = L"C:\\srv\\server.dll",
                                       const wchar_t* destination = L"[INSTALLDIR]");
void Harvest(IExtractComponent* component,
             const twutil::CaptureAreaEditor& editor = twutil::CaptureAreaEditor());

// Refuses to delete the keys and values named (by their last path element,
// without regard to case; "*" refuses all). A harvest that keeps retrying is
// stopped by an exception.
class RefusingEditor : public twutil::CaptureAreaEditor {
 public:
  explicit RefusingEditor(std::set<std::wstring> refused) : refused_(std::move(refused)) {}
  bool DeleteTree(HKEY parent, const wchar_t* subkey) const override;
  bool DeleteValue(HKEY key, const wchar_t* name) const override;
  int Refusals() const { return refusals_; }

 private:
  bool Refuses(const wchar_t* name) const;
  std::set<std::wstring> refused_;
  mutable int refusals_ = 0, attempts_ = 0;
};

// The in-memory component with answers a test can change. A failing getter
// leaves an error object with failureText (none when it is empty);
// nullCollections makes every getter succeed with nothing; with
// everyTypeLibAdd each Add makes a type library of its own, so each shows
// (the model keeps one per LIBID).
class ComponentDouble : public twutil::model::Component {
 public:
  explicit ComponentDouble(const wchar_t* keyFile = L"C:\\srv\\server.dll");

  HRESULT typeLibs = S_OK, classes = S_OK, appIds = S_OK, extensions = S_OK, mimeTypes = S_OK;
  bool nullCollections = false, everyTypeLibAdd = false;
  std::wstring failureText = L"The model refused";

  STDMETHODIMP get_TypeLibCollection(IExtractTypeLibCol** out) override;
  STDMETHODIMP get_ComClassCollection(IExtractComClassCol** out) override {
    return Answer(classes, out, [&] { return Component::get_ComClassCollection(out); });
  }
  STDMETHODIMP get_AppInfoCollection(IExtractAppIDCol** out) override {
    return Answer(appIds, out, [&] { return Component::get_AppInfoCollection(out); });
  }
  STDMETHODIMP get_ProgIDCollection(IExtractProgIDCol** out) override {
    return Answer(S_OK, out, [&] { return Component::get_ProgIDCollection(out); });
  }
  STDMETHODIMP get_ExtensionCol(IExtractExtensionCol** out) override {
    return Answer(extensions, out, [&] { return Component::get_ExtensionCol(out); });
  }
  STDMETHODIMP get_MIMECol(IExtractMIMECol** out) override {
    return Answer(mimeTypes, out, [&] { return Component::get_MIMECol(out); });
  }

 private:
  template <class T, class Inner>
  HRESULT Answer(HRESULT given, T** out, Inner inner) {
    *out = nullptr;
    if (FAILED(given)) {
      SetFailureInfo();
      return given;
    }
    return nullCollections ? S_OK : inner();
  }
  void SetFailureInfo() const;
  ComPtr<IExtractTypeLibCol> everyAdd_;
};

inline ComPtr<ComponentDouble> NewDouble(const wchar_t* keyFile = L"C:\\srv\\server.dll") {
  return ComPtr<ComponentDouble>(new ComponentDouble(keyFile));
}

// A fresh capture area and component for each test; the area goes at the end.
class HarvestTest : public testing::Test {
 protected:
  void SetUp() override { ResetCaptureArea(); }
  void TearDown() override { RemoveCaptureArea(); }
  ComPtr<IExtractComponent> component_ = NewComponent();
};

}  // namespace harvesttest
