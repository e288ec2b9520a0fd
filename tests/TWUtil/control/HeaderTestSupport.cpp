#include "HeaderTestSupport.h"

#include <gtest/gtest.h>

#include <cwchar>

#include "control/HeaderFace.h"
#include "support/TestSupport.h"

namespace twtest {

twutil::ComPtr<IPropertyHeader> NewHeader() {
  twutil::ComPtr<IPropertyHeader> header;
  EXPECT_EQ(Create(CLSID_PropertyHeader, &header), S_OK);
  return header;
}

void SetTexts(IPropertyHeader* header, const wchar_t* name, const wchar_t* kind) {
  twutil::Bstr nameText(name), kindText(kind);
  EXPECT_EQ(header->put_PropertyName(nameText.Get()), S_OK);
  EXPECT_EQ(header->put_PropertyClass(kindText.Get()), S_OK);
}

HRESULT PutLateBound(IPropertyHeader* header, DISPID id, const wchar_t* text) {
  twutil::ComPtr<IDispatch> dispatch;
  HRESULT hr = twutil::ComPtr<IPropertyHeader>(header).As(&dispatch);
  if (FAILED(hr)) return hr;
  twutil::Variant value;
  V_VT(value.Put()) = VT_BSTR;
  V_BSTR(&value.Ref()) = SysAllocString(text);
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params = {&value.Ref(), &named, 1, 1};
  return dispatch->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                          nullptr);
}

HRESULT DrawInto(IPropertyHeader* header, const Canvas& canvas, const RECT& bounds) {
  twutil::ComPtr<IViewObject> view;
  HRESULT hr = twutil::ComPtr<IPropertyHeader>(header).As(&view);
  if (FAILED(hr)) return hr;
  RECTL area = {bounds.left, bounds.top, bounds.right, bounds.bottom};
  return view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.Dc(), &area, nullptr,
                    nullptr, 0);
}

twutil::GdiObject HeaderLikeFont(HDC dc, LONG weight) {
  twutil::HeaderFace face = twutil::SystemHeaderFace();
  LOGFONTW font = {};
  font.lfHeight = -MulDiv(10, GetDeviceCaps(dc, LOGPIXELSY), 72);
  font.lfWeight = weight;
  font.lfCharSet = face.charset;
  wcscpy(font.lfFaceName, face.name[0] ? face.name : L"Verdana");
  return twutil::GdiObject(CreateFontIndirectW(&font));
}

int TextWidth(const wchar_t* text, LONG weight) {
  Canvas canvas(1, 1, 0);
  twutil::GdiObject font = HeaderLikeFont(canvas.Dc(), weight);
  HGDIOBJ previous = SelectObject(canvas.Dc(), font.Get());
  SIZE size = {};
  GetTextExtentPoint32W(canvas.Dc(), text, static_cast<int>(wcslen(text)), &size);
  SelectObject(canvas.Dc(), previous);
  return size.cx;
}

void DrawPlain(const Canvas& canvas, int x, int y, const wchar_t* text, LONG weight) {
  HDC dc = canvas.Dc();
  twutil::GdiObject font = HeaderLikeFont(dc, weight);
  twutil::SavedDcState keep(dc);
  SelectObject(dc, font.Get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  SetTextAlign(dc, TA_BASELINE | TA_LEFT);
  TextOutW(dc, x, y, text, static_cast<int>(wcslen(text)));
}

}  // namespace twtest
