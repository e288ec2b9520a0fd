// Small text and file helpers of the File class.
#pragma once

#include <wtypes.h>

#include <string>

namespace twutil {

// A BSTR argument as text: a null BSTR is the empty string, and the text
// ends at its first NUL as the system's file functions would read it.
std::wstring TextOf(BSTR text);

// True when the file named by the 8-bit path begins with FF FE.
bool HasUtf16Mark(const std::string& path);

}  // namespace twutil
