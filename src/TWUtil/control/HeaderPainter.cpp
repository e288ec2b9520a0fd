#include "control/HeaderPainter.h"

#include <oleauto.h>

#include <climits>
#include <cwchar>

namespace twutil {
namespace {

int ClampToInt(long long value) {
  if (value < INT_MIN) return INT_MIN;
  if (value > INT_MAX) return INT_MAX;
  return static_cast<int>(value);
}

// Text continues at the current position, left there by the previous piece.
void DrawPiece(HDC dc, HGDIOBJ font, const wchar_t* blanks, BSTR text) {
  if (font) SelectObject(dc, font);
  TextOutW(dc, 0, 0, blanks, static_cast<int>(wcslen(blanks)));
  UINT length = SysStringLen(text);
  TextOutW(dc, 0, 0, text, length > INT_MAX ? INT_MAX : static_cast<int>(length));
}

}  // namespace

HeaderPainter::HeaderPainter()
    : face_(SystemHeaderFace()), background_(CreateSolidBrush(GetSysColor(COLOR_APPWORKSPACE))) {}

GdiObject HeaderPainter::CreateFont(LONG weight) const {
  LOGFONTW font = {};
  font.lfHeight = fontHeight_;
  font.lfWeight = weight;
  font.lfCharSet = face_.charset;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  wcscpy(font.lfFaceName, face_.name[0] ? face_.name : L"Verdana");
  return GdiObject(CreateFontIndirectW(&font));
}

void HeaderPainter::CreateFonts(HDC dc) {
  if (fontHeight_ == 0) fontHeight_ = -MulDiv(10, GetDeviceCaps(dc, LOGPIXELSY), 72);
  if (!normalFont_) normalFont_ = CreateFont(FW_NORMAL);
  if (!boldFont_) boldFont_ = CreateFont(FW_BOLD);
}

void HeaderPainter::Paint(HDC dc, const RECT& bounds, BSTR name, BSTR kind) {
  FillRect(dc, &bounds, static_cast<HBRUSH>(background_.Get()));
  CreateFonts(dc);
  SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  // With the negative height this puts the baseline a little below the
  // middle of the band.
  long long baseline = (static_cast<long long>(bounds.top) + bounds.bottom - fontHeight_ - 3) / 2;
  MoveToEx(dc, ClampToInt(static_cast<long long>(bounds.left) + 2), ClampToInt(baseline), nullptr);
  SetTextAlign(dc, TA_BASELINE | TA_UPDATECP);
  if (name) DrawPiece(dc, boldFont_.Get(), L"  ", name);
  if (kind) DrawPiece(dc, normalFont_.Get(), L"   ", kind);
}

}  // namespace twutil
