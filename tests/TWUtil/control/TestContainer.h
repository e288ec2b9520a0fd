// A small OLE container for hosting the control in place: client site,
// in-place site (plain, extended or windowless), frame and advise sink, over
// a real (unseen) host window. It writes down what the control asks of it.
#pragma once

#include <ocidl.h>
#include <oleidl.h>
#include <windows.h>

#include <string>
#include <vector>

namespace twtest {

class TestContainer : public IOleClientSite,
                      public IOleInPlaceSiteWindowless,
                      public IOleInPlaceFrame,
                      public IAdviseSink {
 public:
  enum class Site { kPlain, kWindowed, kWindowless };

  TestContainer(Site site, const RECT& position);
  ~TestContainer();
  TestContainer(const TestContainer&) = delete;
  TestContainer& operator=(const TestContainer&) = delete;

  HWND Window() const { return window_; }
  LONG References() const { return references_; }
  // The calls received, one name each, in order.
  std::vector<std::string> calls;
  bool Called(const std::string& name) const;
  size_t Count(const std::string& name) const;
  RECT lastInvalidated = {};
  bool lastInvalidatedWhole = false;
  IOleInPlaceActiveObject* activeObject = nullptr;  // as the frame was last told
  bool allowInPlace = true;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
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
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override;
  STDMETHODIMP OnInPlaceActivate() override { return Note("OnInPlaceActivate"); }
  STDMETHODIMP OnUIActivate() override { return Note("OnUIActivate"); }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO) override;
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return Note("OnUIDeactivate"); }
  STDMETHODIMP OnInPlaceDeactivate() override { return Note("OnInPlaceDeactivate"); }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
  // IOleInPlaceSiteEx
  STDMETHODIMP OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) override;
  STDMETHODIMP OnInPlaceDeactivateEx(BOOL) override { return Note("OnInPlaceDeactivateEx"); }
  STDMETHODIMP RequestUIActivate() override { return S_OK; }
  // IOleInPlaceSiteWindowless
  STDMETHODIMP CanWindowlessActivate() override;
  STDMETHODIMP GetCapture() override { return S_FALSE; }
  STDMETHODIMP SetCapture(BOOL) override { return S_OK; }
  STDMETHODIMP GetFocus() override { return S_FALSE; }
  STDMETHODIMP SetFocus(BOOL) override { return S_OK; }
  STDMETHODIMP GetDC(LPCRECT, DWORD, HDC*) override { return E_NOTIMPL; }
  STDMETHODIMP ReleaseDC(HDC) override { return E_NOTIMPL; }
  STDMETHODIMP InvalidateRect(LPCRECT rect, BOOL) override;
  STDMETHODIMP InvalidateRgn(HRGN, BOOL) override { return Note("InvalidateRgn"); }
  STDMETHODIMP ScrollRect(INT, INT, LPCRECT, LPCRECT) override { return E_NOTIMPL; }
  STDMETHODIMP AdjustRect(LPRECT) override { return E_NOTIMPL; }
  STDMETHODIMP OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT*) override { return S_FALSE; }
  // IOleInPlaceUIWindow and IOleInPlaceFrame
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override;
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
  // IAdviseSink
  STDMETHODIMP_(void) OnDataChange(FORMATETC*, STGMEDIUM*) override {}
  STDMETHODIMP_(void) OnViewChange(DWORD aspect, LONG index) override;
  STDMETHODIMP_(void) OnRename(IMoniker*) override {}
  STDMETHODIMP_(void) OnSave() override { Note("OnSave"); }
  STDMETHODIMP_(void) OnClose() override { Note("OnClose"); }

 private:
  HRESULT Note(const std::string& name);

  Site site_;
  RECT position_;
  HWND window_ = nullptr;
  volatile LONG references_ = 1;
};

// Dispatches what waits in this thread's queue.
void PumpMessages();

}  // namespace twtest
