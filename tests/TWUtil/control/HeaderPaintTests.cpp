// The control drawn into memory DCs under Wine, checked pixel by pixel. The
// expected positions come from text measurements with fonts of the same face.

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <vector>

#include "HeaderTestSupport.h"
#include "control/GdiObject.h"
#include "control/HeaderFace.h"
#include "files/Crc32.h"

namespace twtest {
namespace {

const COLORREF kOutside = RGB(10, 200, 30), kRed = RGB(255, 0, 0);
const RECT kWhole = {0, 0, 372, 36};
const RECT kBounds = {6, 4, 366, 31};  // an odd sum for the baseline to halve

COLORREF Band() { return GetSysColor(COLOR_APPWORKSPACE); }

// A picture for people to look at: an uncompressed PNG of the canvas.
using Png = std::vector<uint8_t>;

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

Png PngOf(const Canvas& canvas, int width, int height) {
  Png header, raw, png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutBigEndian(&header, width);
  PutBigEndian(&header, height);
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < width; ++x) {
      COLORREF pixel = canvas.At(x, y);
      raw.insert(raw.end(), {GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)});
    }
  }
  // zlib of stored deflate blocks, then Adler-32.
  Png zlib = {0x78, 0x01};
  for (size_t at = 0; at < raw.size();) {
    size_t length = std::min<size_t>(raw.size() - at, 65535);
    zlib.insert(zlib.end(), {at + length == raw.size(), uint8_t(length), uint8_t(length >> 8),
                             uint8_t(~length), uint8_t(~length >> 8)});
    zlib.insert(zlib.end(), raw.begin() + at, raw.begin() + at + length);
    at += length;
  }
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(&zlib, (b << 16) | a);
  PutChunk(&png, "IHDR", header);
  PutChunk(&png, "IDAT", zlib);
  PutChunk(&png, "IEND", {});
  return png;
}

// A font as the control makes its own: this system's face, 10 points.
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
  SelectObject(canvas.Dc(), font.Get());
  SIZE size = {};
  GetTextExtentPoint32W(canvas.Dc(), text, static_cast<int>(wcslen(text)), &size);
  SelectObject(canvas.Dc(), GetStockObject(SYSTEM_FONT));
  return size.cx;
}

// The ink of a text drawn as the control would, at x = 50.
RECT PlainInk(const wchar_t* text, LONG weight) {
  Canvas canvas(kWhole.right, kWhole.bottom, Band());
  twutil::GdiObject font = HeaderLikeFont(canvas.Dc(), weight);
  SelectObject(canvas.Dc(), font.Get());
  SetBkMode(canvas.Dc(), TRANSPARENT);
  SetTextColor(canvas.Dc(), GetSysColor(COLOR_HIGHLIGHTTEXT));
  SetTextAlign(canvas.Dc(), TA_BASELINE | TA_LEFT);
  TextOutW(canvas.Dc(), 50, 20, text, static_cast<int>(wcslen(text)));
  SelectObject(canvas.Dc(), GetStockObject(SYSTEM_FONT));
  return canvas.Unlike(Band(), kWhole);
}

class HeaderPaint : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(header_ = NewHeader()); }
  // A transparent text background, as containers usually set; the red
  // background colour must then show nowhere.
  std::unique_ptr<Canvas> Render(const wchar_t* name, const wchar_t* kind) {
    auto canvas = std::make_unique<Canvas>(kWhole.right, kWhole.bottom, kOutside);
    SetBkMode(canvas->Dc(), TRANSPARENT);
    SetBkColor(canvas->Dc(), kRed);
    SetTexts(header_.Get(), name, kind);
    EXPECT_EQ(Draw(*canvas), S_OK);
    EXPECT_FALSE(canvas->Contains(kRed, kWhole));
    return canvas;
  }
  RECT Ink(const Canvas& canvas) { return canvas.Unlike(Band(), kBounds); }
  // IViewObject::Draw of the whole control into kBounds.
  HRESULT Draw(const Canvas& canvas) {
    twutil::ComPtr<IViewObject> view;
    RECTL area = {kBounds.left, kBounds.top, kBounds.right, kBounds.bottom};
    HRESULT hr = header_.As(&view);
    return FAILED(hr) ? hr
                      : view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.Dc(),
                                   &area, nullptr, nullptr, 0);
  }
  twutil::ComPtr<IPropertyHeader> header_;
};

