// The control hosted in place by a container of the tests' own: with a window
// of its own, windowless, and not active; each way a changed text must lead to
// a repaint request.

#include <gtest/gtest.h>
#include <olectl.h>

#include <memory>

#include "HeaderTestSupport.h"
#include "TestContainer.h"

namespace twtest {
namespace {

using twutil::ComPtr;

const RECT kPlace = {20, 10, 320, 34};
const COLORREF kOutside = RGB(10, 200, 30);

RECT PlaceInHost(HWND window) {
  RECT place;
  GetWindowRect(window, &place);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

class Hosting : public ::testing::Test {
 protected:
  void Host(TestContainer::Site site) {
    container_ = std::make_unique<TestContainer>(site, kPlace);
    ASSERT_TRUE(header_ = NewHeader());
    ASSERT_EQ(header_.As(&object_), S_OK);
    ASSERT_EQ(header_.As(&inPlace_), S_OK);
    ASSERT_EQ(header_.As(&view_), S_OK);
    ASSERT_EQ(object_->SetClientSite(container_.get()), S_OK);
  }
  void TearDown() override {
    if (object_) {
      object_->Close(OLECLOSE_NOSAVE);
      object_->SetClientSite(nullptr);
    }
    view_.Reset();
    inPlace_.Reset();
    object_.Reset();
    header_.Reset();
    // The control gave back every reference it took on the container.
    if (container_) {
      EXPECT_EQ(container_->References(), 1);
    }
  }
  HRESULT Activate(LONG verb) {
    return object_->DoVerb(verb, nullptr, container_.get(), 0, container_->Window(), &kPlace);
  }
  HWND Window() {
    HWND window = nullptr;
    return inPlace_->GetWindow(&window) == S_OK ? window : nullptr;
  }

  std::unique_ptr<TestContainer> container_;
  ComPtr<IPropertyHeader> header_;
  ComPtr<IOleObject> object_;
  ComPtr<IOleInPlaceObjectWindowless> inPlace_;
  ComPtr<IViewObjectEx> view_;
};

TEST_F(Hosting, WindowedControlInvalidatesAndPaintsItsOwnWindow) {
  Host(TestContainer::Site::kWindowed);
  ASSERT_EQ(view_->SetAdvise(DVASPECT_CONTENT, 0, container_.get()), S_OK);
  ASSERT_EQ(header_->put_PropertyClass(nullptr), S_OK);  // inactive: the view sink hears of it
  EXPECT_EQ(container_->Count("OnViewChange"), 1u);
  container_->calls.clear();
  LONG inactiveReferences = container_->References();
  ASSERT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
  EXPECT_TRUE(container_->Called("OnInPlaceActivateEx") && container_->Called("ShowObject"));
  HWND window = Window();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetParent(window), container_->Window());
  EXPECT_TRUE(IsWindowVisible(window));
  RECT place = PlaceInHost(window), dirty, client;
  EXPECT_TRUE(EqualRect(&place, &kPlace));

  UpdateWindow(window);
  EXPECT_FALSE(GetUpdateRect(window, &dirty, FALSE));
  ASSERT_EQ(PutLateBound(header_.Get(), 1, L"Form1"), S_OK);
  ASSERT_TRUE(GetUpdateRect(window, &dirty, FALSE));
  GetClientRect(window, &client);
  EXPECT_TRUE(EqualRect(&dirty, &client));
  EXPECT_FALSE(container_->Called("OnViewChange") || container_->Called("InvalidateRect"));
  UpdateWindow(window);  // the control's paint validates the window
  EXPECT_FALSE(GetUpdateRect(window, &dirty, FALSE));
  RECT moved = {40, 50, 200, 70};
  ASSERT_EQ(inPlace_->SetObjectRects(&moved, &moved), S_OK);
  place = PlaceInHost(window);
  EXPECT_TRUE(EqualRect(&place, &moved));
  ASSERT_EQ(inPlace_->InPlaceDeactivate(), S_OK);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(container_->Called("OnInPlaceDeactivateEx"));
  EXPECT_EQ(Window(), nullptr);
  EXPECT_EQ(container_->References(), inactiveReferences);
}

TEST_F(Hosting, WindowlessControlAsksTheSiteToInvalidateItsArea) {
  Host(TestContainer::Site::kWindowless);
  ASSERT_EQ(Activate(OLEIVERB_UIACTIVATE), S_OK);
  EXPECT_TRUE(container_->Called("OnInPlaceActivateEx windowless"));
  EXPECT_EQ(Window(), nullptr);
  ComPtr<IOleInPlaceActiveObject> active;
  ASSERT_EQ(header_.As(&active), S_OK);
  EXPECT_TRUE(container_->Called("OnUIActivate"));
  EXPECT_EQ(container_->activeObject, active.Get());

  ASSERT_EQ(PutLateBound(header_.Get(), 1, L"Form1"), S_OK);
  ASSERT_EQ(PutLateBound(header_.Get(), 2, L"Form"), S_OK);
  EXPECT_EQ(container_->Count("InvalidateRect"), 2u);
  EXPECT_TRUE(EqualRect(&container_->lastInvalidated, &kPlace));
  // Without bounds it draws where it sits.
  Canvas canvas(340, 40, kOutside);
  ASSERT_EQ(view_->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.Dc(), nullptr,
                        nullptr, nullptr, 0),
            S_OK);
  RECT painted = canvas.Unlike(kOutside, RECT{0, 0, 340, 40});
  EXPECT_TRUE(EqualRect(&painted, &kPlace));

