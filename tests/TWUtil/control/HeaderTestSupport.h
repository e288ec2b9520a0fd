// What the control suites share: a fresh control, its texts, and a canvas to
// draw it into and read back pixel by pixel.
#pragma once

#include <gtest/gtest.h>
#include <ocidl.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "TWUtil.h"
#include "com/Owners.h"
#include "support/TestSupport.h"

namespace twtest {

// A 32-bit top-down DIB selected into a memory DC.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill) : width_(width), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0},
                       {}};
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    previous_ = SelectObject(dc_, bitmap_);
    std::fill(bits_, bits_ + width * height,
              (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill));
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC Dc() const { return dc_; }
  COLORREF At(int x, int y) const {
    GdiFlush();
    uint32_t p = bits_[y * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  // The smallest rectangle inside `within` holding every pixel whose colour
  // is not `other` (empty when there is none), or that differs from the same
  // pixel of another canvas of the same size.
  RECT Unlike(COLORREF other, const RECT& within, const Canvas* canvas = nullptr) const {
    RECT box = {};
    for (int y = within.top; y < within.bottom; ++y)
      for (int x = within.left; x < within.right; ++x)
        if (At(x, y) != (canvas ? canvas->At(x, y) : other)) {
          RECT pixel = {x, y, x + 1, y + 1};
          UnionRect(&box, &box, &pixel);
        }
    return box;
  }
  bool Contains(COLORREF color, const RECT& within) const {
    for (int y = within.top; y < within.bottom; ++y)
      for (int x = within.left; x < within.right; ++x)
        if (At(x, y) == color) return true;
    return false;
  }

 private:
  int width_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;  // 0x00RRGGBB, rows top to bottom
};

inline twutil::ComPtr<IPropertyHeader> NewHeader() {
  twutil::ComPtr<IPropertyHeader> header;
  EXPECT_EQ(Create(CLSID_PropertyHeader, &header), S_OK);
  return header;
}

// A null text stays null; other texts go in through the interface.
inline void SetTexts(IPropertyHeader* header, const wchar_t* name, const wchar_t* kind) {
  EXPECT_EQ(header->put_PropertyName(twutil::Bstr(name).Get()), S_OK);
  EXPECT_EQ(header->put_PropertyClass(twutil::Bstr(kind).Get()), S_OK);
}

}  // namespace twtest
