// The control hosted in place by a container of the tests' own: with a window
// of its own, windowless, and not active; each way a changed text must lead to
// a repaint request.

#include <gtest/gtest.h>
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "HeaderTestSupport.h"

namespace twtest {
namespace {

using twutil::ComPtr;

const RECT kPlace = {20, 10, 320, 34};  // where the container puts the control
const COLORREF kOutside = RGB(10, 200, 30);

// A small OLE container: client site, in-place site (extended, windowless
// on request), frame and advise sink, over a real (unseen) host window. It
// writes down what the control asks of it.
class TestContainer : public IOleClientSite,
                      public IOleInPlaceSiteWindowless,
                      public IOleInPlaceFrame,
                      public IAdviseSink {
 public:
  // Any window class will do: only its children are looked at.
  TestContainer() {
    window_ = CreateWindowW(L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 640,
                            480, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(window_, SW_SHOWNA);
  }
  // The control gave back every reference it took.
  ~TestContainer() {
    EXPECT_EQ(references_, 1);
    DestroyWindow(window_);
  }
  TestContainer(const TestContainer&) = delete;
  TestContainer& operator=(const TestContainer&) = delete;

  HWND Window() const { return window_; }
  LONG References() const { return references_; }
  // The calls received, one name each, in order.
  std::vector<std::string> calls;
  size_t Count(const std::string& name) const {
    return std::count(calls.begin(), calls.end(), name);
  }
  RECT lastInvalidated = {};
  IOleInPlaceActiveObject* activeObject = nullptr;  // as the frame was last told
  bool allowInPlace = true, windowless = false;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
      *out = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite || iid == IID_IOleInPlaceSiteEx ||
             iid == IID_IOleInPlaceSiteWindowless)
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
  STDMETHODIMP SaveObject() override { return Note("SaveObject"); }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
  STDMETHODIMP ShowObject() override { return Note("ShowObject"); }
  STDMETHODIMP OnShowWindow(BOOL) override { return Note("OnShowWindow"); }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
  // Of both the site and the frame.
  STDMETHODIMP GetWindow(HWND* window) override {
    *window = window_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP CanInPlaceActivate() override { return allowInPlace ? S_OK : S_FALSE; }
  STDMETHODIMP OnInPlaceActivate() override { return Note("OnInPlaceActivate"); }
  STDMETHODIMP OnUIActivate() override { return Note("OnUIActivate"); }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO) override {
    *frame = this;
    AddRef();
    *document = nullptr;
    *position = *clip = kPlace;
    return Note("GetWindowContext");
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return Note("OnUIDeactivate"); }
  STDMETHODIMP OnInPlaceDeactivate() override { return Note("OnInPlaceDeactivate"); }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
  STDMETHODIMP OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) override {
    if (noRedraw) *noRedraw = FALSE;
    return Note(flags & ACTIVATE_WINDOWLESS ? "OnInPlaceActivateEx windowless"
                                            : "OnInPlaceActivateEx");
  }
  STDMETHODIMP OnInPlaceDeactivateEx(BOOL) override { return Note("OnInPlaceDeactivateEx"); }
  STDMETHODIMP RequestUIActivate() override { return S_OK; }
  STDMETHODIMP CanWindowlessActivate() override { return windowless ? S_OK : S_FALSE; }
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

  HWND window_ = nullptr;
  volatile LONG references_ = 1;
};

RECT PlaceInHost(HWND window) {
  RECT place;
  GetWindowRect(window, &place);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

class Hosting : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(header_ = NewHeader());
    ASSERT_EQ(header_.As(&object_), S_OK);
    ASSERT_EQ(header_.As(&inPlace_), S_OK);
    ASSERT_EQ(header_.As(&view_), S_OK);
    ASSERT_EQ(object_->SetClientSite(&container_), S_OK);
  }
  void TearDown() override {
    if (object_) {
      object_->Close(OLECLOSE_NOSAVE);
      object_->SetClientSite(nullptr);
    }
  }
  HRESULT Activate(LONG verb) {
    return object_->DoVerb(verb, nullptr, &container_, 0, container_.Window(), &kPlace);
  }
  HWND Window() {
    HWND window = nullptr;
    return inPlace_->GetWindow(&window) == S_OK ? window : nullptr;
  }

  TestContainer container_;
  ComPtr<IPropertyHeader> header_;
  ComPtr<IOleObject> object_;
  ComPtr<IOleInPlaceObjectWindowless> inPlace_;
  ComPtr<IViewObjectEx> view_;
};

