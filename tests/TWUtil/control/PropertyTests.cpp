// The two texts, late-bound access, the interface map and the choice of
// typeface.

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "HeaderTestSupport.h"
#include "com/ObjectSafety.h"
#include "control/HeaderFace.h"

namespace twtest {
namespace {

using twutil::Bstr;
using twutil::ComPtr;

TEST(HeaderTexts, GettersCopyWhatWasStoredAndNeedAnOutPointer) {
  ComPtr<IPropertyHeader> header = NewHeader();
  ASSERT_TRUE(header);
  EXPECT_EQ(header->get_PropertyName(nullptr), E_POINTER);
  EXPECT_EQ(header->get_PropertyClass(nullptr), E_POINTER);
  Bstr name, kind;
  ASSERT_EQ(header->get_PropertyName(name.Put()), S_OK);
  ASSERT_EQ(header->get_PropertyClass(kind.Put()), S_OK);
  EXPECT_TRUE(name.Get() && kind.Get());  // empty strings, not null ones
  EXPECT_EQ(name.Length() + kind.Length(), 0u);

  std::wstring odd(L"a\0b", 3);
  odd += std::wstring(300, L'\x4E00');
  Bstr oddText(odd.data(), static_cast<UINT>(odd.size()));
  EXPECT_EQ(header->put_PropertyName(oddText.Get()), S_OK);
  EXPECT_EQ(header->put_PropertyClass(Bstr(L"Form").Get()), S_OK);
  ASSERT_EQ(header->get_PropertyName(name.Put()), S_OK);
  ASSERT_EQ(header->get_PropertyClass(kind.Put()), S_OK);
  EXPECT_EQ(std::wstring(name.Get(), name.Length()), odd);
  EXPECT_STREQ(kind.Text(), L"Form");

  EXPECT_EQ(header->put_PropertyName(nullptr), S_OK);
  ASSERT_EQ(header->get_PropertyName(name.Put()), S_OK);
  EXPECT_EQ(name.Length(), 0u);
}

TEST(HeaderTexts, LateBoundThroughTheTypeLibrary) {
  ComPtr<IPropertyHeader> header = NewHeader();
  ASSERT_TRUE(header);
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(header.As(&dispatch), S_OK);
  DISPID ids[2] = {};
  const wchar_t* names[] = {L"propertyname", L"PropertyClass"};
  for (int i = 0; i < 2; ++i)
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(&names[i]), 1, 0, &ids[i]),
              S_OK);
  EXPECT_EQ(ids[0], 1);
  EXPECT_EQ(ids[1], 2);

  EXPECT_EQ(PutLateBound(header.Get(), 1, L"Command1"), S_OK);
  DISPPARAMS none = {};
  twutil::Variant result;
  ASSERT_EQ(
      dispatch->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, result.Put(), nullptr, nullptr),
      S_OK);
  ASSERT_EQ(result.Type(), VT_BSTR);
  EXPECT_STREQ(V_BSTR(&result.Ref()), L"Command1");
}

TEST(HeaderInterfaces, AnswersTheControlInterfacesAndNoOthers) {
  ComPtr<IPropertyHeader> header = NewHeader();
  ASSERT_TRUE(header);
  const IID* offered[] = {
      &IID_IPropertyHeader,   &IID_IDispatch,    &IID_IViewObjectEx,
      &IID_IViewObject2,      &IID_IViewObject,  &IID_IOleInPlaceObjectWindowless,
      &IID_IOleInPlaceObject, &IID_IOleWindow,   &IID_IOleInPlaceActiveObject,
      &IID_IOleControl,       &IID_IOleObject,   &IID_IPersistStreamInit,
      &IID_IPersist,          &IID_IObjectSafety};
  for (const IID* iid : offered) {
    ComPtr<IUnknown> part;
    EXPECT_EQ(header->QueryInterface(*iid, part.PutVoid()), S_OK);
  }
  const IID* absent[] = {
      &IID_IConnectionPointContainer, &IID_ISpecifyPropertyPages, &IID_IPersistPropertyBag,
      &IID_IPersistStorage,           &IID_IDataObject,           &IID_IQuickActivate};
  for (const IID* iid : absent) {
    ComPtr<IUnknown> part;
    EXPECT_EQ(header->QueryInterface(*iid, part.PutVoid()), E_NOINTERFACE);
  }
  ComPtr<IObjectSafety> safety;
  ASSERT_EQ(header.As(&safety), S_OK);
  DWORD supported = 0, enabled = 0;
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IOleObject, &supported, &enabled), S_OK);
  EXPECT_EQ(supported, 3u);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDataObject, 1, 1), E_NOINTERFACE);
}

