// Paints the header line: the name in bold and the class in normal weight on
// a band in the application-workspace colour.
#pragma once

#include <windows.h>
#include <wtypes.h>

#include "control/GdiObject.h"
#include "control/HeaderFace.h"

namespace twutil {

class HeaderPainter {
 public:
  // Takes the band colour and the typeface as they are now; later changes of
  // the system settings do not reach an existing painter.
  HeaderPainter();

  // A null text draws nothing, not even its leading blanks.
  void Paint(HDC dc, const RECT& bounds, BSTR name, BSTR kind);

 private:
  void CreateFonts(HDC dc);
  GdiObject CreateFont(LONG weight) const;

  HeaderFace face_;
  GdiObject background_;
  GdiObject normalFont_;
  GdiObject boldFont_;
  LONG fontHeight_ = 0;  // fixed by the first paint
};

}  // namespace twutil
