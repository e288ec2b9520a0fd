// The library's conversion code page: the one code page used for every
// UTF-16 <-> 8-bit conversion the library makes for its own work. 0 means the
// system ANSI code page. Only GetShortLongFilename changes it, for the length
// of its call.
#pragma once

#include <windows.h>

#include <string>

namespace twutil {

UINT ConversionCodePage();
void SetConversionCodePage(UINT codePage);

std::string ToNarrow(const wchar_t* text, size_t length);
std::string ToNarrow(const std::wstring& text);
std::wstring ToWide(const char* text, size_t length);
std::wstring ToWide(const std::string& text);

}  // namespace twutil
