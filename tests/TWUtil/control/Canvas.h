// A 32-bit top-down DIB selected into a memory DC: something to paint the
// control into and read back pixel by pixel.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace twtest {

class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC Dc() const { return dc_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  COLORREF At(int x, int y) const;
  // The smallest rectangle inside `within` holding every pixel whose colour
  // is not `other`; empty when there is none.
  RECT Unlike(COLORREF other, const RECT& within) const;
  // The same for the pixels that differ from another canvas of the same size.
  RECT DifferentFrom(const Canvas& other) const;
  bool Contains(COLORREF color, const RECT& within) const;

  // An uncompressed PNG of the picture.
  bool SavePng(const std::wstring& path) const;

 private:
  COLORREF Raw(int x, int y) const;

  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;  // 0x00RRGGBB, rows top to bottom
};

}  // namespace twtest
