#include "control/HeaderFace.h"

#include <cwchar>

namespace twutil {

HeaderFace ChooseHeaderFace(const LOGFONTW& guiFont, DWORD version) {
  HeaderFace face;
  face.charset = guiFont.lfCharSet;
  if (LOBYTE(LOWORD(version)) == 5) return face;
  // The face array need not be terminated: read no further than it goes.
  size_t length = wcsnlen(guiFont.lfFaceName, LF_FACESIZE);
  if (length == LF_FACESIZE) length = LF_FACESIZE - 1;
  wmemcpy(face.name, guiFont.lfFaceName, length);
  face.name[length] = L'\0';
  // The old bitmap faces look poor in bold; Verdana stands in for them.
  if (wcscmp(face.name, L"MS Sans Serif") == 0 || wcscmp(face.name, L"System") == 0)
    face.name[0] = L'\0';
  return face;
}

HeaderFace SystemHeaderFace() {
  LOGFONTW guiFont = {};
  if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(guiFont), &guiFont) == 0)
    guiFont.lfCharSet = DEFAULT_CHARSET;
  return ChooseHeaderFace(guiFont, GetVersion());
}

}  // namespace twutil
