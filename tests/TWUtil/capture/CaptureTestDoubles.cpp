#include "CaptureTestDoubles.h"

namespace twtest {

STDMETHODIMP ProgressRecorder::QueryInterface(REFIID iid, void** out) {
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_IServerInfoProgressEvent ||
      (withStatus_ && iid == IID_IServerInfoStatusEvent)) {
    *out = static_cast<IServerInfoStatusEvent*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

STDMETHODIMP ProgressRecorder::SetProgressBarStatus(LONG value) {
  progress.push_back(value);
  return S_OK;
}

STDMETHODIMP ProgressRecorder::SetStatusText(BSTR text) {
  texts.push_back(text ? text : L"<null>");
  return S_OK;
}

class FakeSpy::Factory : public IClassFactory {
 public:
  explicit Factory(FakeSpy* spy) : spy_(spy) {}
  virtual ~Factory() = default;
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
    *out = this;
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown*, REFIID iid, void** out) override {
    return spy_->QueryInterface(iid, out);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

 private:
  FakeSpy* spy_;
};

FakeSpy::FakeSpy() {
  static Factory* factory = nullptr;
  delete factory;
  factory = new Factory(this);
  CoRegisterClassObject(CLSID_TWRegSpy, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                        &cookie_);
}

FakeSpy::~FakeSpy() { CoRevokeClassObject(cookie_); }

STDMETHODIMP FakeSpy::QueryInterface(REFIID iid, void** out) {
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_ITWRegSpy) return E_NOINTERFACE;
  *out = static_cast<ITWRegSpy*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP FakeSpy::AddFile(BSTR file, LONG flags, LONG reserved) {
  added.push_back(file ? file : L"");
  addFlags.push_back(flags);
  addFlags.push_back(reserved);
  return S_OK;
}

STDMETHODIMP FakeSpy::RunCapture(BSTR root, IUnknown* callback) {
  captureRoot = root ? root : L"";
  twutil::ComPtr<IRegSpyCallback> sink;
  if (!callback || FAILED(callback->QueryInterface(IID_IRegSpyCallback, sink.PutVoid())))
    return E_NOINTERFACE;
  for (const std::wstring& file : added) {
    twutil::Bstr path(file.c_str());
    VARIANT_BOOL first = 0, second = 0, done = 0;
    sink->OnFileStart(path.Get(), &first, &second);
    startFlags.push_back(second);
    startFlags.push_back(first);
    HRESULT hr = sink->OnFileFinished(path.Get(), 0, &done);
    finishResults.push_back(hr);
    if (FAILED(hr)) return hr;  // the caller wants the capture over
  }
  return S_OK;
}

STDMETHODIMP ComponentCollection::QueryInterface(REFIID iid, void** out) {
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID__Collection) return E_NOINTERFACE;
  *out = static_cast<_Collection*>(this);
  return S_OK;
}

STDMETHODIMP ComponentCollection::Item(VARIANT* index, VARIANT* result) {
  LONG at = V_I4(index);
  asked.push_back(at);
  VariantInit(result);
  if (at < 1 || static_cast<size_t>(at) > items.size()) return E_INVALIDARG;
  V_VT(result) = VT_DISPATCH;
  V_DISPATCH(result) = items[static_cast<size_t>(at - 1)].Get();
  V_DISPATCH(result)->AddRef();
  return S_OK;
}

STDMETHODIMP ComponentCollection::Count(LONG* count) {
  *count = static_cast<LONG>(items.size());
  return S_OK;
}

}  // namespace twtest
