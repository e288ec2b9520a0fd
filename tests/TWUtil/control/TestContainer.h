// A small OLE container for hosting the control in place: client site,
// in-place site (plain, extended or windowless), frame and advise sink, over
// a real (unseen) host window. It writes down what the control asks of it.
#pragma once

#include <ocidl.h>
#include <oleidl.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace twtest {

class TestContainer : public IOleClientSite,
                      public IOleInPlaceSiteWindowless,
                      public IOleInPlaceFrame,
                      public IAdviseSink {
 public:
  enum class Site { kPlain, kWindowed, kWindowless };

  TestContainer(Site site, const RECT& position) : site_(site), position_(position) {
    WNDCLASSW host = {};
    host.lpfnWndProc = DefWindowProcW;
    host.hInstance = GetModuleHandleW(nullptr);
    host.lpszClassName = L"TWUtilTestHost";
    RegisterClassW(&host);  // fails harmlessly when already there
    window_ = CreateWindowW(L"TWUtilTestHost", L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                            640, 480, nullptr, nullptr, host.hInstance, nullptr);
    ShowWindow(window_, SW_SHOWNA);
  }
  ~TestContainer() { DestroyWindow(window_); }
  TestContainer(const TestContainer&) = delete;
  TestContainer& operator=(const TestContainer&) = delete;

  HWND Window() const { return window_; }
  LONG References() const { return references_; }
  // The calls received, one name each, in order.
  std::vector<std::string> calls;
  size_t Count(const std::string& name) const {
    return std::count(calls.begin(), calls.end(), name);
  }
  bool Called(const std::string& name) const { return Count(name) > 0; }
  RECT lastInvalidated = {};
  IOleInPlaceActiveObject* activeObject = nullptr;  // as the frame was last told
  bool allowInPlace = true;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    const bool extended = site_ != Site::kPlain;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
      *out = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite ||
             (extended && (iid == IID_IOleInPlaceSiteEx || iid == IID_IOleInPlaceSiteWindowless)))
      *out = static_cast<IOleInPlaceSiteWindowless*>(this);
    else if (iid == IID_IAdviseSink)
      *out = static_cast<IAdviseSink*>(this);
    else
      *out = nullptr;
    if (*out) AddRef();
    return *out ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&references_); }
  STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&references_); }
  // IOleClientSite
  STDMETHODIMP SaveObject() override { return Note("SaveObject"); }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
  STDMETHODIMP ShowObject() override { return Note("ShowObject"); }
  STDMETHODIMP OnShowWindow(BOOL) override { return Note("OnShowWindow"); }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
  // IOleWindow (of both the site and the frame)
  STDMETHODIMP GetWindow(HWND* window) override {
    *window = window_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override {
    Note("CanInPlaceActivate");
    return allowInPlace ? S_OK : S_FALSE;
  }
  STDMETHODIMP OnInPlaceActivate() override { return Note("OnInPlaceActivate"); }
  STDMETHODIMP OnUIActivate() override { return Note("OnUIActivate"); }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO) override {
    *frame = this;
    AddRef();
    *document = nullptr;
    *position = *clip = position_;
    return Note("GetWindowContext");
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return Note("OnUIDeactivate"); }
  STDMETHODIMP OnInPlaceDeactivate() override { return Note("OnInPlaceDeactivate"); }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
  // IOleInPlaceSiteEx
  STDMETHODIMP OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) override {
    if (noRedraw) *noRedraw = FALSE;
    return Note(flags & ACTIVATE_WINDOWLESS ? "OnInPlaceActivateEx windowless"
                                            : "OnInPlaceActivateEx");
  }
  STDMETHODIMP OnInPlaceDeactivateEx(BOOL) override { return Note("OnInPlaceDeactivateEx"); }
  STDMETHODIMP RequestUIActivate() override { return S_OK; }
  // IOleInPlaceSiteWindowless
  STDMETHODIMP CanWindowlessActivate() override {
    return site_ == Site::kWindowless ? S_OK : S_FALSE;
  }
  STDMETHODIMP GetCapture() override { return S_FALSE; }
  STDMETHODIMP SetCapture(BOOL) override { return S_OK; }
  STDMETHODIMP GetFocus() override { return S_FALSE; }
  STDMETHODIMP SetFocus(BOOL) override { return S_OK; }
  STDMETHODIMP GetDC(LPCRECT, DWORD, HDC*) override { return E_NOTIMPL; }
  STDMETHODIMP ReleaseDC(HDC) override { return E_NOTIMPL; }
  STDMETHODIMP InvalidateRect(LPCRECT rect, BOOL) override {
    if (rect) lastInvalidated = *rect;
    return Note("InvalidateRect");
  }
  STDMETHODIMP InvalidateRgn(HRGN, BOOL) override { return Note("InvalidateRgn"); }
  STDMETHODIMP ScrollRect(INT, INT, LPCRECT, LPCRECT) override { return E_NOTIMPL; }
  STDMETHODIMP AdjustRect(LPRECT) override { return E_NOTIMPL; }
  STDMETHODIMP OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT*) override { return S_FALSE; }
  // IOleInPlaceUIWindow and IOleInPlaceFrame
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override {
    activeObject = object;  // a weak note: only compared, never called
    return Note("SetActiveObject");
  }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
  // IAdviseSink
  STDMETHODIMP_(void) OnDataChange(FORMATETC*, STGMEDIUM*) override {}
  STDMETHODIMP_(void) OnViewChange(DWORD, LONG) override { Note("OnViewChange"); }
  STDMETHODIMP_(void) OnRename(IMoniker*) override {}
  STDMETHODIMP_(void) OnSave() override { Note("OnSave"); }
  STDMETHODIMP_(void) OnClose() override { Note("OnClose"); }

 private:
  HRESULT Note(const std::string& name) {
    calls.push_back(name);
    return S_OK;
  }

  Site site_;
  RECT position_;
  HWND window_ = nullptr;
  volatile LONG references_ = 1;
};

}  // namespace twtest
