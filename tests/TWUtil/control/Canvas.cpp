#include "Canvas.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "files/Crc32.h"

namespace twtest {
namespace {

uint32_t Pixel(COLORREF color) {
  return (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
}

void Grow(RECT* box, int x, int y) {
  if (IsRectEmpty(box)) {
    SetRect(box, x, y, x + 1, y + 1);
    return;
  }
  box->left = std::min<LONG>(box->left, x);
  box->top = std::min<LONG>(box->top, y);
  box->right = std::max<LONG>(box->right, x + 1);
  box->bottom = std::max<LONG>(box->bottom, y + 1);
}

void PutBigEndian(std::vector<unsigned char>* out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back((value >> shift) & 0xFF);
}

void PutChunk(std::vector<unsigned char>* out, const char* type,
              const std::vector<unsigned char>& data) {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  size_t start = out->size();
  out->insert(out->end(), type, type + 4);
  out->insert(out->end(), data.begin(), data.end());
  PutBigEndian(out, twutil::Crc32(out->data() + start, out->size() - start));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::vector<unsigned char> StoredZlib(const std::vector<unsigned char>& raw) {
  std::vector<unsigned char> out = {0x78, 0x01};
  size_t at = 0;
  do {
    size_t length = std::min<size_t>(raw.size() - at, 65535);
    bool last = at + length == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(length & 0xFF);
    out.push_back(length >> 8);
    out.push_back(~length & 0xFF);
    out.push_back((~length >> 8) & 0xFF);
    out.insert(out.end(), raw.begin() + at, raw.begin() + at + length);
    at += length;
  } while (at < raw.size());
  uint32_t a = 1, b = 0;  // Adler-32
  for (unsigned char byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(&out, (b << 16) | a);
  return out;
}

}  // namespace

Canvas::Canvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = static_cast<uint32_t*>(bits);
  previous_ = SelectObject(dc_, bitmap_);
  std::fill(bits_, bits_ + width * height, Pixel(fill));
}

Canvas::~Canvas() {
  SelectObject(dc_, previous_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

COLORREF Canvas::At(int x, int y) const {
  GdiFlush();
  return Raw(x, y);
}

COLORREF Canvas::Raw(int x, int y) const {
  uint32_t p = bits_[y * width_ + x];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

RECT Canvas::Unlike(COLORREF other, const RECT& within) const {
  GdiFlush();
  RECT box = {};
  for (int y = within.top; y < within.bottom; ++y)
    for (int x = within.left; x < within.right; ++x)
      if (Raw(x, y) != other) Grow(&box, x, y);
  return box;
}

RECT Canvas::DifferentFrom(const Canvas& other) const {
  GdiFlush();
  RECT box = {};
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      if (Raw(x, y) != other.Raw(x, y)) Grow(&box, x, y);
  return box;
}

bool Canvas::Contains(COLORREF color, const RECT& within) const {
  GdiFlush();
  for (int y = within.top; y < within.bottom; ++y)
    for (int x = within.left; x < within.right; ++x)
      if (Raw(x, y) == color) return true;
  return false;
}

bool Canvas::SavePng(const std::wstring& path) const {
  GdiFlush();
  std::vector<unsigned char> header;
  PutBigEndian(&header, width_);
  PutBigEndian(&header, height_);
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
  std::vector<unsigned char> raw;
  for (int y = 0; y < height_; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < width_; ++x) {
      COLORREF c = Raw(x, y);
      raw.insert(raw.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
    }
  }
  std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(&png, "IHDR", header);
  PutChunk(&png, "IDAT", StoredZlib(raw));
  PutChunk(&png, "IEND", {});
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (!file) return false;
  bool written = fwrite(png.data(), 1, png.size(), file) == png.size();
  return fclose(file) == 0 && written;
}

}  // namespace twtest
