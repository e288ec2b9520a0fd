// Conversions between registry data and the texts and numbers that scripts
// see. Pure functions, no registry access.
#pragma once

#include <windows.h>

#include <string>

namespace twutil {

// A decimal long as a script writes it: leading white space, an optional
// sign, then digits up to the first non-digit. No digits read as 0; values
// beyond the range of a long stop at its limits.
LONG ParseDecimalLong(const std::string& text);

// Two lowercase hexadecimal digits per byte, in stored order, no separators.
std::wstring HexText(const BYTE* data, size_t size);

// The UTF-16 text held by size bytes of data, up to the first NUL or the end;
// an odd last byte is no character.
std::wstring TextUpToNul(const BYTE* data, size_t size);

// The type code that RegReadType reports for a registry value type.
LONG ScriptTypeCode(DWORD registryType);

}  // namespace twutil
