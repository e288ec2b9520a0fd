#include "TestContainer.h"

#include <algorithm>

namespace twtest {
namespace {

const wchar_t kHostClass[] = L"TWUtilTestHost";

HWND CreateHostWindow() {
  WNDCLASSW host = {};
  host.lpfnWndProc = DefWindowProcW;
  host.hInstance = GetModuleHandleW(nullptr);
  host.lpszClassName = kHostClass;
  RegisterClassW(&host);  // fails harmlessly when already there
  return CreateWindowExW(0, kHostClass, L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE,
                         0, 0, 640, 480, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

TestContainer::TestContainer(Site site, const RECT& position)
    : site_(site), position_(position), window_(CreateHostWindow()) {}

TestContainer::~TestContainer() { DestroyWindow(window_); }

bool TestContainer::Called(const std::string& name) const { return Count(name) > 0; }

size_t TestContainer::Count(const std::string& name) const {
  return std::count(calls.begin(), calls.end(), name);
}

HRESULT TestContainer::Note(const std::string& name) {
  calls.push_back(name);
  return S_OK;
}

STDMETHODIMP TestContainer::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_IOleClientSite)
    *out = static_cast<IOleClientSite*>(this);
  else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
    *out = static_cast<IOleInPlaceSite*>(this);
  else if (iid == IID_IOleInPlaceSiteEx && site_ != Site::kPlain)
    *out = static_cast<IOleInPlaceSiteEx*>(this);
  else if (iid == IID_IOleInPlaceSiteWindowless && site_ != Site::kPlain)
    *out = static_cast<IOleInPlaceSiteWindowless*>(this);
  else if (iid == IID_IAdviseSink)
    *out = static_cast<IAdviseSink*>(this);
  if (!*out) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

STDMETHODIMP TestContainer::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = window_;
  return S_OK;
}

STDMETHODIMP TestContainer::CanInPlaceActivate() {
  Note("CanInPlaceActivate");
  return allowInPlace ? S_OK : S_FALSE;
}

STDMETHODIMP TestContainer::GetWindowContext(IOleInPlaceFrame** frame,
                                             IOleInPlaceUIWindow** document, LPRECT position,
                                             LPRECT clip, LPOLEINPLACEFRAMEINFO) {
  Note("GetWindowContext");
  *frame = this;
  AddRef();
  *document = nullptr;
  *position = position_;
  *clip = position_;
  return S_OK;
}

STDMETHODIMP TestContainer::OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) {
  if (noRedraw) *noRedraw = FALSE;
  return Note(flags & ACTIVATE_WINDOWLESS ? "OnInPlaceActivateEx windowless"
                                          : "OnInPlaceActivateEx");
}

STDMETHODIMP TestContainer::CanWindowlessActivate() {
  return site_ == Site::kWindowless ? S_OK : S_FALSE;
}

STDMETHODIMP TestContainer::InvalidateRect(LPCRECT rect, BOOL) {
  lastInvalidatedWhole = rect == nullptr;
  if (rect) lastInvalidated = *rect;
  return Note("InvalidateRect");
}

STDMETHODIMP TestContainer::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
  activeObject = object;  // a weak note: only compared, never called
  return Note("SetActiveObject");
}

STDMETHODIMP_(void) TestContainer::OnViewChange(DWORD aspect, LONG index) {
  Note(aspect == DVASPECT_CONTENT && index == -1 ? "OnViewChange" : "OnViewChange other");
}

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace twtest
