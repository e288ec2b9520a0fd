// The control drawn into memory DCs under Wine, checked pixel by pixel. The
// expected positions come from text measurements with fonts of the same face.

#include <gtest/gtest.h>

#include <memory>

#include "HeaderTestSupport.h"
#include "support/TestSupport.h"

namespace twtest {
namespace {

const COLORREF kOutside = RGB(10, 200, 30), kRed = RGB(255, 0, 0);
const RECT kWhole = {0, 0, 372, 36};
const RECT kBounds = {6, 4, 366, 31};  // an odd sum for the baseline to halve

COLORREF Band() { return GetSysColor(COLOR_APPWORKSPACE); }

// The ink of a text drawn as the control would, at x = 50.
RECT PlainInk(const wchar_t* text, LONG weight) {
  Canvas canvas(kWhole.right, kWhole.bottom, Band());
  DrawPlain(canvas, 50, 20, text, weight);
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
    EXPECT_EQ(DrawInto(header_.Get(), *canvas, kBounds), S_OK);
    EXPECT_FALSE(canvas->Contains(kRed, kWhole));
    return canvas;
  }
  RECT Ink(const Canvas& canvas) { return canvas.Unlike(Band(), kBounds); }
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
  ASSERT_EQ(DrawInto(header_.Get(), canvas, kBounds), S_OK);
  EXPECT_TRUE(canvas.Contains(kRed, kBounds));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
  EXPECT_EQ(GetTextAlign(dc), UINT(TA_LEFT | TA_TOP));
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
}

// A picture for people: build folder, property_header.png.
TEST_F(HeaderPaint, SavesAPictureOfAHeaderLine) {
  std::wstring path = BinDir() + L"..\\property_header.png";
  ASSERT_TRUE(Render(L"Form1", L"Form")->SavePng(path));
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
  EXPECT_GT(data.nFileSizeLow, 3u * kWhole.right * kWhole.bottom);
}

}  // namespace
}  // namespace twtest
