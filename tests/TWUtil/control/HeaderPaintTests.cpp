// The control drawn into memory DCs under Wine, checked pixel by pixel. The
// expected positions come from text measurements with fonts of the same face.

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>

#include "HeaderTestSupport.h"
#include "control/GdiObject.h"
#include "control/HeaderFace.h"

namespace twtest {
namespace {

const COLORREF kOutside = RGB(10, 200, 30), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);
const RECT kWhole = {0, 0, 372, 36};
const RECT kBounds = {6, 4, 366, 31};  // an odd sum for the baseline to halve

COLORREF Band() { return GetSysColor(COLOR_APPWORKSPACE); }

// A text drawn as the control would, at x = 50 with a font of this system's
// face at 10 points: its ink and its advance.
struct Drawn {
  RECT ink;
  int width;
};
Drawn DrawnText(const wchar_t* text, LONG weight) {
  Canvas canvas(kWhole.right, kWhole.bottom, Band());
  twutil::HeaderFace face = twutil::SystemHeaderFace();
  LOGFONTW font = {};
  font.lfHeight = -MulDiv(10, GetDeviceCaps(canvas.Dc(), LOGPIXELSY), 72);
  font.lfWeight = weight;
  font.lfCharSet = face.charset;
  wcscpy(font.lfFaceName, face.name[0] ? face.name : L"Verdana");
  twutil::GdiObject made(CreateFontIndirectW(&font));
  SelectObject(canvas.Dc(), made.Get());
  SetBkMode(canvas.Dc(), TRANSPARENT);
  SetTextColor(canvas.Dc(), GetSysColor(COLOR_HIGHLIGHTTEXT));
  SetTextAlign(canvas.Dc(), TA_BASELINE | TA_LEFT);
  TextOutW(canvas.Dc(), 50, 20, text, static_cast<int>(wcslen(text)));
  SIZE size = {};
  GetTextExtentPoint32W(canvas.Dc(), text, static_cast<int>(wcslen(text)), &size);
  SelectObject(canvas.Dc(), GetStockObject(SYSTEM_FONT));
  return {canvas.Unlike(Band(), kWhole), static_cast<int>(size.cx)};
}
int TextWidth(const wchar_t* text, LONG weight) { return DrawnText(text, weight).width; }

class HeaderPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(header_ = NewHeader());
    ASSERT_EQ(header_.As(&view_), S_OK);
  }
  // Drawn into kBounds over a DC in a container's state, which the control
  // must leave as it found it. With a transparent text background, as
  // containers usually set, the red background colour must show nowhere.
  std::unique_ptr<Canvas> Render(const wchar_t* name, const wchar_t* kind, int mode = TRANSPARENT) {
    auto canvas = std::make_unique<Canvas>(kWhole.right, kWhole.bottom, kOutside);
    HDC dc = canvas->Dc();
    SetBkMode(dc, mode);
    SetBkColor(dc, kRed);
    SetTextColor(dc, kBlue);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    SetTexts(header_.Get(), name, kind);
    RECTL area = {kBounds.left, kBounds.top, kBounds.right, kBounds.bottom};
    EXPECT_EQ(view_->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &area, nullptr,
                          nullptr, 0),
              S_OK);
    if (mode == TRANSPARENT) {
      EXPECT_FALSE(canvas->Contains(kRed, kWhole));
    }
    EXPECT_EQ(GetTextColor(dc), kBlue);
    EXPECT_EQ(GetTextAlign(dc), UINT(TA_LEFT | TA_TOP));
    EXPECT_EQ(GetBkMode(dc), mode);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    return canvas;
  }
  RECT Ink(const Canvas& canvas) { return canvas.Unlike(Band(), kBounds); }
  twutil::ComPtr<IPropertyHeader> header_;
  twutil::ComPtr<IViewObject> view_;
};

TEST_F(HeaderPaint, NameIsBoldInTheHighlightTextColourAfterTwoBlanksOnALowBaseline) {
  auto canvas = Render(L"Wide Header", nullptr);
  RECT ink = Ink(*canvas), bold = DrawnText(L"Wide Header", FW_BOLD).ink,
       normal = DrawnText(L"Wide Header", FW_NORMAL).ink;
  ASSERT_FALSE(IsRectEmpty(&ink));
  EXPECT_TRUE(canvas->Contains(GetSysColor(COLOR_HIGHLIGHTTEXT), ink));
  EXPECT_EQ(ink.left, kBounds.left + 2 + TextWidth(L"  ", FW_BOLD) + bold.left - 50);
  EXPECT_EQ(ink.right - ink.left, bold.right - bold.left);
  EXPECT_GT(ink.right - ink.left, normal.right - normal.left + 2);
  // The baseline sits a little below the middle, even above the origin; the
  // name has no descenders, so its ink ends on the row above.
  int height = -MulDiv(10, GetDeviceCaps(canvas->Dc(), LOGPIXELSY), 72);
  EXPECT_EQ(ink.bottom, (kBounds.top + kBounds.bottom - height - 3) / 2);
}

TEST_F(HeaderPaint, ClassFollowsThreeNormalBlanksAndNullTextsPaintTheBandOnly) {
  auto empty = Render(nullptr, nullptr);
  RECT none = Ink(*empty), painted = empty->Unlike(kOutside, kWhole);
  EXPECT_TRUE(IsRectEmpty(&none));
  EXPECT_TRUE(EqualRect(&painted, &kBounds));

  RECT alone = Ink(*Render(nullptr, L"Hdr Class"));
  EXPECT_EQ(alone.left, kBounds.left + 2 + TextWidth(L"   ", FW_NORMAL) +
                            DrawnText(L"H", FW_NORMAL).ink.left - 50);
  auto nameOnly = Render(L"Form1", nullptr);
  RECT classInk = Render(L"Form1", L"Hdr Class")->Unlike(0, kWhole, nameOnly.get());
  EXPECT_EQ(classInk.left - alone.left, TextWidth(L"  ", FW_BOLD) + TextWidth(L"Form1", FW_BOLD));
  EXPECT_EQ(classInk.right - classInk.left, alone.right - alone.left);
  // An empty name still draws its two bold blanks.
  EXPECT_EQ(Ink(*Render(L"", L"Hdr Class")).left - alone.left, TextWidth(L"  ", FW_BOLD));
}

TEST_F(HeaderPaint, TheContainersTextBackgroundAndDcStateAreKept) {
  EXPECT_TRUE(Render(L"Name", L"Class", OPAQUE)->Contains(kRed, kBounds));
}

}  // namespace
}  // namespace twtest
