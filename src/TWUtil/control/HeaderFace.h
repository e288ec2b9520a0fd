// The typeface and character set of the header's fonts, chosen once per
// control from the system's default GUI font.
#pragma once

#include <windows.h>

namespace twutil {

struct HeaderFace {
  wchar_t name[LF_FACESIZE] = {};  // empty: the fonts use "Verdana"
  BYTE charset = DEFAULT_CHARSET;
};

// The choice for a given GUI font and GetVersion() value.
HeaderFace ChooseHeaderFace(const LOGFONTW& guiFont, DWORD version);

// The choice for this system.
HeaderFace SystemHeaderFace();

}  // namespace twutil
