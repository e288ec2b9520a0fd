#include "HarvestTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "capture/CaptureAreaHarvest.h"
#include "model/Component.h"

namespace harvesttest {
namespace {

const wchar_t kRoot[] = L"Software\\Tarnwick\\RegSpyProxy";
const wchar_t* const kMirrors[] = {L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER",
                                   L"HKEY_LOCAL_MACHINE", L"HKEY_USERS"};

std::wstring Full(const std::wstring& key) { return std::wstring(kRoot) + L"\\" + key; }

void Collect(HKEY key, const std::wstring& path, std::vector<std::wstring>* lines) {
  for (DWORD index = 0;; ++index) {
    wchar_t name[16384];
    DWORD nameLength = 16384;
    BYTE data[4096] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    DWORD type = 0;
    if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS)
      break;
    std::wstring shown = type == REG_SZ ? reinterpret_cast<const wchar_t*>(data) : L"<data>";
    lines->push_back(path + L"|" + (nameLength ? name : L"@") + L"=" + shown);
  }
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    std::wstring child = path.empty() ? name : path + L"\\" + name;
    lines->push_back(child);
    twutil::RegKey opened;
    if (RegOpenKeyExW(key, name, 0, KEY_READ, opened.Put()) == ERROR_SUCCESS)
      Collect(opened.Get(), child, lines);
  }
}

// A type-library collection that makes a new item for every Add.
class RecordingTypeLibCol : public IExtractTypeLibCol {
 public:
  explicit RecordingTypeLibCol(std::vector<ComPtr<IExtractTypeLibrary>>* adds) : adds_(adds) {}
  virtual ~RecordingTypeLibCol() = default;
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_IExtractTypeLibCol)
      return E_NOINTERFACE;
    *out = static_cast<IExtractTypeLibCol*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP Add(BSTR key, IExtractTypeLibrary** item) override {
    ComPtr<IExtractComponent> fresh = NewComponent();
    ComPtr<IExtractTypeLibCol> own;
    fresh->get_TypeLibCollection(own.Put());
    HRESULT hr = own->Add(key, item);
    if (SUCCEEDED(hr) && *item) adds_->push_back(ComPtr<IExtractTypeLibrary>(*item));
    return hr;
  }
  STDMETHODIMP get_Item(VARIANT, IExtractTypeLibrary** item) override {
    *item = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP get_Count(LONG* count) override {
    *count = static_cast<LONG>(adds_->size());
    return S_OK;
  }

 private:
  std::vector<ComPtr<IExtractTypeLibrary>>* adds_;
  ULONG refs_ = 0;
};

}  // namespace

void SetText(const std::wstring& key, const wchar_t* name, const std::wstring& text) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, Full(key).c_str(), name, REG_SZ, text.c_str(),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS)
      << "cannot write " << std::string(key.begin(), key.end());
}

void MakeKey(const std::wstring& key) {
  twutil::RegKey created;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Full(key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, created.Put(), nullptr),
            ERROR_SUCCESS);
}

bool HasKey(const std::wstring& key) {
  twutil::RegKey opened;
  return RegOpenKeyExW(HKEY_CURRENT_USER, Full(key).c_str(), 0, KEY_READ, opened.Put()) ==
         ERROR_SUCCESS;
}

bool HasValue(const std::wstring& key, const wchar_t* name) {
  return RegGetValueW(HKEY_CURRENT_USER, Full(key).c_str(), name, RRF_RT_ANY, nullptr, nullptr,
                      nullptr) == ERROR_SUCCESS;
}

void RemoveCaptureArea() { RegDeleteTreeW(HKEY_CURRENT_USER, kRoot); }

void ResetCaptureArea() {
  RemoveCaptureArea();
  for (const wchar_t* mirror : kMirrors) MakeKey(mirror);
}

std::vector<std::wstring> Leftovers(const std::wstring& key) {
  std::vector<std::wstring> lines;
  twutil::RegKey opened;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Full(key).c_str(), 0, KEY_READ, opened.Put()) ==
      ERROR_SUCCESS)
    Collect(opened.Get(), L"", &lines);
  std::sort(lines.begin(), lines.end());
  return lines;
}

ComPtr<IExtractComponent> NewComponent(const wchar_t* keyFile, const wchar_t* destination) {
  ComPtr<IExtractComponent> component;
  EXPECT_EQ(twutil::model::CreateExtractComponent(keyFile, destination, component.Put()), S_OK);
  return component;
}

std::vector<std::wstring> MiscCalls(IExtractComponent* component) {
  std::vector<std::wstring> lines;
  const auto* calls = twutil::model::MiscRegistryOf(component);
  if (!calls) return lines;
  for (const twutil::model::MiscRegistryEntry& call : *calls) {
    std::wstring root = call.root >= 0x80000000u && call.root < 0x80000004u
                            ? kMirrors[call.root - 0x80000000u]
                            : L"hive " + std::to_wstring(call.root);
    lines.push_back(root + L"|" + call.key.value_or(L"<null>") + L"|" +
                    call.valueName.value_or(L"<null>") + L"|" +
                    (call.deleteAllValues == VARIANT_TRUE ? L"all" : L"some"));
  }
  return lines;
}

void Harvest(IExtractComponent* component) {
  twutil::HarvestCaptureArea(component, twutil::CaptureAreaEditor());
}

bool RefusingEditor::Refuses(const wchar_t* name) const {
  if (++attempts_ > 10000) throw std::runtime_error("the harvest keeps retrying a deletion");
  std::wstring last = name ? name : L"";
  size_t separator = last.rfind(L'\\');
  if (separator != std::wstring::npos) last = last.substr(separator + 1);
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

STDMETHODIMP ComponentDouble::QueryInterface(REFIID iid, void** out) {
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_IExtractComponent)
    return E_NOINTERFACE;
  *out = static_cast<IExtractComponent*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP ComponentDouble::get_TypeLibCollection(IExtractTypeLibCol** out) {
  if (recordTypeLibAdds) {
    *out = new RecordingTypeLibCol(&typeLibAdds);
    (*out)->AddRef();
    return S_OK;
  }
  return Answer(typeLibs, out, [&] { return inner_->get_TypeLibCollection(out); });
}

void ComponentDouble::SetFailureInfo() {
  if (failureText.empty()) {
    SetErrorInfo(0, nullptr);
    return;
  }
  ComPtr<ICreateErrorInfo> create;
  if (FAILED(CreateErrorInfo(create.Put()))) return;
  create->SetDescription(const_cast<wchar_t*>(failureText.c_str()));
  ComPtr<IErrorInfo> info;
  if (SUCCEEDED(create.As(&info))) SetErrorInfo(0, info.Get());
}

RedirectedHives::RedirectedHives() {
  static const HKEY kHives[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
                                HKEY_USERS};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Full(kMirrors[i]).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, mirrors_[i].Put(), nullptr),
              ERROR_SUCCESS);
  }
  for (int i = 0; i < 4; ++i) EXPECT_EQ(RegOverridePredefKey(kHives[i], mirrors_[i].Get()), 0);
}

RedirectedHives::~RedirectedHives() {
  for (HKEY hive : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS})
    RegOverridePredefKey(hive, nullptr);
}

}  // namespace harvesttest
