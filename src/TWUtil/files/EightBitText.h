// Conversions between script strings and 8-bit text in a given code page.
#pragma once

#include <windows.h>
// Not self-contained: relies on windows.h above.
#include <oleauto.h>

#include <string>

namespace twutil {

// The text of a BSTR (null reads as empty) in an 8-bit code page, up to its
// first NUL. flags are those of WideCharToMultiByte; code pages that refuse
// them are converted without.
std::string EightBitText(BSTR text, UINT codePage, DWORD flags = 0);

// 8-bit text back to UTF-16.
std::wstring WideText(const std::string& text, UINT codePage);

}  // namespace twutil
