// Stand-ins for the caller's objects and for the spy component in the
// ServerInfo suites.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TWRegSpy.h"
#include "TWUtil.h"
#include "com/Owners.h"

namespace twtest {

// A dual interface whose stand-in is only ever called through its table.
template <class Dual>
class EarlyBoundOnly : public Dual {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    return E_NOTIMPL;
  }
};

// A progress object; with status it also takes the status texts.
class ProgressRecorder : public IServerInfoStatusEvent {
 public:
  explicit ProgressRecorder(bool withStatus) : withStatus_(withStatus) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }
  STDMETHODIMP SetProgressBarStatus(LONG progress) override;
  STDMETHODIMP SetStatusText(BSTR text) override;

  std::vector<LONG> progress;
  std::vector<std::wstring> texts;
  ULONG refs() const { return refs_; }

 private:
  bool withStatus_;
  ULONG refs_ = 1;
};

// The spy component as ServerInfo sees it: takes files, then reports each one
// started and finished to the callback. Registered for the spy's CLSID in
// this process while alive.
class FakeSpy : public EarlyBoundOnly<ITWRegSpy> {
 public:
  FakeSpy();
  ~FakeSpy();
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }
  STDMETHODIMP get_TimeoutSeconds(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP put_TimeoutSeconds(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP get_FileCount(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP ClearFiles() override { return E_NOTIMPL; }
  STDMETHODIMP AddFile(BSTR file, LONG flags, LONG reserved) override;
  STDMETHODIMP get_LastReport(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP RunCapture(BSTR root, IUnknown* callback) override;

  std::vector<std::wstring> added;
  std::vector<LONG> addFlags;
  std::wstring captureRoot;
  std::vector<HRESULT> finishResults;
  std::vector<VARIANT_BOOL> startFlags;  // second, first of each start

 private:
  class Factory;
  ULONG refs_ = 1;
  DWORD cookie_ = 0;
};

// A VB collection of components, answering Item by 1-based position.
class ComponentCollection : public EarlyBoundOnly<_Collection> {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP Item(VARIANT* index, VARIANT* result) override;
  STDMETHODIMP Add(VARIANT*, VARIANT*, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP Count(LONG* count) override;
  STDMETHODIMP Remove(VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP _NewEnum(IUnknown**) override { return E_NOTIMPL; }

  std::vector<twutil::ComPtr<IExtractComponent>> items;
  std::vector<LONG> asked;
};

}  // namespace twtest
