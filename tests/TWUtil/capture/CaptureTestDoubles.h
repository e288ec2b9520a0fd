// Stand-ins for the caller's objects and for the spy component in the
// ServerInfo suites.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TWRegSpy.h"
#include "TWUtil.h"
#include "com/Owners.h"
#include "support/TestDoubles.h"

namespace twtest {

// A progress object that also takes the status texts.
class ProgressRecorder : public IServerInfoStatusEvent {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    return Answer<IServerInfoStatusEvent, IServerInfoProgressEvent, IServerInfoStatusEvent>(
        this, iid, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP SetProgressBarStatus(LONG value) override {
    progress.push_back(value);
    return S_OK;
  }
  STDMETHODIMP SetStatusText(BSTR text) override {
    texts.push_back(text ? text : L"<null>");
    return S_OK;
  }

  std::vector<LONG> progress;
  std::vector<std::wstring> texts;
};

// The spy component as ServerInfo sees it: takes files, then reports each one
// started and finished to the callback. Its own class factory, registered
// for the spy's CLSID in this process while alive.
class FakeSpy : public EarlyBoundOnly<ITWRegSpy>, public IClassFactory {
 public:
  FakeSpy() {
    CoRegisterClassObject(CLSID_TWRegSpy, static_cast<IClassFactory*>(this), CLSCTX_INPROC_SERVER,
                          REGCLS_MULTIPLEUSE, &cookie_);
  }
  virtual ~FakeSpy() { CoRevokeClassObject(cookie_); }
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid != IID_IClassFactory) return Answer<ITWRegSpy, IDispatch, ITWRegSpy>(this, iid, out);
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown*, REFIID iid, void** out) override {
    return QueryInterface(iid, out);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
  STDMETHODIMP get_TimeoutSeconds(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP put_TimeoutSeconds(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP get_FileCount(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP ClearFiles() override { return E_NOTIMPL; }
  STDMETHODIMP get_LastReport(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP AddFile(BSTR file, LONG, LONG) override {
    added.push_back(file ? file : L"");
    return S_OK;
  }
  STDMETHODIMP RunCapture(BSTR, IUnknown* callback) override {
    twutil::ComPtr<IRegSpyCallback> sink;
    if (!callback || FAILED(callback->QueryInterface(IID_IRegSpyCallback, sink.PutVoid())))
      return E_NOINTERFACE;
    for (const std::wstring& file : added) {
      twutil::Bstr path(file.c_str());
      VARIANT_BOOL first = 0, second = 0, done = 0;
      sink->OnFileStart(path.Get(), &first, &second);
      finishResults.push_back(sink->OnFileFinished(path.Get(), 0, &done));
      if (FAILED(finishResults.back())) return finishResults.back();  // the caller wants it over
    }
    return S_OK;
  }

  std::vector<std::wstring> added;
  std::vector<HRESULT> finishResults;

 private:
  DWORD cookie_ = 0;
};

// A VB collection of components, answering Item by 1-based position.
class ComponentCollection : public EarlyBoundOnly<_Collection> {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    return Answer<_Collection, IDispatch, _Collection>(this, iid, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP Item(VARIANT* index, VARIANT* result) override {
    LONG at = V_I4(index);
    asked.push_back(at);
    VariantInit(result);
    if (at < 1 || static_cast<size_t>(at) > items.size()) return E_INVALIDARG;
    if (at == textAt) {
      V_VT(result) = VT_BSTR;
      V_BSTR(result) = SysAllocString(L"not a component");
      return S_OK;
    }
    V_VT(result) = VT_DISPATCH;
    V_DISPATCH(result) = items[static_cast<size_t>(at - 1)].Get();
    V_DISPATCH(result)->AddRef();
    return S_OK;
  }
  STDMETHODIMP Add(VARIANT*, VARIANT*, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP Count(LONG* count) override {
    *count = static_cast<LONG>(items.size());
    return countResult;
  }
  STDMETHODIMP Remove(VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP _NewEnum(IUnknown**) override { return E_NOTIMPL; }

  std::vector<twutil::ComPtr<IExtractComponent>> items;
  LONG textAt = 0;  // the position that answers a text instead of an object
  HRESULT countResult = S_OK;
  std::vector<LONG> asked;
};

}  // namespace twtest
