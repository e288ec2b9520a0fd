// What the control suites share: a fresh control, its texts and its drawing.
#pragma once

#include <ocidl.h>
#include <windows.h>

#include "Canvas.h"
#include "TWUtil.h"
#include "com/Owners.h"
#include "control/GdiObject.h"

namespace twtest {

twutil::ComPtr<IPropertyHeader> NewHeader();

// A null text stays null; other texts go in through the interface.
void SetTexts(IPropertyHeader* header, const wchar_t* name, const wchar_t* kind);

// A property put through IDispatch::Invoke, as a script would make it.
HRESULT PutLateBound(IPropertyHeader* header, DISPID id, const wchar_t* text);

// IViewObject::Draw of the whole control into bounds.
HRESULT DrawInto(IPropertyHeader* header, const Canvas& canvas, const RECT& bounds);

// A font as the control makes its own: this system's face, 10 points.
twutil::GdiObject HeaderLikeFont(HDC dc, LONG weight);
// The advance of text in such a font.
int TextWidth(const wchar_t* text, LONG weight);
// Draws text in such a font with its baseline at y, leaving the DC as it was.
void DrawPlain(const Canvas& canvas, int x, int y, const wchar_t* text, LONG weight);

}  // namespace twtest
