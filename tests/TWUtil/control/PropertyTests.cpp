// The two texts, late-bound access, the interface map, identity and extent,
// and the choice of typeface.

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

std::wstring Text(BSTR text) { return std::wstring(text, SysStringLen(text)); }

TEST(HeaderTexts, GettersCopyWhatWasStoredEarlyAndLateBound) {
  ComPtr<IPropertyHeader> header = NewHeader();
  ASSERT_TRUE(header);
  EXPECT_EQ(header->get_PropertyName(nullptr), E_POINTER);
  EXPECT_EQ(header->get_PropertyClass(nullptr), E_POINTER);
  Bstr name, kind;
  ASSERT_EQ(header->get_PropertyName(name.Put()), S_OK);
  ASSERT_EQ(header->get_PropertyClass(kind.Put()), S_OK);
  EXPECT_TRUE(name.Get() && kind.Get());  // empty strings, not null ones
  EXPECT_EQ(name.Length() + kind.Length(), 0u);

  std::wstring odd = std::wstring(L"a\0b", 3) + std::wstring(300, L'\x4E00');
  ASSERT_EQ(header->put_PropertyName(Bstr(odd.data(), UINT(odd.size())).Get()), S_OK);
  ASSERT_EQ(header->put_PropertyClass(Bstr(L"Form").Get()), S_OK);
  ASSERT_EQ(header->get_PropertyName(name.Put()), S_OK);
  ASSERT_EQ(header->get_PropertyClass(kind.Put()), S_OK);
  EXPECT_EQ(Text(name.Get()), odd);
  EXPECT_EQ(Text(kind.Get()), L"Form");

  DISPID ids[2] = {};
  const wchar_t* names[] = {L"propertyname", L"PropertyClass"};
  for (int i = 0; i < 2; ++i)
    ASSERT_EQ(header->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(&names[i]), 1, 0, &ids[i]),
              S_OK);
  EXPECT_EQ(ids[0], 1);
  EXPECT_EQ(ids[1], 2);
  EXPECT_EQ(PutLateBound(header.Get(), 1, L"Command1"), S_OK);
  DISPPARAMS none = {};
  twutil::Variant result;
  ASSERT_EQ(
      header->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, result.Put(), nullptr, nullptr),
      S_OK);
  ASSERT_EQ(result.Type(), VT_BSTR);
  EXPECT_EQ(Text(V_BSTR(&result.Ref())), L"Command1");
  EXPECT_EQ(header->put_PropertyName(nullptr), S_OK);
  ASSERT_EQ(header->get_PropertyName(name.Put()), S_OK);
  EXPECT_EQ(name.Length(), 0u);
}

TEST(HeaderInterfaces, AnswersTheControlInterfacesWithItsIdentityAndExtent) {
  ComPtr<IPropertyHeader> header = NewHeader();
  ASSERT_TRUE(header);
  const IID* offered[] = {
      &IID_IPropertyHeader,   &IID_IDispatch,    &IID_IViewObjectEx,
      &IID_IViewObject2,      &IID_IViewObject,  &IID_IOleInPlaceObjectWindowless,
      &IID_IOleInPlaceObject, &IID_IOleWindow,   &IID_IOleInPlaceActiveObject,
      &IID_IOleControl,       &IID_IOleObject,   &IID_IPersistStreamInit,
      &IID_IPersist,          &IID_IObjectSafety};
  const IID* absent[] = {
      &IID_IConnectionPointContainer, &IID_ISpecifyPropertyPages, &IID_IPersistPropertyBag,
      &IID_IPersistStorage,           &IID_IDataObject,           &IID_IQuickActivate};
  ComPtr<IUnknown> part;
  for (const IID* iid : offered) EXPECT_EQ(header->QueryInterface(*iid, part.PutVoid()), S_OK);
  for (const IID* iid : absent)
    EXPECT_EQ(header->QueryInterface(*iid, part.PutVoid()), E_NOINTERFACE);
  ComPtr<IObjectSafety> safety;
  ASSERT_EQ(header.As(&safety), S_OK);
  DWORD supported = 0, enabled = 0;
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IOleObject, &supported, &enabled), S_OK);
  EXPECT_EQ(supported, 3u);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDataObject, 1, 1), E_NOINTERFACE);

  ComPtr<IOleObject> object;
  ComPtr<IPersistStreamInit> persist;
  ComPtr<IViewObjectEx> view;
  ASSERT_TRUE(header.As(&object) == S_OK && header.As(&persist) == S_OK &&
              header.As(&view) == S_OK);
  CLSID clsid = {}, persisted = {};
  EXPECT_EQ(object->GetUserClassID(&clsid), S_OK);
  EXPECT_EQ(persist->GetClassID(&persisted), S_OK);
  EXPECT_TRUE(clsid == CLSID_PropertyHeader && persisted == CLSID_PropertyHeader);
  SIZEL size = {}, natural = {};
  EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, &size), S_OK);
  EXPECT_EQ(size.cx, 5080);
  EXPECT_EQ(object->GetExtent(DVASPECT_ICON, &size), DV_E_DVASPECT);
  DVEXTENTINFO info = {sizeof(info), DVEXTENT_CONTENT, {}};
  EXPECT_EQ(view->GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, &info, &natural), S_OK);
  EXPECT_EQ(natural.cx, 5080);
  DWORD status = 0, hit = 0, outside = 0;
  EXPECT_EQ(view->GetViewStatus(&status), S_OK);
  EXPECT_TRUE(status & VIEWSTATUS_OPAQUE);
  RECT bounds = {0, 0, 10, 10};
  EXPECT_EQ(view->QueryHitPoint(DVASPECT_CONTENT, &bounds, POINT{9, 9}, 0, &hit), S_OK);
  EXPECT_EQ(view->QueryHitPoint(DVASPECT_CONTENT, &bounds, POINT{10, 5}, 0, &outside), S_OK);
  EXPECT_EQ(hit, DWORD(HITRESULT_HIT));
  EXPECT_EQ(outside, DWORD(HITRESULT_OUTSIDE));
}

TEST(HeaderFace, TheGuiFontsFaceUnlessItIsAnOldBitmapFaceOrTheSystemIsVersion5) {
  const DWORD kVersion6 = 0x1DB10106, kVersion5 = 0x0A280105;
  auto choose = [](const wchar_t* face, BYTE charset, DWORD version) {
    LOGFONTW font = {};
    wcsncpy(font.lfFaceName, face, LF_FACESIZE);
    if (!*face) wmemset(font.lfFaceName, L'x', LF_FACESIZE);  // no terminator: cut, not overrun
    font.lfCharSet = charset;
    twutil::HeaderFace chosen = twutil::ChooseHeaderFace(font, version);
    return std::wstring(chosen.name) + L"/" + std::to_wstring(chosen.charset);
  };
  EXPECT_EQ(choose(L"Tahoma", 128, kVersion6), L"Tahoma/128");
  EXPECT_EQ(choose(L"MS Sans Serif", 0, kVersion6), L"/0");
  EXPECT_EQ(choose(L"System", 0, kVersion6), L"/0");
  EXPECT_EQ(choose(L"ms sans serif", 0, kVersion6), L"ms sans serif/0");  // exact comparisons
  EXPECT_EQ(choose(L"System ", 0, kVersion6), L"System /0");
  EXPECT_EQ(choose(L"Tahoma", 161, kVersion5), L"/161");
  EXPECT_EQ(choose(L"", 0, kVersion6), std::wstring(LF_FACESIZE - 1, L'x') + L"/0");
}

}  // namespace
}  // namespace twtest
