#include "LiveTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "model/Component.h"
#include "support/TestSupport.h"

using twutil::Bstr;
using twutil::ComPtr;
using twutil::Variant;

namespace twtest {

ComPtr<IExtractComponent> NewComponent(const std::wstring& keyFile,
                                       const std::wstring& destination) {
  ComPtr<IExtractComponent> component;
  EXPECT_EQ(S_OK, twutil::model::CreateExtractComponent(keyFile.c_str(), destination.c_str(),
                                                        component.Put()));
  return component;
}

namespace {

// Property get by name; false when the object has no such member.
bool GetProperty(IDispatch* object, const wchar_t* name, Variant* value) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
  DISPPARAMS none = {};
  return SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                  value->Put(), nullptr, nullptr));
}

bool GetItem(IDispatch* collection, const VARIANT& key, Variant* value) {
  Variant argument;
  VariantCopy(argument.Put(), const_cast<VARIANT*>(&key));
  DISPPARAMS params = {&argument.Ref(), nullptr, 1, 0};
  return SUCCEEDED(collection->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT,
                                      DISPATCH_PROPERTYGET | DISPATCH_METHOD, &params, value->Put(),
                                      nullptr, nullptr));
}

bool Walk(IUnknown* root, std::initializer_list<const wchar_t*> path, Variant* value) {
  V_VT(value->Put()) = VT_UNKNOWN;
  V_UNKNOWN(&value->Ref()) = root;
  root->AddRef();
  for (const wchar_t* step : path) {
    ComPtr<IDispatch> object;
    if (V_VT(&value->Ref()) != VT_DISPATCH && V_VT(&value->Ref()) != VT_UNKNOWN) return false;
    if (!V_UNKNOWN(&value->Ref()) ||
        FAILED(V_UNKNOWN(&value->Ref())->QueryInterface(IID_IDispatch, object.PutVoid())))
      return false;
    Variant next;
    Variant key;
    V_VT(key.Put()) = VT_BSTR;
    V_BSTR(&key.Ref()) = SysAllocString(step);
    if (!GetProperty(object.Get(), step, &next) && !GetItem(object.Get(), key.Ref(), &next))
      return false;
    VariantCopy(value->Put(), &next.Ref());
  }
  return true;
}

}  // namespace

std::wstring ModelValue(IUnknown* root, std::initializer_list<const wchar_t*> path) {
  Variant value;
  if (!Walk(root, path, &value)) return L"<none>";
  Variant text;
  if (FAILED(VariantChangeType(text.Put(), &value.Ref(), 0, VT_BSTR))) return L"<object>";
  return V_BSTR(&text.Ref()) ? V_BSTR(&text.Ref()) : L"";
}

long ItemCount(IUnknown* root, std::initializer_list<const wchar_t*> path) {
  Variant value;
  if (!Walk(root, path, &value)) return -1;
  ComPtr<IDispatch> collection;
  if (V_VT(&value.Ref()) != VT_DISPATCH || !V_DISPATCH(&value.Ref())) return -1;
  Variant count;
  if (!GetProperty(V_DISPATCH(&value.Ref()), L"Count", &count)) return -1;
  return V_I4(&count.Ref());
}

std::vector<ComPtr<IUnknown>> Items(IUnknown* root, const wchar_t* collection) {
  std::vector<ComPtr<IUnknown>> items;
  Variant list;
  if (!Walk(root, {collection}, &list) || V_VT(&list.Ref()) != VT_DISPATCH) return items;
  for (long i = 1; i <= ItemCount(root, {collection}); ++i) {
    Variant position, item;
    V_VT(position.Put()) = VT_I4;
    V_I4(&position.Ref()) = i;
    if (GetItem(V_DISPATCH(&list.Ref()), position.Ref(), &item) && V_VT(&item.Ref()) == VT_DISPATCH)
      items.push_back(ComPtr<IUnknown>(V_UNKNOWN(&item.Ref())));
  }
  return items;
}

std::vector<std::wstring> MiscLines(IExtractComponent* component) {
  std::vector<std::wstring> lines;
  if (const auto* entries = twutil::model::MiscRegistryOf(component))
    for (const auto& entry : *entries)
      lines.push_back(entry.key.value_or(L"") + L"|" + entry.valueName.value_or(L"") +
                      (entry.deleteAllValues ? L"|1" : L"|0"));
  return lines;
}

namespace {

const wchar_t kFoundryKey[] = L"Software\\Tarnwick\\Foundry\\7.0";

class ProgressLog final : public IServerInfoProgressEvent {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IServerInfoProgressEvent) return E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
  }
  // ServerInfo keeps its sink until the next capture.
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP SetProgressBarStatus(LONG value) override {
    values.push_back(value);
    return S_OK;
  }
  std::vector<LONG> values;

 private:
  ULONG refs_ = 1;
};

}  // namespace

LiveRun CaptureLive(IServerInfo* serverInfo, IRegistry* registry, const ComponentList& components,
                    LiveOptions options) {
  std::vector<IDispatch*> array;
  for (const auto& component : components) array.push_back(component.Get());
  if (!options.repackaging)
    RegSetKeyValueW(HKEY_CURRENT_USER, kFoundryKey, L"UseOldComExtraction", REG_SZ, L"y",
                    2 * sizeof(wchar_t));
  ComPtr<ProgressLog> progress = ComPtr<ProgressLog>::Adopt(new ProgressLog);
  LiveRun run;
  SetErrorInfo(0, nullptr);
  run.hr = serverInfo->SetServer(static_cast<LONG>(array.size()), array.data(), registry,
                                 options.repackaging ? VARIANT_TRUE : VARIANT_FALSE,
                                 options.registerServer ? VARIANT_TRUE : VARIANT_FALSE,
                                 options.unregisterServer ? VARIANT_TRUE : VARIANT_FALSE,
                                 progress.Get(), &run.result);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kFoundryKey, L"UseOldComExtraction");
  run.progress = progress->values;
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Put()) == S_OK && info) {
    Bstr description, source;
    info->GetDescription(description.Put());
    info->GetSource(source.Put());
    run.error = description.Text();
    run.source = source.Text();
  }
  return run;
}

LiveRun CaptureLive(IRegistry* registry, const ComponentList& components, LiveOptions options) {
  ComPtr<IServerInfo> serverInfo;
  EXPECT_EQ(S_OK, Create(CLSID_ServerInfo, &serverInfo));
  if (!serverInfo) return LiveRun();
  return CaptureLive(serverInfo.Get(), registry, components, options);
}

bool Contains(const std::vector<std::wstring>& lines, const std::wstring& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace twtest
