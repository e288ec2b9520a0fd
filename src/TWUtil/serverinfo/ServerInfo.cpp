#include "serverinfo/ServerInfo.h"

#include <cwchar>
#include <vector>

#include "CodePage.h"
#include "TWRegSpy.h"
#include "capture/CaptureAreaHarvest.h"
#include "capture/CaptureAreaLock.h"
#include "capture/CaptureAreaWalk.h"

namespace twutil {
namespace {

const wchar_t kFoundryKey[] = L"Software\\Tarnwick\\Foundry\\7.0";

}  // namespace

bool LiveExtractionRequested() {
  RegKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kFoundryKey, 0, KEY_ALL_ACCESS, key.Put()) != ERROR_SUCCESS)
    return false;
  BYTE data[64] = {};
  DWORD size = sizeof(data);
  if (RegQueryValueExW(key.Get(), L"UseOldComExtraction", nullptr, nullptr, data, &size) !=
      ERROR_SUCCESS)
    return false;
  wchar_t first = static_cast<wchar_t>(data[0] | (data[1] << 8));
  return first == L'Y' || first == L'y';
}

ServerInfo::ServerInfo(IUnknown* outer) : ComObject(outer), events_(this, DIID_ServerInfoEvents) {}

ServerInfo::~ServerInfo() = default;

