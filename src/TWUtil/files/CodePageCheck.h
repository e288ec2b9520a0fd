// Whether the system lists a code page, given as the text the system uses
// for it (decimal, such as "1252").
#pragma once

#include <windows.h>

#include <string>

namespace twutil {

// flag is CP_SUPPORTED or CP_INSTALLED. The texts are compared as 8-bit
// strings in the conversion code page, exactly: "01252" or " 1252" are not
// "1252".
bool IsCodePageListed(const std::wstring& codePage, DWORD flag);

}  // namespace twutil