  // Deactivating in place leaves the UI state first.
  ASSERT_EQ(inPlace_->InPlaceDeactivate(), S_OK);
  EXPECT_EQ(container_->activeObject, nullptr);
  EXPECT_TRUE(container_->Called("OnUIDeactivate") && container_->Called("OnInPlaceDeactivateEx"));
}

TEST_F(Hosting, CloseSavesWhenDirtyAndVerbsWithoutAPlaceFail) {
  ComPtr<IOleObject> lone;
  ASSERT_EQ(NewHeader().As(&lone), S_OK);
  EXPECT_EQ(lone->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, &kPlace),
            E_UNEXPECTED);
  Host(TestContainer::Site::kWindowed);
  container_->allowInPlace = false;
  EXPECT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), E_FAIL);
  EXPECT_FALSE(container_->Called("OnInPlaceActivateEx"));
  EXPECT_EQ(Window(), nullptr);
  container_->allowInPlace = true;
  EXPECT_EQ(Activate(7), OLEOBJ_S_INVALIDVERB);  // runs the primary verb instead
  EXPECT_NE(Window(), nullptr);

  DWORD cookie = 0;
  ASSERT_EQ(object_->Advise(container_.get(), &cookie), S_OK);
  ASSERT_EQ(object_->Close(OLECLOSE_SAVEIFDIRTY), S_OK);
  EXPECT_TRUE(container_->Called("OnInPlaceDeactivateEx"));
  EXPECT_FALSE(container_->Called("SaveObject"));  // nothing changed yet
  EXPECT_EQ(container_->Count("OnClose"), 1u);
  SIZEL size = {1000, 500};
  ASSERT_EQ(object_->SetExtent(DVASPECT_CONTENT, &size), S_OK);
  ASSERT_EQ(object_->Close(OLECLOSE_NOSAVE), S_OK);
  EXPECT_FALSE(container_->Called("SaveObject"));
  ASSERT_EQ(object_->Close(OLECLOSE_SAVEIFDIRTY), S_OK);
  EXPECT_TRUE(container_->Called("SaveObject") && container_->Called("OnSave"));
  EXPECT_EQ(object_->Unadvise(cookie), S_OK);
}

}  // namespace
}  // namespace twtest
