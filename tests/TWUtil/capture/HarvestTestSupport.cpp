#include "HarvestTestSupport.h"

#include <stdexcept>
#include <utility>

#include "capture/CaptureAreaHarvest.h"
#include "model/KeyedCollection.h"
#include "model/SimpleItems.h"
#include "support/TestSupport.h"

namespace harvesttest {
namespace {

const wchar_t kRoot[] = L"Software\\Tarnwick\\RegSpyProxy";

std::wstring Full(const std::wstring& key) {
  static const std::pair<const wchar_t*, const wchar_t*> kMirrors[] = {
      {L"HKCR", L"HKEY_CLASSES_ROOT"},
      {L"HKCU", L"HKEY_CURRENT_USER"},
      {L"HKLM", L"HKEY_LOCAL_MACHINE"},
      {L"HKU", L"HKEY_USERS"}};
  std::wstring first = key.substr(0, key.find(L'\\')), rest = key.substr(first.size());
  for (const auto& [abbreviation, mirror] : kMirrors) {
    if (first == abbreviation) first = mirror;
  }
  return std::wstring(kRoot) + L"\\" + first + rest;
}

void MakeKey(const std::wstring& key) {
  twutil::RegKey created;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Full(key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, created.Put(), nullptr),
            ERROR_SUCCESS);
}

using TypeLibCollection = twutil::model::KeyedCollection<IExtractTypeLibCol, IExtractTypeLibrary,
                                                         twutil::model::TypeLibrary>;

// Files each Add under a key of its own, then gives the item the LIBID asked for.
class EveryAddCollection : public TypeLibCollection {
 public:
  EveryAddCollection() : TypeLibCollection(nullptr) {}
  STDMETHODIMP Add(BSTR key, IExtractTypeLibrary** item) override {
    Bstr unique(std::to_wstring(++adds_).c_str());
    HRESULT hr = TypeLibCollection::Add(unique.Get(), item);
    return SUCCEEDED(hr) ? (*item)->put_LibID(key) : hr;
  }

 private:
  int adds_ = 0;
};

}  // namespace

void Fill(const std::wstring& listing) {
  for (const std::wstring& line : Listing(listing)) {
    size_t bar = line.find(L'|');
    if (bar == std::wstring::npos) {
      MakeKey(line);
      continue;
    }
    size_t equals = line.find(L'=', bar);
    ASSERT_NE(equals, std::wstring::npos) << "no value in the listing's line";
    std::wstring name = line.substr(bar + 1, equals - bar - 1);
    SetText(line.substr(0, bar), name == L"@" ? nullptr : name.c_str(), line.substr(equals + 1));
  }
}

void SetText(const std::wstring& key, const wchar_t* name, const std::wstring& text) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, Full(key).c_str(), name, REG_SZ, text.c_str(),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

bool HasKey(const std::wstring& key) { return twtest::KeyExists(HKEY_CURRENT_USER, Full(key)); }

Entries Leftovers(const std::wstring& key) {
  return twtest::RegistryEntries(HKEY_CURRENT_USER, Full(key));
}

void RemoveCaptureArea() { RegDeleteTreeW(HKEY_CURRENT_USER, kRoot); }

void ResetCaptureArea() {
  RemoveCaptureArea();
  Fill(L"HKCR\nHKCU\nHKLM\nHKU");
}

ComPtr<IExtractComponent> NewComponent(const wchar_t* keyFile, const wchar_t* destination) {
  ComPtr<IExtractComponent> component;
  EXPECT_EQ(twutil::model::CreateExtractComponent(keyFile, destination, component.Put()), S_OK);
  return component;
}

void Harvest(IExtractComponent* component, const twutil::CaptureAreaEditor& editor) {
  twutil::HarvestCaptureArea(component, editor);
}

bool RefusingEditor::Refuses(const wchar_t* name) const {
  if (++attempts_ > 10000) throw std::runtime_error("the harvest keeps retrying a deletion");
  std::wstring last = name ? name : L"";
  last = last.substr(last.rfind(L'\\') + 1);  // npos + 1 is 0
  for (const std::wstring& refused : refused_) {
    if (refused == L"*" ||
        CompareStringOrdinal(last.c_str(), -1, refused.c_str(), -1, TRUE) == CSTR_EQUAL) {
      ++refusals_;
      return true;
    }
  }
  return false;
}

bool RefusingEditor::DeleteTree(HKEY parent, const wchar_t* subkey) const {
  return !Refuses(subkey) && CaptureAreaEditor::DeleteTree(parent, subkey);
}

bool RefusingEditor::DeleteValue(HKEY key, const wchar_t* name) const {
  return !Refuses(name && *name ? name : L"@") && CaptureAreaEditor::DeleteValue(key, name);
}

ComponentDouble::ComponentDouble(const wchar_t* keyFile) : Component(nullptr) {
  SetKeyFile(keyFile);
  SetDestination(L"[INSTALLDIR]");
}

STDMETHODIMP ComponentDouble::get_TypeLibCollection(IExtractTypeLibCol** out) {
  if (!everyTypeLibAdd)
    return Answer(typeLibs, out, [&] { return Component::get_TypeLibCollection(out); });
  if (!everyAdd_) everyAdd_ = ComPtr<IExtractTypeLibCol>(new EveryAddCollection);
  *out = ComPtr<IExtractTypeLibCol>(everyAdd_).Detach();
  return S_OK;
}

void ComponentDouble::SetFailureInfo() const {
  ComPtr<ICreateErrorInfo> create;
  ComPtr<IErrorInfo> info;
  if (!failureText.empty() && SUCCEEDED(CreateErrorInfo(create.Put()))) {
    create->SetDescription(const_cast<wchar_t*>(failureText.c_str()));
    create.As(&info);
  }
  SetErrorInfo(0, info.Get());
}

}  // namespace harvesttest