TEST_F(Hosting, WindowedControlInvalidatesAndPaintsItsOwnWindow) {
  ASSERT_EQ(view_->SetAdvise(DVASPECT_CONTENT, 0, &container_), S_OK);
  ASSERT_EQ(header_->put_PropertyClass(nullptr), S_OK);  // inactive: the view sink hears of it
  EXPECT_EQ(container_.Count("OnViewChange"), 1u);
  container_.calls.clear();
  LONG inactiveReferences = container_.References();
  ASSERT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
  EXPECT_TRUE(container_.Count("OnInPlaceActivateEx") && container_.Count("ShowObject"));
  HWND window = Window();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetParent(window), container_.Window());
  EXPECT_TRUE(IsWindowVisible(window));
  RECT place = PlaceInHost(window), dirty, client;
  EXPECT_TRUE(EqualRect(&place, &kPlace));

  UpdateWindow(window);
  EXPECT_FALSE(GetUpdateRect(window, &dirty, FALSE));
  ASSERT_EQ(header_->put_PropertyName(twutil::Bstr(L"Form1").Get()), S_OK);
  ASSERT_TRUE(GetUpdateRect(window, &dirty, FALSE));
  GetClientRect(window, &client);
  EXPECT_TRUE(EqualRect(&dirty, &client));
  EXPECT_FALSE(container_.Count("OnViewChange") || container_.Count("InvalidateRect"));
  UpdateWindow(window);  // the control's paint validates the window
  EXPECT_FALSE(GetUpdateRect(window, &dirty, FALSE));
  RECT moved = {40, 50, 200, 70};
  ASSERT_EQ(inPlace_->SetObjectRects(&moved, &moved), S_OK);
  place = PlaceInHost(window);
  EXPECT_TRUE(EqualRect(&place, &moved));
  ASSERT_EQ(inPlace_->InPlaceDeactivate(), S_OK);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(container_.Count("OnInPlaceDeactivateEx"));
  EXPECT_EQ(Window(), nullptr);
  EXPECT_EQ(container_.References(), inactiveReferences);
}

TEST_F(Hosting, WindowlessControlAsksTheSiteToInvalidateItsArea) {
  container_.windowless = true;
  ASSERT_EQ(Activate(OLEIVERB_UIACTIVATE), S_OK);
  EXPECT_TRUE(container_.Count("OnInPlaceActivateEx windowless"));
  EXPECT_EQ(Window(), nullptr);
  ComPtr<IOleInPlaceActiveObject> active;
  ASSERT_EQ(header_.As(&active), S_OK);
  EXPECT_TRUE(container_.Count("OnUIActivate"));
  EXPECT_EQ(container_.activeObject, active.Get());

  SetTexts(header_.Get(), L"Form1", L"Form");
  EXPECT_EQ(container_.Count("InvalidateRect"), 2u);
  EXPECT_TRUE(EqualRect(&container_.lastInvalidated, &kPlace));
  // Without bounds it draws where it sits.
  Canvas canvas(340, 40, kOutside);
  ASSERT_EQ(view_->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.Dc(), nullptr,
                        nullptr, nullptr, 0),
            S_OK);
  RECT painted = canvas.Unlike(kOutside, RECT{0, 0, 340, 40});
  EXPECT_TRUE(EqualRect(&painted, &kPlace));

  // Deactivating in place leaves the UI state first.
  ASSERT_EQ(inPlace_->InPlaceDeactivate(), S_OK);
  EXPECT_EQ(container_.activeObject, nullptr);
  EXPECT_TRUE(container_.Count("OnUIDeactivate") && container_.Count("OnInPlaceDeactivateEx"));
}

TEST_F(Hosting, CloseSavesWhenDirtyAndVerbsWithoutAPlaceFail) {
  ComPtr<IOleObject> lone;
  ASSERT_EQ(NewHeader().As(&lone), S_OK);
  EXPECT_EQ(lone->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, &kPlace),
            E_UNEXPECTED);
  container_.allowInPlace = false;
  EXPECT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), E_FAIL);
  EXPECT_FALSE(container_.Count("OnInPlaceActivateEx"));
  EXPECT_EQ(Window(), nullptr);
  container_.allowInPlace = true;
  EXPECT_EQ(Activate(7), OLEOBJ_S_INVALIDVERB);  // runs the primary verb instead
  EXPECT_NE(Window(), nullptr);

  DWORD cookie = 0;
  ASSERT_EQ(object_->Advise(&container_, &cookie), S_OK);
  ASSERT_EQ(object_->Close(OLECLOSE_SAVEIFDIRTY), S_OK);
  EXPECT_TRUE(container_.Count("OnInPlaceDeactivateEx"));
  EXPECT_FALSE(container_.Count("SaveObject"));  // nothing changed yet
  EXPECT_EQ(container_.Count("OnClose"), 1u);
  SIZEL size = {1000, 500};
  ASSERT_EQ(object_->SetExtent(DVASPECT_CONTENT, &size), S_OK);
  ASSERT_EQ(object_->Close(OLECLOSE_NOSAVE), S_OK);
  EXPECT_FALSE(container_.Count("SaveObject"));
  ASSERT_EQ(object_->Close(OLECLOSE_SAVEIFDIRTY), S_OK);
  EXPECT_TRUE(container_.Count("SaveObject") && container_.Count("OnSave"));
  EXPECT_EQ(object_->Unadvise(cookie), S_OK);
}

}  // namespace
}  // namespace twtest