TEST_F(HeaderPaint, NameIsBoldInTheHighlightTextColourAfterTwoBlanks) {
  auto canvas = Render(L"Wide Header", nullptr);
  RECT ink = Ink(*canvas), bold = PlainInk(L"Wide Header", FW_BOLD),
       normal = PlainInk(L"Wide Header", FW_NORMAL);
  ASSERT_FALSE(IsRectEmpty(&ink));
  EXPECT_TRUE(canvas->Contains(GetSysColor(COLOR_HIGHLIGHTTEXT), ink));
  EXPECT_EQ(ink.left, kBounds.left + 2 + TextWidth(L"  ", FW_BOLD) + bold.left - 50);
  EXPECT_EQ(ink.right - ink.left, bold.right - bold.left);
  EXPECT_GT(ink.right - ink.left, normal.right - normal.left + 2);
}

TEST_F(HeaderPaint, ClassFollowsThreeNormalBlanksAndNullTextsPaintTheBandOnly) {
  auto empty = Render(nullptr, nullptr);
  RECT none = Ink(*empty), painted = empty->Unlike(kOutside, kWhole);
  EXPECT_TRUE(IsRectEmpty(&none));
  EXPECT_TRUE(EqualRect(&painted, &kBounds));

  RECT alone = Ink(*Render(nullptr, L"Hdr Class"));
  EXPECT_EQ(alone.left,
            kBounds.left + 2 + TextWidth(L"   ", FW_NORMAL) + PlainInk(L"H", FW_NORMAL).left - 50);
  auto nameOnly = Render(L"Form1", nullptr);
  RECT classInk = Render(L"Form1", L"Hdr Class")->Unlike(0, kWhole, nameOnly.get());
  EXPECT_EQ(classInk.left - alone.left, TextWidth(L"  ", FW_BOLD) + TextWidth(L"Form1", FW_BOLD));
  EXPECT_EQ(classInk.right - classInk.left, alone.right - alone.left);
  // An empty name still draws its two bold blanks.
  EXPECT_EQ(Ink(*Render(L"", L"Hdr Class")).left - alone.left, TextWidth(L"  ", FW_BOLD));
}

TEST_F(HeaderPaint, BaselineSitsALittleBelowTheMiddleEvenAboveTheOrigin) {
  auto canvas = Render(L"HH", nullptr);
  int height = -MulDiv(10, GetDeviceCaps(canvas->Dc(), LOGPIXELSY), 72);
  // An H stands on the baseline: its last row is the one above.
  EXPECT_EQ(Ink(*canvas).bottom, (kBounds.top + kBounds.bottom - height - 3) / 2);
}

TEST_F(HeaderPaint, TheContainersTextBackgroundAndDcStateAreKept) {
  Canvas canvas(kWhole.right, kWhole.bottom, kOutside);
  HDC dc = canvas.Dc();
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, kRed);
  SetTextColor(dc, RGB(0, 0, 255));
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
  SetTexts(header_.Get(), L"Name", L"Class");
  ASSERT_EQ(Draw(canvas), S_OK);
  EXPECT_TRUE(canvas.Contains(kRed, kBounds));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
  EXPECT_EQ(GetTextAlign(dc), UINT(TA_LEFT | TA_TOP));
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
}

// The picture lands in the build folder as property_header.png.
TEST_F(HeaderPaint, SavesAPictureOfAHeaderLine) {
  Png png = PngOf(*Render(L"Form1", L"Form"), kWhole.right, kWhole.bottom);
  ASSERT_TRUE(WriteBytes(BinDir() + L"..\\property_header.png", png));
  EXPECT_GT(png.size(), 3u * kWhole.right * kWhole.bottom);
}

}  // namespace
}  // namespace twtest
