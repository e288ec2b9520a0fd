// A borrowed BSTR argument as text: null reads as the empty string, and the
// text ends at its first NUL, as the system's functions read it.
#pragma once

#include <wtypes.h>

namespace twutil {

inline const wchar_t* TextOf(BSTR text) { return text ? text : L""; }

}  // namespace twutil