TEST(HeaderInterfaces, IdentityExtentAndLooks) {
  ComPtr<IPropertyHeader> header = NewHeader();
  ASSERT_TRUE(header);
  ComPtr<IOleObject> object;
  ComPtr<IPersistStreamInit> persist;
  ComPtr<IViewObjectEx> view;
  ASSERT_EQ(header.As(&object), S_OK);
  ASSERT_EQ(header.As(&persist), S_OK);
  ASSERT_EQ(header.As(&view), S_OK);
  CLSID clsid = {};
  EXPECT_EQ(object->GetUserClassID(&clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_PropertyHeader);
  EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_PropertyHeader);

  SIZEL size = {};
  EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, &size), S_OK);
  EXPECT_EQ(size.cx, 5080);
  EXPECT_EQ(size.cy, 5080);
  EXPECT_EQ(object->GetExtent(DVASPECT_ICON, &size), DV_E_DVASPECT);
  DVEXTENTINFO info = {};
  info.cb = sizeof(info);
  info.dwExtentMode = DVEXTENT_CONTENT;
  SIZEL natural = {};
  EXPECT_EQ(view->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, &info, &natural), S_OK);
  EXPECT_EQ(natural.cx, 5080);

  DWORD status = 0;
  EXPECT_EQ(view->GetViewStatus(&status), S_OK);
  EXPECT_TRUE(status & VIEWSTATUS_OPAQUE);
  RECT bounds = {0, 0, 10, 10};
  DWORD hit = 0;
  EXPECT_EQ(view->QueryHitPoint(DVASPECT_CONTENT, &bounds, POINT{9, 9}, 0, &hit), S_OK);
  EXPECT_EQ(hit, static_cast<DWORD>(HITRESULT_HIT));
  EXPECT_EQ(view->QueryHitPoint(DVASPECT_CONTENT, &bounds, POINT{10, 5}, 0, &hit), S_OK);
  EXPECT_EQ(hit, static_cast<DWORD>(HITRESULT_OUTSIDE));
}

LOGFONTW GuiFont(const wchar_t* face, BYTE charset) {
  LOGFONTW font = {};
  wcsncpy(font.lfFaceName, face, LF_FACESIZE);
  font.lfCharSet = charset;
  return font;
}

TEST(HeaderFace, TheGuiFontsFaceUnlessItIsAnOldBitmapFaceOrTheSystemIsVersion5) {
  const DWORD kVersion6 = 0x1DB10106, kVersion5 = 0x0A280105;
  twutil::HeaderFace face = twutil::ChooseHeaderFace(GuiFont(L"Tahoma", 128), kVersion6);
  EXPECT_STREQ(face.name, L"Tahoma");
  EXPECT_EQ(face.charset, 128);
  EXPECT_STREQ(twutil::ChooseHeaderFace(GuiFont(L"MS Sans Serif", 0), kVersion6).name, L"");
  EXPECT_STREQ(twutil::ChooseHeaderFace(GuiFont(L"System", 0), kVersion6).name, L"");
  // The comparisons are exact.
  EXPECT_STREQ(twutil::ChooseHeaderFace(GuiFont(L"ms sans serif", 0), kVersion6).name,
               L"ms sans serif");
  EXPECT_STREQ(twutil::ChooseHeaderFace(GuiFont(L"System ", 0), kVersion6).name, L"System ");
  face = twutil::ChooseHeaderFace(GuiFont(L"Tahoma", 161), kVersion5);
  EXPECT_STREQ(face.name, L"");
  EXPECT_EQ(face.charset, 161);

  // A face that fills the whole array without a terminator is cut, not overrun.
  LOGFONTW full = GuiFont(L"", 0);
  wmemset(full.lfFaceName, L'x', LF_FACESIZE);
  EXPECT_EQ(wcslen(twutil::ChooseHeaderFace(full, kVersion6).name), LF_FACESIZE - 1u);
}

}  // namespace
}  // namespace twtest
