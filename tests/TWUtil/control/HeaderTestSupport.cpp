#include "HeaderTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "control/HeaderFace.h"
#include "files/Crc32.h"
#include "support/TestSupport.h"

namespace twtest {
namespace {

using Png = std::vector<unsigned char>;

void PutBigEndian(Png* out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back((value >> shift) & 0xFF);
}

void PutChunk(Png* out, const char* type, const Png& data) {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  size_t start = out->size();
  out->insert(out->end(), type, type + 4);
  out->insert(out->end(), data.begin(), data.end());
  PutBigEndian(out, twutil::Crc32(out->data() + start, out->size() - start));
}

// A zlib stream of stored (uncompressed) deflate blocks.
Png StoredZlib(const Png& raw) {
  Png out = {0x78, 0x01};
  for (size_t at = 0; at < raw.size();) {
    size_t length = std::min<size_t>(raw.size() - at, 65535);
    out.insert(out.end(), {at + length == raw.size(), uint8_t(length), uint8_t(length >> 8),
                           uint8_t(~length), uint8_t(~length >> 8)});
    out.insert(out.end(), raw.begin() + at, raw.begin() + at + length);
    at += length;
  }
  uint32_t a = 1, b = 0;  // Adler-32
  for (unsigned char byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(&out, (b << 16) | a);
  return out;
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

}  // namespace

Canvas::Canvas(int width, int height, COLORREF fill)
    : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = static_cast<uint32_t*>(bits);
  previous_ = SelectObject(dc_, bitmap_);
  std::fill(bits_, bits_ + width * height,
            (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill));
}

Canvas::~Canvas() {
  SelectObject(dc_, previous_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

COLORREF Canvas::At(int x, int y) const {
  GdiFlush();
  uint32_t p = bits_[y * width_ + x];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

RECT Canvas::Unlike(COLORREF other, const RECT& within, const Canvas* canvas) const {
  RECT box = {};
  for (int y = within.top; y < within.bottom; ++y)
    for (int x = within.left; x < within.right; ++x)
      if (At(x, y) != (canvas ? canvas->At(x, y) : other)) {
        RECT pixel = {x, y, x + 1, y + 1};
        UnionRect(&box, &box, &pixel);
      }
  return box;
}

bool Canvas::Contains(COLORREF color, const RECT& within) const {
  for (int y = within.top; y < within.bottom; ++y)
    for (int x = within.left; x < within.right; ++x)
      if (At(x, y) == color) return true;
  return false;
}

bool Canvas::SavePng(const std::wstring& path) const {
  Png header, raw, png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutBigEndian(&header, width_);
  PutBigEndian(&header, height_);
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
  for (int y = 0; y < height_; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < width_; ++x)
      raw.insert(raw.end(), {GetRValue(At(x, y)), GetGValue(At(x, y)), GetBValue(At(x, y))});
  }
  PutChunk(&png, "IHDR", header);
  PutChunk(&png, "IDAT", StoredZlib(raw));
  PutChunk(&png, "IEND", {});
  FILE* file = _wfopen(path.c_str(), L"wb");
  bool written = file && fwrite(png.data(), 1, png.size(), file) == png.size();
  return file && fclose(file) == 0 && written;
}

twutil::ComPtr<IPropertyHeader> NewHeader() {
  twutil::ComPtr<IPropertyHeader> header;
  EXPECT_EQ(Create(CLSID_PropertyHeader, &header), S_OK);
  return header;
}

void SetTexts(IPropertyHeader* header, const wchar_t* name, const wchar_t* kind) {
  EXPECT_EQ(header->put_PropertyName(twutil::Bstr(name).Get()), S_OK);
  EXPECT_EQ(header->put_PropertyClass(twutil::Bstr(kind).Get()), S_OK);
}

HRESULT PutLateBound(IPropertyHeader* header, DISPID id, const wchar_t* text) {
  twutil::Variant value;
  V_VT(value.Put()) = VT_BSTR;
  V_BSTR(&value.Ref()) = SysAllocString(text);
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params = {&value.Ref(), &named, 1, 1};
  return header->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
}

HRESULT DrawInto(IPropertyHeader* header, const Canvas& canvas, const RECT& bounds) {
  twutil::ComPtr<IViewObject> view;
  HRESULT hr = header->QueryInterface(IID_IViewObject, view.PutVoid());
  RECTL area = {bounds.left, bounds.top, bounds.right, bounds.bottom};
  return FAILED(hr) ? hr
                    : view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.Dc(),
                                 &area, nullptr, nullptr, 0);
}

int TextWidth(const wchar_t* text, LONG weight) {
  Canvas canvas(1, 1, 0);
  twutil::GdiObject font = HeaderLikeFont(canvas.Dc(), weight);
  SelectObject(canvas.Dc(), font.Get());
  SIZE size = {};
  GetTextExtentPoint32W(canvas.Dc(), text, static_cast<int>(wcslen(text)), &size);
  SelectObject(canvas.Dc(), GetStockObject(SYSTEM_FONT));
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
