// ServerInfo: finds out which COM registration a set of server files makes
// and writes it into the caller's extraction model. Two ways: the spy path
// (registration redirected into a capture area) and the live-registry path.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "Errors.h"
#include "TWRegSpy.h"
#include "TWUtil.h"
#include "capture/InertRegistry.h"
#include "com/ComObject.h"
#include "com/ConnectionPoint.h"
#include "com/ObjectSafety.h"
#include "com/Owners.h"
#include "liveharvest/LiveHarvest.h"

namespace twutil {

class ServerInfo : public ComObject<IServerInfo, ObjectSafety, IConnectionPointContainer,
                                    InertRegistry, IRegSpyCallback> {
 public:
  explicit ServerInfo(IUnknown* outer);
  ~ServerInfo() override;

  // IServerInfo
  STDMETHODIMP SetServer(LONG count, IDispatch** components, IRegistry* registry,
                         VARIANT_BOOL repackager, VARIANT_BOOL registerServer,
                         VARIANT_BOOL unregisterServer, IServerInfoProgressEvent* progress,
                         LONG* result) override;
  STDMETHODIMP RemapRegistry(LONG* result) override;
  STDMETHODIMP UnmapRegistry(LONG* result) override;
  STDMETHODIMP CleanupRegistry(LONG* result) override;
  STDMETHODIMP IsMappingAvailable(VARIANT_BOOL* mapping) override;
  STDMETHODIMP AllowMapping(VARIANT_BOOL* mapping) override;
  STDMETHODIMP SetServerVB(_Collection* collection, IRegistry* registry, VARIANT_BOOL repackager,
                           VARIANT_BOOL registerServer, VARIANT_BOOL unregisterServer,
                           IServerInfoProgressEvent* progress, LONG* result) override;

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override;
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

  // IRegSpyCallback
  STDMETHODIMP OnFileStart(BSTR file, VARIANT_BOOL* first, VARIANT_BOOL* second) override;
  STDMETHODIMP OnFileFinished(BSTR file, LONG status, VARIANT_BOOL* done) override;
  STDMETHODIMP OnQuery(LONG, LONG, LONG, LONG, VARIANT_BOOL* answer) override;

 protected:
  void* InterfaceFor(REFIID iid) override;

  // The spy-path capture; SetServer calls it through the function table.
  virtual HRESULT CaptureWithSpy(LONG count, IDispatch** components, IRegistry* registry,
                                 IServerInfoProgressEvent* progress);

 private:
  HRESULT RunCapture(LONG count, IDispatch** components, IRegistry* registry,
                     VARIANT_BOOL repackager, VARIANT_BOOL registerServer,
                     VARIANT_BOOL unregisterServer, IServerInfoProgressEvent* progress,
                     LONG* result);
  void CaptureLive(LONG count, IDispatch** components, IRegistry* registry, bool repackager,
                   bool registerServer, bool unregisterServer, IServerInfoProgressEvent* progress,
                   LONG* result);
  void HarvestFile(IExtractComponent* component);
  void ReportOutcome(IExtractComponent* component, LONG outcome);
  bool SpySaysSaveShowsArea();
  void Cleanup();
  void ReportProgress(LONG percent);
  void ReportStatus(const wchar_t* format, BSTR file);

  // Key file (as the model spells it) to component; no reference of its own.
  std::map<std::wstring, IExtractComponent*> serverFiles_;
  IDispatch** components_ = nullptr;
  LONG componentCount_ = 0;
  LONG repackaging_ = 0;
  LONG mapping_ = 0;
  LONG filesFinished_ = 0;
  ComPtr<IRegistry> registry_;
  ComPtr<IServerInfoProgressEvent> progress_;
  ComPtr<IServerInfoStatusEvent> status_;
  ConnectionPoint events_;
  // The spy while its RunCapture runs (no reference of its own): it tells
  // what became of each file.
  ITWRegSpy* runningSpy_ = nullptr;
  // The live path's server-file and lookup tables, for one capture.
  LiveHarvest live_;
  // A harvest failure raised inside a spy callback, carried back across the
  // spy component to SetServer.
  std::unique_ptr<CErrorInfo> pendingError_;
};

// Whether "UseOldComExtraction" under the Foundry key asks for the live path.
bool LiveExtractionRequested();

}  // namespace twutil
