// What the control suites share: a fresh control, its texts, a canvas to draw
// it into and read back pixel by pixel, and text drawn as the control draws it.
#pragma once

#include <ocidl.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "TWUtil.h"
#include "com/Owners.h"
#include "control/GdiObject.h"

namespace twtest {

// A 32-bit top-down DIB selected into a memory DC.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC Dc() const { return dc_; }
  COLORREF At(int x, int y) const;
  // The smallest rectangle inside `within` holding every pixel whose colour
  // is not `other` (empty when there is none), or that differs from the same
  // pixel of another canvas of the same size.
  RECT Unlike(COLORREF other, const RECT& within, const Canvas* canvas = nullptr) const;
  bool Contains(COLORREF color, const RECT& within) const;
  // An uncompressed PNG of the picture.
  bool SavePng(const std::wstring& path) const;

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;  // 0x00RRGGBB, rows top to bottom
};

twutil::ComPtr<IPropertyHeader> NewHeader();
// A null text stays null; other texts go in through the interface.
void SetTexts(IPropertyHeader* header, const wchar_t* name, const wchar_t* kind);
// A property put through IDispatch::Invoke, as a script would make it.
HRESULT PutLateBound(IPropertyHeader* header, DISPID id, const wchar_t* text);
// IViewObject::Draw of the whole control into bounds.
HRESULT DrawInto(IPropertyHeader* header, const Canvas& canvas, const RECT& bounds);

// The advance of text in a font as the control makes its own (this system's
// face, 10 points), and the text drawn in it with its baseline at y.
int TextWidth(const wchar_t* text, LONG weight);
void DrawPlain(const Canvas& canvas, int x, int y, const wchar_t* text, LONG weight);

}  // namespace twtest