void* ServerInfo::InterfaceFor(REFIID iid) {
  if (iid == IID_IServerInfo) return static_cast<IServerInfo*>(this);
  if (iid == IID_IObjectSafety) return static_cast<IObjectSafety*>(this);
  if (iid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
  if (iid == IID_IDispatch || iid == IID_IRegistry) return static_cast<IRegistry*>(this);
  if (iid == IID_IRegSpyCallback) return static_cast<IRegSpyCallback*>(this);
  return nullptr;
}

STDMETHODIMP ServerInfo::SetServer(LONG count, IDispatch** components, IRegistry* registry,
                                   VARIANT_BOOL repackager, VARIANT_BOOL registerServer,
                                   VARIANT_BOOL unregisterServer,
                                   IServerInfoProgressEvent* progress, LONG* result) {
  if (!registry) return E_POINTER;
  try {
    return RunCapture(count, components, registry, repackager, registerServer, unregisterServer,
                      progress, result);
  } catch (...) {
    if (result) *result = -1;
    Cleanup();
    return ReportCurrentFailure(CErrorInfo::Clsid(), IID_IServerInfo);
  }
}

HRESULT ServerInfo::RunCapture(LONG count, IDispatch** components, IRegistry* registry,
                               VARIANT_BOOL repackager, VARIANT_BOOL registerServer,
                               VARIANT_BOOL unregisterServer, IServerInfoProgressEvent* progress,
                               LONG* result) {
  if (!repackager && !LiveExtractionRequested())
    return CaptureWithSpy(count, components, registry, progress);
  CaptureLive(count, components, registry, repackager != 0, registerServer != 0,
              unregisterServer != 0, progress, result);
  return S_OK;
}

void ServerInfo::CaptureLive(LONG count, IDispatch** components, IRegistry* registry,
                             bool repackager, bool registerServer, bool unregisterServer,
                             IServerInfoProgressEvent* progress, LONG* result) {
  progress_ = ComPtr<IServerInfoProgressEvent>(progress);
  ReportProgress(0);
  registry_ = ComPtr<IRegistry>(registry);
  repackaging_ = repackager ? -1 : 0;
  componentCount_ = count;
  components_ = components;
  live_.Begin(registry, components, count, repackager);
  // Only a raised error stops the capture.
  live_.PrepareServerFiles();
  bool runRegistration = !repackager;
  if (registerServer && runRegistration) live_.RegisterComponentServers(true);
  ReportProgress(10);
  live_.ExtractTypeLibInfo();
  ReportProgress(20);
  live_.FindCOMInfo();
  ReportProgress(40);
  live_.FindInterfaceInfo();
  ReportProgress(50);
  live_.AddAdditionalAppInfo();
  ReportProgress(60);
  live_.FindProgIDInfo();
  ReportProgress(70);
  live_.FindVerIndProgIDInfo();
  ReportProgress(80);
  live_.FindExtensionInfo();
  ReportProgress(90);
  live_.FindMIMEInfo();
  live_.CheckForDefaultIcons();
  if (unregisterServer && runRegistration) live_.RegisterComponentServers(false);
  if (result) *result = 0;
  Cleanup();
  ReportProgress(100);
}

HRESULT ServerInfo::CaptureWithSpy(LONG count, IDispatch** components, IRegistry* registry,
                                   IServerInfoProgressEvent* progress) {
  progress_ = ComPtr<IServerInfoProgressEvent>(progress);
  status_.Reset();
  if (progress_) progress_.As(&status_);
  ReportProgress(0);
  registry_ = ComPtr<IRegistry>(registry);
  componentCount_ = count;
  components_ = components;
  repackaging_ = 0;
  serverFiles_.clear();
  pendingError_.reset();

  ComPtr<ITWRegSpy> spy;
  if (FAILED(CoCreateInstance(CLSID_TWRegSpy, nullptr, CLSCTX_ALL, IID_ITWRegSpy, spy.PutVoid())) ||
      !spy)
    throw CErrorInfo(L"Failed to create TWRegSpy instance", IID_IServerInfo);

  for (LONG i = 0; i < count; ++i) {
    ComPtr<IExtractComponent> component;
    if (!components || !components[i]) throw com_exception(E_POINTER);
    ThrowIfFailed(components[i]->QueryInterface(IID_IExtractComponent, component.PutVoid()));
    Bstr keyFile;
    component->get_KeyFile(VARIANT_FALSE, keyFile.Put());
    serverFiles_[std::wstring(keyFile.Text(), keyFile.Length())] = component.Get();
    spy->AddFile(keyFile.Get(), 0, 0);
  }
  ReportProgress(10);
  filesFinished_ = 0;
  // The spy takes the same lock again; taking it here first lets the caller
  // hear why nothing happens while another process captures.
  CaptureAreaLock lock(kCaptureAreaRoot);
  if (!lock.Acquire([this] { ReportStatus(L"Waiting for another capture to finish", nullptr); }))
    throw CErrorInfo(L"The capture area cannot be locked", IID_IServerInfo);
  runningSpy_ = spy.Get();
  spy->RunCapture(Bstr(kCaptureAreaRoot).Get(), static_cast<IRegSpyCallback*>(this));
  runningSpy_ = nullptr;
  spy.Reset();
  lock.Release();
  if (pendingError_) {
    CErrorInfo error = *pendingError_;
    pendingError_.reset();
    throw error;
  }
  return S_OK;
}

STDMETHODIMP ServerInfo::OnFileStart(BSTR file, VARIANT_BOOL* first, VARIANT_BOOL* second) {
  ReportStatus(L"Starting to extract COM data from file %s", file);
  if (second) *second = VARIANT_TRUE;
  if (first) *first = VARIANT_TRUE;
  return S_OK;
}

STDMETHODIMP ServerInfo::OnFileFinished(BSTR file, LONG status, VARIANT_BOOL* done) {
  // After a failed file the capture is over: later files are not harvested.
  if (!pendingError_) {
    auto found = serverFiles_.find(std::wstring(file ? file : L"", SysStringLen(file)));
    IExtractComponent* component = found == serverFiles_.end() ? nullptr : found->second;
    try {
      if (component) {
        ReportOutcome(component, status);
        HarvestFile(component);
      }
    } catch (const CErrorInfo& error) {
      pendingError_.reset(new CErrorInfo(error));
    }
    if (!pendingError_) {
      ++filesFinished_;
      if (componentCount_ > 0) ReportProgress(10 + (filesFinished_ * 90) / componentCount_);
      ReportStatus(L"Finished extracting COM data from file %s", file);
    }
  }
  if (done) *done = VARIANT_TRUE;
  return pendingError_ ? E_ABORT : S_OK;
}

STDMETHODIMP ServerInfo::OnQuery(LONG, LONG, LONG, LONG, VARIANT_BOOL* answer) {
  if (answer) *answer = 1;
  return S_OK;
}

void ServerInfo::HarvestFile(IExtractComponent* component) {
  // Only CErrorInfo is carried back across the spy component, so a failed
  // model call travels as one, with the callee's message.
  try {
    CaptureArea area(kCaptureAreaRoot, SpySaysSaveShowsArea());
    HandOverCaptureArea(component, area);
    HarvestCaptureArea(component, area);
    area.Clear();
  } catch (...) {
    throw CurrentFailureAsServerInfoError();
  }
}

// A spy that watched the registration for keys a save does not show may say
// that the save alone is the area; any other reads it key by key.
bool ServerInfo::SpySaysSaveShowsArea() {
  ComPtr<IRegSpyCaptureArea> area;
  VARIANT_BOOL shows = VARIANT_FALSE;
  return runningSpy_ &&
         SUCCEEDED(runningSpy_->QueryInterface(IID_IRegSpyCaptureArea, area.PutVoid())) && area &&
         SUCCEEDED(area->SaveShowsArea(&shows)) && shows == VARIANT_TRUE;
}

// A component that keeps the captured registry also learns what became of
// the file's registration, in the spy's words.
void ServerInfo::ReportOutcome(IExtractComponent* component, LONG outcome) {
  ComPtr<IExtractCapturedRegistry> sink;
  if (FAILED(component->QueryInterface(IID_IExtractCapturedRegistry, sink.PutVoid())) || !sink)
    return;
  Bstr detail;
  if (runningSpy_) runningSpy_->get_LastReport(detail.Put());
  sink->SetCaptureOutcome(outcome, detail.Get());
}

void ServerInfo::Cleanup() {
  serverFiles_.clear();
  live_.Clear();
}

void ServerInfo::ReportProgress(LONG percent) {
  if (progress_) progress_->SetProgressBarStatus(percent);
}

void ServerInfo::ReportStatus(const wchar_t* format, BSTR file) {
  if (!status_) return;
  const wchar_t* path = file ? file : L"";
  std::wstring text(format);
  size_t at = text.find(L"%s");
  if (at != std::wstring::npos) text.replace(at, 2, path);
  status_->SetStatusText(Bstr(text.c_str()).Get());
}

STDMETHODIMP ServerInfo::RemapRegistry(LONG*) { return S_OK; }
STDMETHODIMP ServerInfo::UnmapRegistry(LONG*) { return S_OK; }
STDMETHODIMP ServerInfo::CleanupRegistry(LONG*) { return S_OK; }

STDMETHODIMP ServerInfo::IsMappingAvailable(VARIANT_BOOL* mapping) {
  if (mapping) *mapping = VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP ServerInfo::AllowMapping(VARIANT_BOOL*) {
  mapping_ = 0;
  return S_OK;
}

STDMETHODIMP ServerInfo::SetServerVB(_Collection* collection, IRegistry* registry,
                                     VARIANT_BOOL repackager, VARIANT_BOOL registerServer,
                                     VARIANT_BOOL unregisterServer,
                                     IServerInfoProgressEvent* progress, LONG* result) {
  if (!collection) return E_POINTER;
  LONG count = 0;
  HRESULT counted = collection->Count(&count);
  if (FAILED(counted)) return counted;
  if (count < 0) count = 0;
  std::vector<IDispatch*> components;
  try {
    components.resize(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  for (LONG i = 0; i < count; ++i) {
    Variant index;
    V_VT(index.Put()) = VT_I4;
    V_I4(&index.Ref()) = i + 1;
    Variant item;
    HRESULT got = collection->Item(&index.Ref(), item.Put());
    // The collection keeps its items alive for the call. Anything but an
    // object stands as a gap, which the capture refuses with E_POINTER.
    components[static_cast<size_t>(i)] =
        SUCCEEDED(got) && item.Type() == VT_DISPATCH ? V_DISPATCH(&item.Ref()) : nullptr;
  }
  return SetServer(count, components.empty() ? nullptr : components.data(), registry, repackager,
                   registerServer, unregisterServer, progress, result);
}

STDMETHODIMP ServerInfo::EnumConnectionPoints(IEnumConnectionPoints** out) {
  IConnectionPoint* points[] = {&events_};
  return CreateConnectionPointEnumerator(points, 1, out);
}

STDMETHODIMP ServerInfo::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid != events_.Iid()) return CONNECT_E_NOCONNECTION;
  events_.AddRef();
  *out = &events_;
  return S_OK;
}

}  // namespace twutil
